// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TournamentFile.h"

#include "files/TextFile.h"
#include "model/LineOutput.h"
#include "model/Messages.h"
#include "model/Reader.h"
#include "model/Text.h"
#include "report/Standings.h"
#include "report/StandingsView.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kWriteChunk = 256 << 10;
constexpr std::size_t kStartWriteback = 8 << 20;

std::string Local8(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

CFileResult Failure(CFileResult::Kind kind, const QString& path)
{
    CFileResult result;
    result.m_kind = kind;
    result.m_path = path;
    return result;
}

CFileResult Failure(CFileError::Cause cause, const QString& fileName)
{
    CFileResult result;
    result.m_kind = CFileResult::FileError;
    result.m_error = CFileError{cause, fileName};
    return result;
}

CFileError::Cause CauseOf(int error)
{
    switch (error) {
    case ENOENT:
        return CFileError::FileNotFound;
    case EACCES:
    case EPERM:
    case EEXIST:
    case EROFS:
        return CFileError::AccessDenied;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
        return CFileError::BadPath;
    case EMFILE:
    case ENFILE:
        return CFileError::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
        return CFileError::DiskFull;
    case EIO:
        return CFileError::HardIO;
    default:
        return CFileError::Generic;
    }
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool NoHardLinks(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EXDEV || error == EMLINK;
}

// Modes and times are kept where the file system can hold them; a FAT stick through FUSE
// answers ENOSYS or EPERM, and the save must go on there all the same.
bool KeptIfPossible(int result)
{
    return result == 0 || errno == ENOSYS || errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP;
}

// A symbolic link stays a link: its target is what gets replaced.
QString Target(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

// A new version of a file, written beside it under no name (or a hidden one where the file
// system cannot do that) and put in place by one rename: the file's name never holds a part.
class CNewVersion final : public CLineOutput
{
public:
    CNewVersion() = default;
    CNewVersion(const CNewVersion&) = delete;
    CNewVersion& operator=(const CNewVersion&) = delete;
    ~CNewVersion() { Discard(); }

    // 0, or the errno of creating the file. `mode`: the permissions to give it (-1: as new).
    int Create(const QString& target, int mode)
    {
        m_target = Local8(target);
        m_folder = Local8(QFileInfo(target).absolutePath());
        m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            m_fd = OpenNamed();
        if (m_fd < 0)
            return errno;
        if (mode >= 0 && !KeptIfPossible(::fchmod(m_fd, static_cast<mode_t>(mode))))
            return errno;
        return 0;
    }

    void WriteLine(const std::string& line) override
    {
        m_buffer += line;
        m_buffer += "\r\n";
        if (m_buffer.size() >= kWriteChunk)
            Flush();
    }

    void WriteText(std::string_view text) override
    {
        m_buffer += text;
        if (m_buffer.size() >= kWriteChunk)
            Flush();
    }

    // Puts the file in place; false, with nothing of it left, when any step failed.
    bool Commit()
    {
        Flush();
        const bool ok = !m_failed && ::fsync(m_fd) == 0 && (!m_temp.empty() || Materialize()) && Close() &&
                        ::rename(m_temp.c_str(), m_target.c_str()) == 0;
        if (!ok)
            return false;
        m_temp.clear();
        // The rename is done: the folder's own sync only makes it last, failing it undoes nothing.
        const int folder = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return true;
    }

    void Discard()
    {
        Close();
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
        m_temp.clear();
    }

private:
    std::string TempName() const
    {
        const std::string name = m_target.substr(m_target.rfind('/') + 1);
        return m_folder + "/." + name + "." + std::to_string(QRandomGenerator::global()->generate()) + ".new";
    }

    int OpenNamed()
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = TempName();
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                m_temp = std::move(name);
            if (fd >= 0 || errno != EEXIST)
                return fd;
        }
        return -1;
    }

    // Gives the unnamed file a hidden name beside the target, from which it is renamed.
    bool Materialize()
    {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = TempName();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_temp = std::move(name);
                return true;
            }
            if (NoHardLinks(errno))
                return CopyToNamed();
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    // Where the unnamed file cannot be linked, its bytes go into a named one.
    bool CopyToNamed()
    {
        struct stat status {};
        const int named = ::fstat(m_fd, &status) == 0 ? OpenNamed() : -1;
        if (named < 0)
            return false;
        std::string block(kWriteChunk, '\0');
        ssize_t got = 0;
        bool ok = ::lseek(m_fd, 0, SEEK_SET) == 0 && KeptIfPossible(::fchmod(named, status.st_mode & 07777));
        while (ok && (got = ::read(m_fd, block.data(), block.size())) != 0)
            ok = got > 0 && WriteAll(named, block.data(), static_cast<std::size_t>(got));
        ::close(m_fd);
        m_fd = named;
        return ok && ::fsync(m_fd) == 0;
    }

    void Flush()
    {
        if (!m_failed && !WriteAll(m_fd, m_buffer.data(), m_buffer.size()))
            m_failed = true;
        m_written += m_buffer.size();
        m_buffer.clear();
        // A big file starts on its way to the disk while the rest is made, so that the sync
        // before the rename has little left to wait for. Only a hint: the sync still decides.
        if (!m_failed && m_written - m_started >= kStartWriteback) {
            ::sync_file_range(m_fd, static_cast<off_t>(m_started), static_cast<off_t>(m_written - m_started),
                              SYNC_FILE_RANGE_WRITE);
            m_started = m_written;
        }
    }

    bool Close()
    {
        const bool closed = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }

    std::string m_target;
    std::string m_folder;
    std::string m_temp; // the hidden name while it exists
    std::string m_buffer;
    std::size_t m_written = 0; // bytes handed to the file
    std::size_t m_started = 0; // of those, the bytes whose write-back was started
    int m_fd = -1;
    bool m_failed = false;
};

// A file system without hard links gets a copy: exclusive, synced, with the old file's time.
int CopyForBackup(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (in < 0 || ::fstat(in, &status) != 0) {
        const int error = errno;
        if (in >= 0)
            ::close(in);
        return error;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    std::string block(kWriteChunk, '\0');
    ssize_t got = 0;
    bool ok = true;
    while (ok && (got = ::read(in, block.data(), block.size())) != 0)
        ok = (got > 0 || errno == EINTR) && (got < 0 || WriteAll(out, block.data(), static_cast<std::size_t>(got)));
    // As a second name of the old file would be: its mode whatever the umask, and its times.
    const timespec times[2] = {status.st_atim, status.st_mtim};
    ok = ok && KeptIfPossible(::fchmod(out, status.st_mode & 07777)) && KeptIfPossible(::futimens(out, times)) &&
         ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (ok)
        return 0;
    ::unlink(to.c_str());
    return ENOSPC;
}

// The backup as a second name of the old file, so that the old bytes never leave the disk.
int MakeBackup(const std::string& file, const std::string& backup)
{
    if (::link(file.c_str(), backup.c_str()) == 0)
        return 0;
    const int error = errno;
    if (NoHardLinks(error))
        return CopyForBackup(file, backup);
    return error;
}

} // namespace

CFileResult LoadTournamentFile(const QString& path, CLoadedTournament& loaded)
{
    CTextFileReader reader;
    if (!reader.Open(path))
        return Failure(CFileResult::CannotOpen, path);
    loaded.m_path = reader.FilePath();
    loaded.m_lastModified = reader.LastModified();
    CTournamentParser parser(loaded.m_tournament);
    CFileError error;
    if (!reader.ReadLines([&](std::string_view lines) { parser.Feed(lines); }, error)) {
        // Nothing of a file that could not be read whole is kept.
        loaded.m_tournament = CTournament();
        return Failure(error.m_cause, error.m_fileName);
    }
    CFileResult result;
    if (!parser.Finish(result.m_line, result.m_lineNo, result.m_message))
        result.m_kind = CFileResult::Refused;
    return result;
}

CFileResult WriteStandingsPage(const QString& tournamentPath, const CStandingsView& view, QString& pagePath)
{
    if (!ReportPath(tournamentPath, pagePath))
        return Failure(CFileResult::CannotCreate, pagePath);
    pagePath = QFileInfo(pagePath).absoluteFilePath();
    const QString target = Target(pagePath);
    struct stat status {};
    const int mode = ::stat(Local8(target).c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
    CNewVersion out;
    if (const int error = out.Create(target, mode))
        return error == ENOSPC || error == EDQUOT ? Failure(CFileError::DiskFull, pagePath)
                                                  : Failure(CFileResult::CannotCreate, pagePath);
    WriteHtmlPage(out, view);
    if (!out.Commit())
        return Failure(CFileError::DiskFull, pagePath);
    return {};
}

CFileResult SaveTournamentFile(CTournament& tournament, const QString& path, const QDateTime& lastModified)
{
    TrimSpaces(tournament.m_title);
    if (tournament.m_title.empty()) {
        CFileResult refused;
        refused.m_kind = CFileResult::Refused;
        refused.m_message = msg::kEmptyTournamentName;
        return refused;
    }
    const QString target = Target(path);
    const std::string file = Local8(target), backup = Local8(BackupName(target, lastModified));
    switch (const int error = MakeBackup(file, backup)) {
    case 0:
        break;
    case EROFS:
    case EACCES:
        return Failure(CFileResult::CannotCreate, path);
    case ENOSPC:
    case EDQUOT:
        return Failure(CFileError::DiskFull, target);
    default:
        // As a failed move reports it: the cause alone, no file named.
        return Failure(CauseOf(error), QString());
    }
    struct stat status {};
    CNewVersion out;
    const bool created = ::stat(file.c_str(), &status) == 0 && out.Create(target, static_cast<int>(status.st_mode & 07777)) == 0;
    if (created)
        tournament.Write(out, LongestPlayerNameLength(tournament));
    if (created && out.Commit())
        return {};
    // Nothing of this save stays: the backup name goes, the old file is still in place.
    out.Discard();
    ::unlink(backup.c_str());
    return created ? Failure(CFileError::DiskFull, target) : Failure(CFileResult::CannotCreate, path);
}
