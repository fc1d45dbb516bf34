// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TextFile.h"

#include "model/Text.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A call that a signal interrupted before it did anything is simply made again.
template <typename Call>
ssize_t Retrying(Call call)
{
    ssize_t result = 0;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

CFileStatus StatusOf(const struct stat& info)
{
    return {info.st_dev,          info.st_ino,         info.st_size,        info.st_mtim.tv_sec,
            info.st_mtim.tv_nsec, info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
}

} // namespace

bool ReadFileStatus(const QString& path, CFileStatus& status)
{
    struct stat info = {};
    if (::stat(ToLocal8(path).c_str(), &info) != 0)
        return false;
    status = StatusOf(info);
    return true;
}

long ReadSome(int fd, char* data, std::size_t size)
{
    return Retrying([&] { return ::read(fd, data, size); });
}

int WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = Retrying([&] { return ::write(fd, data, size); });
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

std::string ToLocal8(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

bool NoHardLinks(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EXDEV || error == EMLINK;
}

int OpenUnnamed(const std::string& folder, int flags)
{
    return ::open(folder.c_str(), O_TMPFILE | flags | O_CLOEXEC, 0666);
}

bool NoUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

bool LinkUnnamed(int fd, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool CannotLinkUnnamed(int error)
{
    return NoHardLinks(error) || error == ENOENT;
}

std::string HiddenNewName(const std::string& folder, const std::string& target)
{
    const std::string name = target.substr(target.rfind('/') + 1);
    return folder + "/." + name + "." + std::to_string(QRandomGenerator::global()->generate()) + ".new";
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QDateTime CFileStatus::LastModified() const
{
    return QDateTime::fromMSecsSinceEpoch(m_modifiedSeconds * 1000 + m_modifiedNanoseconds / 1000000);
}

bool CTextFileReader::Open(const QString& path)
{
    Close();
    m_file.setFileName(path);
    if (QFileInfo(path).isDir() || !m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_path = QFileInfo(path).absoluteFilePath();
    // Of the file that is read, whatever its name comes to name later.
    struct stat info = {};
    m_status = ::fstat(m_file.handle(), &info) == 0 ? StatusOf(info) : CFileStatus();
    return true;
}

bool CTextFileReader::ReadLines(const std::function<void(std::string_view)>& take, CFileError& error)
{
    // A small buffer used again and again stays in the cache, and a big file costs no memory
    // of its size. It grows only for a line longer than itself.
    std::size_t capacity = std::size_t{256} * 1024;
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == capacity) {
            auto larger = std::make_unique_for_overwrite<char[]>(2 * capacity);
            std::memcpy(larger.get(), buffer.get(), used);
            buffer = std::move(larger);
            capacity *= 2;
        }
        // The file is open unbuffered: its descriptor is read as it is.
        const long got = ReadSome(m_file.handle(), buffer.get() + used, capacity - used);
        if (got < 0) {
            error = CFileError{CauseOf(errno), m_path};
            return false;
        }
        if (got == 0) {
            take(std::string_view(buffer.get(), used));
            return true;
        }
        const std::string_view data(buffer.get(), used + static_cast<std::size_t>(got));
        const std::size_t lastEnd = data.rfind('\n');
        if (lastEnd == std::string_view::npos) {
            used = data.size();
            continue;
        }
        take(data.substr(0, lastEnd + 1));
        used = data.size() - (lastEnd + 1);
        std::memmove(buffer.get(), data.data() + lastEnd + 1, used);
    }
}

void CTextFileReader::Close()
{
    if (m_file.isOpen())
        m_file.close();
}

QString ChangeExtension(const QString& path, const std::string& newEnding)
{
    std::string bytes = ToLocal8(path);
    ChangeExtension(bytes, newEnding);
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

bool ReportPath(const QString& tournamentPath, QString& reportPath)
{
    reportPath = ChangeExtension(tournamentPath, ".htm");
    return QFileInfo(reportPath) != QFileInfo(tournamentPath);
}

QString BackupName(const QString& path, const QDateTime& lastModified)
{
    const QDateTime local = lastModified.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    return ChangeExtension(
        path, BackupEnding(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()));
}
