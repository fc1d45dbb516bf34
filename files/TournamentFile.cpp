// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TournamentFile.h"

#include "files/Stylesheet.h"
#include "files/TextFile.h"
#include "model/LineOutput.h"
#include "model/Messages.h"
#include "model/Reader.h"
#include "model/Text.h"
#include "report/StandingsView.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kWriteChunk = 256 << 10;
constexpr std::size_t kStartWriteback = 8 << 20;

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

// 0 when `ok`, else the errno of the call that failed.
int ErrorUnless(bool ok)
{
    return ok ? 0 : errno;
}

// Copies the rest of `in` to `out`; 0, or the errno of the read or write that failed.
int CopyBytes(int in, int out)
{
    std::string block(kWriteChunk, '\0');
    for (;;) {
        const long got = ReadSome(in, block.data(), block.size());
        if (got <= 0)
            return ErrorUnless(got == 0);
        if (const int error = WriteAll(out, block.data(), static_cast<std::size_t>(got)))
            return error;
    }
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
        m_target = ToLocal8(target);
        m_folder = ToLocal8(QFileInfo(target).absolutePath());
        m_fd = OpenUnnamed(m_folder, O_RDWR);
        if (m_fd < 0 && NoUnnamedFiles(errno))
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

    // Puts the file in place; false, with nothing of it left, when any step failed, with the
    // errno of the first failure in Error().
    bool Commit()
    {
        Flush();
        if (m_error == 0)
            m_error = ErrorUnless(::fsync(m_fd) == 0);
        if (m_error == 0 && m_temp.empty())
            m_error = Materialize();
        if (m_error == 0)
            m_error = ErrorUnless(Close());
        if (m_error == 0)
            m_error = ErrorUnless(::rename(m_temp.c_str(), m_target.c_str()) == 0);
        if (m_error != 0)
            return false;
        m_temp.clear();
        SyncFolder(m_folder);
        return true;
    }

    int Error() const { return m_error; }

    void Discard()
    {
        Close();
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
        m_temp.clear();
    }

private:
    int OpenNamed()
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = HiddenNewName(m_folder, m_target);
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                m_temp = std::move(name);
            if (fd >= 0 || errno != EEXIST)
                return fd;
        }
        return -1;
    }

    // Gives the unnamed file a hidden name beside the target, from which it is renamed; 0 or
    // the errno of the failure.
    int Materialize()
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = HiddenNewName(m_folder, m_target);
            if (LinkUnnamed(m_fd, name)) {
                m_temp = std::move(name);
                return 0;
            }
            if (CannotLinkUnnamed(errno))
                return CopyToNamed();
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Where the unnamed file cannot be linked (no hard links, no /proc), its bytes go into a
    // named one.
    int CopyToNamed()
    {
        struct stat status = {};
        const int named = ::fstat(m_fd, &status) == 0 ? OpenNamed() : -1;
        if (named < 0)
            return errno;
        int error =
            ErrorUnless(::lseek(m_fd, 0, SEEK_SET) == 0 && KeptIfPossible(::fchmod(named, status.st_mode & 07777)));
        if (error == 0)
            error = CopyBytes(m_fd, named);
        ::close(m_fd);
        m_fd = named;
        return error != 0 ? error : ErrorUnless(::fsync(m_fd) == 0);
    }

    void Flush()
    {
        if (m_error == 0)
            m_error = WriteAll(m_fd, m_buffer.data(), m_buffer.size());
        m_written += m_buffer.size();
        m_buffer.clear();
        // A big file starts on its way to the disk while the rest is made, so that the sync
        // before the rename has little left to wait for. Only a hint: the sync still decides.
        if (m_error == 0 && m_written - m_started >= kStartWriteback) {
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
    int m_error = 0; // the errno of the first failed write or step
};

// What a save writes, read back by the reader as it goes: a file the program would refuse to
// open again is never put in place of the old one.
class CReadBack final : public CLineOutput
{
public:
    CReadBack(CLineOutput& out, CTournament& readBack)
        : m_out(out)
        , m_parser(readBack)
    {
    }

    void WriteLine(const std::string& line) override
    {
        m_out.WriteLine(line);
        // A line break inside a name would make two lines of one: the reader might even take them.
        if (const std::size_t brk = line.find('\n'); brk != std::string::npos && m_brokenLineNo == 0) {
            m_brokenLineNo = m_lineNo + 1;
            m_brokenLine.assign(Trimmed(std::string_view(line).substr(0, brk)));
        }
        m_lineNo += 1 + static_cast<int>(std::count(line.begin(), line.end(), '\n'));
        m_pending += line;
        m_pending += "\r\n";
        if (m_pending.size() >= kWriteChunk)
            FeedPending();
    }

    // True when the reader takes the text as it was written; otherwise the line it stops at.
    bool Accepted(CFileResult& refusal)
    {
        FeedPending();
        std::string line, message;
        int lineNo = 0;
        const bool read = m_parser.Finish(line, lineNo, message);
        if (read && m_brokenLineNo == 0)
            return true;
        refusal.m_kind = CFileResult::NotReadBack;
        if (!read && (m_brokenLineNo == 0 || lineNo < m_brokenLineNo)) {
            refusal.m_lineNo = lineNo;
            refusal.m_line = std::move(line);
            refusal.m_message = std::move(message);
        } else {
            refusal.m_lineNo = m_brokenLineNo;
            refusal.m_line = std::move(m_brokenLine);
            refusal.m_message = msg::kUnsavableCharacter;
        }
        return false;
    }

private:
    void FeedPending()
    {
        m_parser.Feed(m_pending);
        m_pending.clear();
    }

    CLineOutput& m_out;
    CTournamentParser m_parser;
    std::string m_pending; // whole lines, not yet read back
    int m_lineNo = 0;      // lines of the file written so far
    int m_brokenLineNo = 0;
    std::string m_brokenLine;
};

// A file system without hard links gets a copy: exclusive, synced, with the old file's time.
int CopyForBackup(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status = {};
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
    int error = CopyBytes(in, out);
    // As a second name of the old file would be: its mode whatever the umask, and its times.
    const timespec times[2] = {status.st_atim, status.st_mtim};
    if (error == 0)
        error = ErrorUnless(KeptIfPossible(::fchmod(out, status.st_mode & 07777)) &&
                            KeptIfPossible(::futimens(out, times)) && ::fsync(out) == 0);
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    if (error != 0)
        ::unlink(to.c_str());
    return error;
}

// The backup as a second name of the old file, so that the old bytes never leave the disk.
int MakeBackupAs(const std::string& file, const std::string& backup)
{
    if (::link(file.c_str(), backup.c_str()) == 0)
        return 0;
    const int error = errno;
    if (NoHardLinks(error))
        return CopyForBackup(file, backup);
    return error;
}

// A backup's name with a counter before its ending: "NAME_YYMMDD_hhmmss-2.bak" (or
// "-2.regler.bak"); the ending starts at the first '.' after the time.
std::string NumberedBackup(const std::string& backup, int counter)
{
    const std::size_t ending = backup.find('.', backup.rfind('_'));
    return backup.substr(0, ending) + '-' + std::to_string(counter) + backup.substr(ending);
}

// The name is made from the old file's time to the second, so a second save within that
// second finds it taken: the version it keeps then gets the first free counted name, which
// `backup` is changed to. Never in place of anything: every earlier version stays.
int MakeBackup(const std::string& file, std::string& backup)
{
    constexpr int kMostInOneSecond = 1000;
    const std::string plain = backup;
    int error = MakeBackupAs(file, backup);
    for (int counter = 2; error == EEXIST && counter <= kMostInOneSecond; ++counter) {
        backup = NumberedBackup(plain, counter);
        error = MakeBackupAs(file, backup);
    }
    return error;
}

// The file at `path` (through a link, the file it names) replaced whole by what `write` puts in
// its new version, which gets the old one's permissions; the failures as the window tells them.
template <typename Write>
CFileResult ReplaceWith(const QString& path, const Write& write)
{
    const QString target = Target(QFileInfo(path).absoluteFilePath());
    struct stat status = {};
    const int mode = ::stat(ToLocal8(target).c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
    CNewVersion out;
    if (const int error = out.Create(target, mode))
        return error == ENOSPC || error == EDQUOT ? Failure(CFileError::DiskFull, path)
                                                  : Failure(CFileResult::CannotCreate, path);
    write(out);
    if (!out.Commit())
        return Failure(CauseOf(out.Error()), path);
    return {};
}

} // namespace

CFileResult LoadTournamentFile(const QString& path, CLoadedTournament& loaded, std::vector<CReadNote>* notes)
{
    CTextFileReader reader;
    if (!reader.Open(path))
        return Failure(CFileResult::CannotOpen, path);
    loaded.m_path = reader.FilePath();
    loaded.m_status = reader.Status();
    CTournamentParser parser(loaded.m_tournament);
    parser.KeepNotes(notes);
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

CFileResult WriteStandingsPage(const QString& tournamentPath, const CStandingsView& view, QString& pagePath,
                               const CGroupStandings* groups)
{
    if (!ReportPath(tournamentPath, pagePath))
        return Failure(CFileResult::CannotCreate, pagePath);
    pagePath = QFileInfo(pagePath).absoluteFilePath();
    CFileResult result =
        ReplaceWith(pagePath, [&view, &groups](CNewVersion& out) { WriteHtmlPage(out, view, groups); });
    if (result.Ok())
        PutStylesheetBeside(pagePath);
    return result;
}

CFileResult ReplaceFile(const QString& path, std::string_view bytes)
{
    return ReplaceWith(path, [bytes](CNewVersion& out) { out.WriteText(bytes); });
}

CFileResult SaveTournamentFile(CTournament& tournament, const QString& path, bool anew, CTournament* readBack)
{
    TrimSpaces(tournament.m_title);
    if (tournament.m_title.empty()) {
        CFileResult refused;
        refused.m_kind = CFileResult::Refused;
        refused.m_message = msg::kEmptyTournamentName;
        return refused;
    }
    const QString target = Target(path);
    const std::string file = ToLocal8(target);
    struct stat status = {};
    std::string backup;
    if (::stat(file.c_str(), &status) != 0) {
        // The file that could not be kept, with the cause.
        if (!anew || errno != ENOENT)
            return Failure(CauseOf(errno), path);
    } else {
        // The backup is named by the time of the file it keeps, whoever wrote that file last.
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(status.st_mtim.tv_sec) * 1000 +
                                                                  status.st_mtim.tv_nsec / 1000000);
        backup = ToLocal8(BackupName(target, modified));
    }
    switch (const int error = backup.empty() ? 0 : MakeBackup(file, backup)) {
    case 0:
        break;
    case EROFS:
    case EACCES:
        return Failure(CFileResult::CannotCreate, path);
    case ENOSPC:
    case EDQUOT:
        return Failure(CFileError::DiskFull, target);
    default:
        // The backup that could not be made, with the cause (its name too long, the old file gone).
        return Failure(CauseOf(error), QFile::decodeName(QByteArray::fromStdString(backup)));
    }
    CNewVersion out;
    const int mode = backup.empty() ? -1 : static_cast<int>(status.st_mode & 07777);
    const bool created = out.Create(target, mode) == 0;
    CTournament read;
    CFileResult refusal;
    bool accepted = true;
    if (created) {
        if (readBack)
            *readBack = CTournament();
        CReadBack check(out, readBack ? *readBack : read);
        tournament.Write(check, LongestPlayerNameLength(tournament));
        accepted = check.Accepted(refusal);
    }
    if (created && accepted && out.Commit())
        return {};
    // Nothing of this save stays: the backup name goes, the old file is still in place.
    out.Discard();
    if (!backup.empty())
        ::unlink(backup.c_str());
    if (!accepted) {
        refusal.m_path = target;
        return refusal;
    }
    return created ? Failure(CauseOf(out.Error()), target) : Failure(CFileResult::CannotCreate, path);
}

int KeepBackup(const QString& file, QString& backup)
{
    std::string name = ToLocal8(backup);
    const int error = MakeBackup(ToLocal8(file), name);
    backup = QFile::decodeName(QByteArray::fromStdString(name));
    return error;
}

int WriteTournamentCopy(const CTournament& tournament, const QString& path)
{
    CNewVersion out;
    if (const int error = out.Create(QFileInfo(path).absoluteFilePath(), -1))
        return error;
    tournament.Write(out, LongestPlayerNameLength(tournament));
    return out.Commit() ? 0 : out.Error();
}

CFileResult CreateTournamentFile(const QString& path)
{
    if (QFileInfo::exists(path))
        return Failure(CFileResult::CannotCreate, path);
    const QFileInfo info(path);
    QString title = info.completeBaseName().trimmed().isEmpty() ? info.fileName() : info.completeBaseName();
    // A file name may hold what a title line cannot.
    for (QChar& c : title)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    CTournament tournament;
    tournament.m_title = title.toStdString();
    tournament.m_encoding = TextEncoding::Utf8;
    tournament.m_byteOrderMark = false;
    return SaveTournamentFile(tournament, path, true);
}
