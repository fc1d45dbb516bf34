// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/SiteFolder.h"

#include "files/TournamentFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <charconv>

namespace {

QString Local(const QString& folder, const std::string& name)
{
    return QDir(folder).filePath(QString::fromStdString(name));
}

// A name the site itself could have made: relative, and never climbing out of its folder.
bool InsideSite(const std::string& name)
{
    return !name.empty() && name.front() != '/' && name.find("..") == std::string::npos &&
           name.find('\\') == std::string::npos;
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
    for (const CSiteFile& file : files) {
        const QByteArray hash =
            QCryptographicHash::hash(QByteArrayView(file.m_bytes.data(), static_cast<qsizetype>(file.m_bytes.size())),
                                     QCryptographicHash::Sha256);
        manifest[file.m_name] = {static_cast<std::int64_t>(file.m_bytes.size()), hash.toHex().toStdString()};
    }
    return manifest;
}

std::string ManifestText(const CSiteManifest& manifest)
{
    std::string text;
    for (const auto& [name, entry] : manifest)
        text += std::to_string(entry.m_size) + " " + entry.m_sha256 + " " + name + "\n";
    return text;
}

CSiteManifest ParseManifest(std::string_view text)
{
    CSiteManifest manifest;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t first = line.find(' ');
        const std::size_t second = first == line.npos ? line.npos : line.find(' ', first + 1);
        if (second == line.npos)
            continue;
        CSiteEntry entry;
        const auto [at, error] = std::from_chars(line.data(), line.data() + first, entry.m_size);
        if (error != std::errc() || at != line.data() + first)
            continue;
        entry.m_sha256 = line.substr(first + 1, second - first - 1);
        manifest[std::string(line.substr(second + 1))] = entry;
    }
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
