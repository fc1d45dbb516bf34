// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"
#include "model/Tournament.h"
#include "report/StandingsView.h"

#include <QDateTime>
#include <QString>

#include <cstddef>
#include <limits>
#include <string>

class CLineOutput;

// What loading, writing the page or saving came to. The window shows it in a box, the tool
// prints it; neither decides anything from it but "done or not".
struct CFileResult
{
    enum Kind {
        Done,
        Refused,      // m_lineNo, m_line, m_message: the reader refused a line (m_lineNo 0: no line)
        FileError,    // m_error
        CannotOpen,   // m_path
        CannotCreate, // m_path
    };

    Kind m_kind = Done;
    int m_lineNo = 0;
    std::string m_line;    // in the tournament's encoding, as the file has it
    std::string m_message; // the program's own text, Windows-1252
    CFileError m_error;
    QString m_path;

    bool Ok() const { return m_kind == Done; }
};

struct CLoadedTournament
{
    CTournament m_tournament; // after a refused line: the rounds complete before it
    QString m_path;           // full path; empty when the file could not be opened
    QDateTime m_lastModified; // names the backup of a later save
};

// Opens, reads and parses a tournament file as choosing it in the window does.
CFileResult LoadTournamentFile(const QString& path, CLoadedTournament& loaded);

inline constexpr std::size_t kAllRounds = std::numeric_limits<std::size_t>::max();

// Writes the page of the standings beside the tournament file (its full path in
// `pagePath`), never over the tournament itself. The page is replaced whole or not at all.
CFileResult WriteStandingsPage(const QString& tournamentPath, const CStandingsView& view, QString& pagePath);

// Saves over `path` as the window's close does: the title trimmed and refused when empty;
// the old file kept under its backup name (from `lastModified`), then the new text put in
// its place by one rename. At every instant `path` holds the old or the new bytes whole;
// a failure leaves the folder as it was. A symbolic link stays: its target is replaced.
CFileResult SaveTournamentFile(CTournament& tournament, const QString& path, const QDateTime& lastModified);
