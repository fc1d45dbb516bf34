// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

// A tournament file opened for reading; its bytes are read as on disk.
class CTextFileReader
{
public:
    // False when the file cannot be opened (missing, unreadable, a folder).
    bool Open(const QString& path);
    // The file's full path and its last-modification time, taken when it was opened.
    QString FilePath() const { return m_path; }
    QDateTime LastModified() const { return m_lastModified; }
    // Reads the rest of the file, handing it to `take` in pieces that each end right after a
    // line feed, but for the last (possibly empty) one; a read error gives the cause generic,
    // naming the file.
    bool ReadLines(const std::function<void(std::string_view)>& take, CFileError& error);
    void Close();

private:
    QFile m_file;
    QString m_path;
    QDateTime m_lastModified;
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
