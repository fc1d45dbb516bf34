// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"
#include "files/TextFile.h"
#include "model/Reader.h"
#include "model/Tournament.h"
#include "report/StandingsView.h"

#include <QDateTime>
#include <QString>

#include <string_view>
#include <vector>

struct CLoadedTournament
{
    CTournament m_tournament; // after a refused line: the rounds complete before it
    QString m_path;           // full path; empty when the file could not be opened
    CFileStatus m_status;     // taken when it was opened; its time names the backup of a later save
};

// Opens, reads and parses a tournament file as choosing it in the window does; with `notes`,
// also what the reader accepted but a person may not have meant.
CFileResult LoadTournamentFile(const QString& path, CLoadedTournament& loaded, std::vector<CReadNote>* notes = nullptr);

// Writes the page of the standings beside the tournament file (its full path in
// `pagePath`), never over the tournament itself. The page is replaced whole or not at all.
// `groups`: the classes and teams the page shows after the overall table, if any.
CFileResult WriteStandingsPage(const QString& tournamentPath, const CStandingsView& view, QString& pagePath,
                               const CGroupStandings* groups = nullptr);

// Puts a file holding `bytes` at `path`, in place of what is there: replaced whole or not at
// all, as the page is.
CFileResult ReplaceFile(const QString& path, std::string_view bytes);

// Saves over `path` as the window's close does: the title trimmed and refused when empty;
// the old file kept under its backup name (from its last modification as it is now), then the
// new text put in its place by one rename. At every instant `path` holds the old or the new
// bytes whole; a failure leaves the folder as it was. A symbolic link stays: its target is
// replaced. When `path` names no file, it is written anew (nothing to back up) if `anew`,
// and refused as not found otherwise. The new text is read back as it is written: one the
// reader would refuse, or that would lose a line break, is never put in place (NotReadBack).
// `readBack`, when given, gets the tournament as the reader takes it from the new file.
CFileResult SaveTournamentFile(CTournament& tournament, const QString& path, bool anew = false,
                               CTournament* readBack = nullptr);

// Keeps `file` as it is now under the name `backup` (a second name of it; an exact copy with its
// times where the file system has no hard links); where that name is taken, under the first free
// "NAME_YYMMDD_hhmmss-2…" that `backup` is changed to. 0, or the errno of the failure.
int KeepBackup(const QString& file, QString& backup);

// Writes the tournament's text to `path` exactly as a save writes it (the title as it stands),
// replacing whatever file is there whole by one rename, without a backup. 0, or the errno of
// the step that failed, with nothing new left behind.
int WriteTournamentCopy(const CTournament& tournament, const QString& path);

// Makes `path`, which must not exist yet, a new tournament file: the title line alone (the file's
// name without its ending), UTF-8 without a byte-order mark, written as a save writes.
CFileResult CreateTournamentFile(const QString& path);
