// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <QString>

#include <string>

// A failed file operation: one cause and the file it concerns (none for a failed move).
struct CFileError
{
    enum Cause {
        Generic,
        FileNotFound,
        BadPath,
        TooManyOpenFiles,
        AccessDenied,
        HardIO,
        DiskFull,
    };

    Cause m_cause = Generic;
    QString m_fileName; // empty: the error names no file

    // The report text of the cause, with the file's path or "an unnamed file" in it.
    QString ReportText() const;
};

// The cause of the system's error number `error` (errno).
CFileError::Cause CauseOf(int error);

// What loading, writing the page or saving came to. The window shows its message in a box,
// the tool prints it; neither decides anything from it but "done or not".
struct CFileResult
{
    enum Kind {
        Done,
        Refused,      // m_lineNo, m_line, m_message: the reader refused a line (m_lineNo 0: no line)
        FileError,    // m_error
        CannotOpen,   // m_path
        CannotCreate, // m_path
        RulesRefused, // m_lineNo, m_line (UTF-8), m_message: a line of the rules file m_path (its name)
        NotReadBack,  // m_lineNo, m_line, m_message: the save of m_path stopped, as its text would be refused
    };

    Kind m_kind = Done;
    int m_lineNo = 0;
    std::string m_line;    // in the tournament's encoding, as the file has it
    std::string m_message; // the program's own text, Windows-1252
    CFileError m_error;
    QString m_path;

    bool Ok() const { return m_kind == Done; }
};

// The message of a result that is not Done: a refused line is named first ("Rad N : ..."), as
// the file has it in `encoding`; empty for Done.
QString ResultMessage(const CFileResult& result, TextEncoding encoding);
