// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A failed file operation: one cause and the file it concerns (none for a failed move).
struct CFileError
{
    enum Cause {
        None,
        Generic,
        FileNotFound,
        BadPath,
        TooManyOpenFiles,
        AccessDenied,
        InvalidFile,
        RemoveCurrentDir,
        DirectoryFull,
        BadSeek,
        HardIO,
        SharingViolation,
        LockViolation,
        DiskFull,
        EndOfFile,
    };

    Cause m_cause = None;
    QString m_fileName; // empty: the error names no file

    // The report text of the cause, with the file's path or "an unnamed file" in it.
    QString ReportText() const;
};
