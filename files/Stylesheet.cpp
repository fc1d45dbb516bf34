// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Stylesheet.h"

#include "files/TextFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes all of `bytes` and makes them last.
bool WriteSynced(int fd, QByteArrayView bytes)
{
    return WriteAll(fd, bytes.data(), static_cast<std::size_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// Written under no name, then linked to its name: a link never replaces what it finds there.
// -1 where the file system has no unnamed files, else whether it was created.
int CreateUnnamed(const std::string& folder, const std::string& target, QByteArrayView bytes)
{
    const int fd = OpenUnnamed(folder, O_WRONLY);
    if (fd < 0)
        return NoUnnamedFiles(errno) ? -1 : 0;
    const bool linked = WriteSynced(fd, bytes) && LinkUnnamed(fd, target);
    const int error = errno;
    ::close(fd);
    return linked ? 1 : CannotLinkUnnamed(error) ? -1 : 0;
}

// Written under a hidden name, then given its own by a link, or by a rename that refuses to
// replace where there are no hard links (FAT). -1 where neither exists.
int CreateNamed(const std::string& folder, const std::string& target, QByteArrayView bytes)
{
    const std::string temp = HiddenNewName(folder, target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return 0;
    bool written = WriteSynced(fd, bytes);
    written = ::close(fd) == 0 && written;
    int outcome = 0;
    bool renamed = false;
    if (written && ::link(temp.c_str(), target.c_str()) == 0) {
        outcome = 1;
    } else if (written && NoHardLinks(errno)) {
        renamed = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
        outcome = renamed ? 1 : errno == EINVAL || errno == ENOSYS ? -1 : 0;
    }
    if (!renamed)
        ::unlink(temp.c_str());
    return outcome;
}

// The last resort: an exclusive create of the name itself. It never replaces either, but the
// name exists while the bytes go in; a failed write takes it away again.
bool CreateInPlace(const std::string& target, QByteArrayView bytes)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool written = WriteSynced(fd, bytes);
    written = ::close(fd) == 0 && written;
    if (!written)
        ::unlink(target.c_str());
    return written;
}

} // namespace

QByteArray ProgramStylesheet()
{
    QFile file(QStringLiteral(":/ravelmark/table.css"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool PutStylesheetBeside(const QString& pagePath)
{
    // The page links it by this relative name.
    const QString path = QFileInfo(pagePath).absolutePath() + QStringLiteral("/table.css");
    struct stat status = {};
    // Anything of that name, a dangling link too, is the user's.
    if (::lstat(ToLocal8(path).c_str(), &status) == 0 || errno != ENOENT)
        return false;
    const QByteArray bytes = ProgramStylesheet();
    return !bytes.isEmpty() && CreateNewFile(path, bytes);
}

bool CreateNewFile(const QString& path, QByteArrayView bytes)
{
    const std::string target = ToLocal8(QFileInfo(path).absoluteFilePath());
    const std::string folder = ToLocal8(QFileInfo(path).absolutePath());
    int created = CreateUnnamed(folder, target, bytes);
    if (created < 0)
        created = CreateNamed(folder, target, bytes);
    if (created < 0)
        created = CreateInPlace(target, bytes) ? 1 : 0;
    if (created > 0)
        SyncFolder(folder);
    return created > 0;
}

namespace {

// Larger than any stylesheet a person writes; a file past it is not the page's stylesheet.
constexpr qint64 kLargestStylesheet = qint64{1024} * 1024;

} // namespace

QByteArray ServedStylesheet(const QString& tournamentPath)
{
    if (!tournamentPath.isEmpty()) {
        QFile file(QFileInfo(tournamentPath).absolutePath() + QStringLiteral("/table.css"));
        const QFileInfo info(file);
        if (info.isFile() && info.size() <= kLargestStylesheet && file.open(QIODevice::ReadOnly))
            return file.read(kLargestStylesheet);
    }
    return ProgramStylesheet();
}
