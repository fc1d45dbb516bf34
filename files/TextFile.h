// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What the system said of a file when it was read: which file it was (device and inode), its
// size, its last modification and its last inode change (to the nanosecond), so that a later
// look can tell whether it is still the same: a program that writes in place and puts the old
// modification time back still changes the inode's time.
struct CFileStatus
{
    std::uint64_t m_device = 0;
    std::uint64_t m_inode = 0;
    std::int64_t m_size = -1; // -1: no status taken
    std::int64_t m_modifiedSeconds = 0;
    std::int64_t m_modifiedNanoseconds = 0;
    std::int64_t m_inodeChangedSeconds = 0;
    std::int64_t m_inodeChangedNanoseconds = 0;

    // The last modification, to the millisecond, as Qt gives file times.
    QDateTime LastModified() const;
    friend bool operator==(const CFileStatus&, const CFileStatus&) = default;
};

// The status of the file `path` names now (a symbolic link followed); false when there is none.
bool ReadFileStatus(const QString& path, CFileStatus& status);

// A tournament file opened for reading; its bytes are read as on disk.
class CTextFileReader
{
public:
    // False when the file cannot be opened (missing, unreadable, a folder).
    bool Open(const QString& path);
    // The file's full path and its status, taken when it was opened.
    QString FilePath() const { return m_path; }
    const CFileStatus& Status() const { return m_status; }
    // Reads the rest of the file, handing it to `take` in pieces that each end right after a
    // line feed, but for the last (possibly empty) one; a read error gives its cause, naming
    // the file.
    bool ReadLines(const std::function<void(std::string_view)>& take, CFileError& error);
    void Close();

private:
    QFile m_file;
    QString m_path;
    CFileStatus m_status;
};

// read(2) and a whole write(2), each made again when a signal interrupts it. ReadSome gives
// what read gives; WriteAll 0, or the errno of the failure (ENOSPC when nothing could be written).
long ReadSome(int fd, char* data, std::size_t size);
int WriteAll(int fd, const char* data, std::size_t size);

// A path as the system takes it (the bytes of the local file-name encoding).
std::string ToLocal8(const QString& path);

// Whether a failed link(2) says the file system has no hard links (FAT, a link across file
// systems, too many links), so that a copy or a rename must do instead.
bool NoHardLinks(int error);

// A file without a name in `folder` (O_TMPFILE), opened with `flags`; -1 with errno on failure,
// where NoUnnamedFiles(errno) says the file system cannot make one.
int OpenUnnamed(const std::string& folder, int flags);
bool NoUnnamedFiles(int error);

// Gives the unnamed file `fd` the name `name`, never in place of anything of that name; false
// with errno on failure.
bool LinkUnnamed(int fd, const std::string& name);
// Whether a failed LinkUnnamed calls for a named file instead: the file system has no hard
// links, or there is no /proc to link through (a chroot, some containers: ENOENT).
bool CannotLinkUnnamed(int error);

// A hidden name beside `target` in `folder` for a new version on its way in: ".NAME.RANDOM.new".
std::string HiddenNewName(const std::string& folder, const std::string& target);

// Makes a new name in `folder` last; failing that undoes nothing, so nothing is reported.
void SyncFolder(const std::string& folder);

// The name of a file with its extension replaced by `newEnding` (only the file-name part
// is looked at for the '.'; a name without one gets `newEnding` appended).
QString ChangeExtension(const QString& path, const std::string& newEnding);

// The standings page's path beside a tournament file (its extension replaced by ".htm").
// False when that path is the tournament file itself (a tournament named *.htm, or a link to
// it), which the page must never be written over.
bool ReportPath(const QString& tournamentPath, QString& reportPath);

// The backup name of a tournament file last modified at `lastModified`:
// "<path without extension>_YYMMDD_hhmmss.bak", in local time.
QString BackupName(const QString& path, const QDateTime& lastModified);
