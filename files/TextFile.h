#pragma once

#include "FileError.h"
#include "LineOutput.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QFileDevice;

// A tournament file opened for reading; its bytes are read whole, as on disk.
class CTextFileReader
{
public:
    // False when the file cannot be opened (missing, unreadable, a folder).
    bool Open(const QString& path);
    // The file's full path and its last-modification time, taken when it was opened.
    QString FilePath() const { return m_path; }
    QDateTime LastModified() const { return m_lastModified; }
    // Reads the rest of the file; a read error gives the cause generic, naming the file.
    bool ReadAll(std::string& bytes, CFileError& error);
    void Close();

private:
    QFile m_file;
    QString m_path;
    QDateTime m_lastModified;
};

// A text file written line by line, every line ending with CR LF.
class CTextFileWriter : public CLineOutput
{
public:
    enum class Mode {
        Replace,     // create or empty the file and write into it
        AllOrNothing // write beside it; the file is replaced only by Commit
    };

    CTextFileWriter();
    CTextFileWriter(const CTextFileWriter&) = delete;
    CTextFileWriter& operator=(const CTextFileWriter&) = delete;
    virtual ~CTextFileWriter();

    // False when the file cannot be created.
    bool Create(const QString& path, Mode mode);
    QString FilePath() const { return m_path; }
    bool IsOpen() const { return m_device != nullptr; }

    // Writes the line and CR LF. A failure is kept and reported by Close or Commit.
    void WriteLine(const std::string& line) override;

    // Writes what is buffered; a failed write gives the cause disk full, naming the file.
    bool Flush(CFileError& error);
    // Replace mode: flushes and closes the file.
    bool Close(CFileError& error);
    // AllOrNothing mode: flushes and puts the new file in place of the old.
    bool Commit(CFileError& error);
    // Drops the file being written; in AllOrNothing mode nothing is left on disk.
    void Discard();

private:
    std::unique_ptr<QFileDevice> m_device;
    QString m_path;
    std::string m_buffer;
    bool m_failed = false;
};

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

// Moves a file to a new name; fails, never overwriting, when the name is taken. The error
// names no file.
bool MoveFile(const QString& from, const QString& to, CFileError& error);

enum class SaveStatus { Saved, CannotCreate, Failed };

// Saves a tournament file all or nothing: `writeBody` writes the new text through `out`
// into a new file beside `path`; then the old file is moved to its backup name (from
// `lastModified`) and the new file takes its place. On any failure the old file stays
// complete under `path` and no other file is left; `error` tells why (Failed), or
// the file could not be created at all (CannotCreate). A symbolic link is followed: the
// backup and the new file go beside its target.
SaveStatus SaveTournamentFile(CTextFileWriter& out, const QString& path, const QDateTime& lastModified,
                              const std::function<void()>& writeBody, CFileError& error);
