// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"
#include "model/ClubPlayers.h"
#include "model/SeriesRules.h"

#include <QString>

// The rules file of a tournament file: its path with the extension ".regler". False when that
// would be the tournament file itself (a tournament named *.regler), which holds no rules.
bool RulesPath(const QString& tournamentPath, QString& rulesPath);

// Reads the rules file beside the tournament file into `rules`; without one, no rules are in
// force. A refused line is RulesRefused, naming the file by its name alone.
CFileResult LoadRulesFile(const QString& tournamentPath, CSeriesRules& rules);

// Writes the rules file as the window sets the rules: replaced whole (a new file renamed over
// the old), keeping the comments of a file that was not refused; removed when no rule is left.
CFileResult SaveRulesFile(const QString& tournamentPath, const CSeriesRules& rules);

// Removes the file beside the tournament at `path`, if there is one, for good (the removal
// reaches the disk).
CFileResult RemoveSidecar(const QString& path);

// The players file of a tournament file: its path with the extension ".spelare"; false as for
// RulesPath.
bool PlayersPath(const QString& tournamentPath, QString& playersPath);

// Reads the players file beside the tournament file; without one, nobody has a class or team.
// A refused line is RulesRefused, naming the file by its name alone, as the rules file's.
CFileResult LoadPlayersFile(const QString& tournamentPath, CClubPlayers& players);

// Writes the players file as the window sets it: replaced whole, keeping the comments of a
// file that was not refused; removed when it lists nobody.
CFileResult SavePlayersFile(const QString& tournamentPath, const CClubPlayers& players,
                            const CRenamedNames& renamed = {});

// The register carried to a new tournament: writes `tournamentPath`'s players file and rules
// file from those of the tournament `fromPath` (its rounds are not copied). The players file
// lists every player of that tournament: its classes and teams as they were (comments kept),
// and the players with results but no entry under "[spelare]". The rules file is copied as it is.
CFileResult CarryOverPlayersAndRules(const QString& tournamentPath, const QString& fromPath);
