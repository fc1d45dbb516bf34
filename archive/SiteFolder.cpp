// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/SiteFolder.h"

#include "files/TournamentFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString Local(const QString& folder, const std::string& name)
{
    return QDir(folder).filePath(QString::fromStdString(name));
}

// Whether `path` holds exactly `bytes` already.
bool Holds(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != static_cast<qint64>(bytes.size()))
        return false;
    return file.readAll() == QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

CSiteManifest ManifestOf(const std::vector<CSiteFile>& files)
{
    CSiteManifest manifest;
    for (const CSiteFile& file : files)
        manifest[file.m_name] = SiteEntryOf(file.m_bytes);
    return manifest;
}

CFileResult WriteSite(const std::vector<CSiteFile>& files, const QString& folder, CSiteWritten& done)
{
    done = {};
    CFileResult result;
    if (!QDir().mkpath(folder)) {
        result.m_kind = CFileResult::CannotCreate;
        result.m_path = folder;
        return result;
    }
    QFile kept(Local(folder, kSiteManifestName));
    const CSiteManifest before =
        kept.open(QIODevice::ReadOnly) ? ParseManifest(kept.readAll().toStdString()) : CSiteManifest();
    kept.close();
    for (const CSiteFile& file : files) {
        const QString path = Local(folder, file.m_name);
        if (Holds(path, file.m_bytes)) {
            ++done.m_unchanged;
            continue;
        }
        if (const QString dir = QFileInfo(path).absolutePath(); !QDir().mkpath(dir)) {
            result.m_kind = CFileResult::CannotCreate;
            result.m_path = dir;
            return result;
        }
        result = ReplaceFile(path, file.m_bytes);
        if (!result.Ok())
            return result;
        ++done.m_written;
    }
    const CSiteManifest now = ManifestOf(files);
    // Only once the index no longer links them.
    for (const auto& [name, entry] : before) {
        if (!now.contains(name) && InsideSite(name) && QFile::remove(Local(folder, name)))
            ++done.m_removed;
    }
    return ReplaceFile(kept.fileName(), ManifestText(now));
}
