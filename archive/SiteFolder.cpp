// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/SiteFolder.h"

#include "files/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <unistd.h>

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
    const auto failed = [&result](CFileResult::Kind kind, const QString& path, int error = 0) {
        result.m_kind = kind;
        result.m_path = path;
        if (kind == CFileResult::FileError)
            result.m_error = {CauseOf(error), path};
        return result;
    };
    if (!QDir().mkpath(folder))
        return failed(CFileResult::CannotCreate, folder);
    QFile kept(Local(folder, kSiteManifestName));
    const CSiteManifest before =
        kept.open(QIODevice::ReadOnly) ? ParseManifest(kept.readAll().toStdString()) : CSiteManifest();
    kept.close();
    // Every changed file goes to a hidden new name beside its own first; one sync of the file
    // system puts them all on disk, then each takes its old one's place by a rename, the index
    // last. A site of hundreds of pages costs one wait for the disk, not one a page.
    struct CNew
    {
        std::string m_temporary, m_target, m_folder;
    };
    std::vector<CNew> renames;
    const auto discard = [&renames] {
        for (const CNew& file : renames)
            ::unlink(file.m_temporary.c_str());
    };
    std::vector<CSiteFile> all = files;
    all.push_back({kSiteManifestName, ManifestText(ManifestOf(files))});
    for (const CSiteFile& file : all) {
        const QString path = Local(folder, file.m_name);
        if (Holds(path, file.m_bytes)) {
            done.m_unchanged += file.m_name == kSiteManifestName ? 0 : 1;
            continue;
        }
        const QString dir = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(dir)) {
            discard();
            return failed(CFileResult::CannotCreate, dir);
        }
        CNew next{{}, ToLocal8(path), ToLocal8(dir)};
        next.m_temporary = HiddenNewName(next.m_folder, next.m_target);
        const int fd = ::open(next.m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            discard();
            return failed(CFileResult::CannotCreate, path);
        }
        renames.push_back(next);
        const int error = WriteAll(fd, file.m_bytes.data(), file.m_bytes.size());
        if (::close(fd) != 0 || error != 0) {
            discard();
            return failed(CFileResult::FileError, path, error != 0 ? error : errno);
        }
        done.m_written += file.m_name == kSiteManifestName ? 0 : 1;
    }
    if (!renames.empty()) {
        const int fd = ::open(renames.front().m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool synced = fd >= 0 && ::syncfs(fd) == 0;
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!synced) {
            discard();
            return failed(CFileResult::FileError, folder, error);
        }
    }
    std::set<std::string> folders;
    for (std::size_t i = 0; i < renames.size(); ++i) {
        if (::rename(renames[i].m_temporary.c_str(), renames[i].m_target.c_str()) != 0) {
            const int error = errno;
            renames.erase(renames.begin(), renames.begin() + static_cast<std::ptrdiff_t>(i));
            discard();
            return failed(CFileResult::FileError, QString::fromStdString(renames.front().m_target), error);
        }
        folders.insert(renames[i].m_folder);
    }
    for (const std::string& dir : folders)
        SyncFolder(dir);
    // Only once the index no longer links them.
    const CSiteManifest now = ManifestOf(files);
    for (const auto& [name, entry] : before) {
        if (!now.contains(name) && InsideSite(name) && QFile::remove(Local(folder, name)))
            ++done.m_removed;
    }
    return {};
}
