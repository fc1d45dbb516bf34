// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/SiteManifest.h"
#include "model/SeriesRules.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// How a season's numbers are counted, as far as the archive compares them: records are set
// only among seasons of the same counting, and each says which it is.
struct CSeasonCounting
{
    std::string m_word;        // as the rules file names it (UTF-8): "poäng"
    bool m_lowestWins = false; // the lowest round and total are the best
    friend bool operator==(const CSeasonCounting&, const CSeasonCounting&) = default;
};

// The counting of a season ranked by `rules`.
CSeasonCounting SeasonCounting(const CSeriesRules& rules);

// One player's season, as the season's own standings have it.
struct CSeasonResult
{
    std::size_t m_person = 0;
    std::string m_spelling; // the name as this season has it (UTF-8)
    int m_place = 0;        // 0: not placed (a minimum of rounds not reached), or no overall table
    std::string m_class;    // the player's class (UTF-8), empty for none
    int m_classPlace = 0;
    std::string m_team;
    std::int64_t m_total = 0; // what counted
    int m_rounds = 0;
    std::optional<int> m_bestRound;
    std::vector<std::size_t> m_bestRounds; // the rounds it was played in
    int m_wins = 0;                        // rounds in which the player had the round's best
};

// A group's winners: the players (or, for the team table, the teams) sharing first place.
struct CWinners
{
    std::string m_group; // the class or team table's name (UTF-8); empty for the overall table
    std::vector<std::size_t> m_people;
    std::vector<std::string> m_teams;
};

// One season of the archive.
struct CSeason
{
    QString m_path;
    std::string m_file;   // the tournament file, relative to the archive's folder (UTF-8)
    std::string m_title;  // UTF-8
    std::string m_name;   // "säsong" from the rules file, else the title
    bool m_named = false; // by "säsong"
    QDateTime m_modified;
    std::int64_t m_when = 0; // when it ended, as far as the archive knows: what orders the seasons
    bool m_inRecords = true;
    bool m_overall = true; // the overall table is shown (not left out for the classes')
    CSeasonCounting m_counting;
    std::vector<std::string> m_rounds;    // the rounds' names (UTF-8)
    std::vector<CSeasonResult> m_results; // in the order of the overall standings
    std::vector<CWinners> m_winners;      // the overall table's first, then each class's, then the teams'
    std::string m_page;                   // the season's standings page, as "Skapa Tabell" writes it
    std::string m_pageName;               // its name in the site
};

// One person across the seasons: one name, or several spellings joined in arkiv.spelare.
struct CPerson
{
    std::string m_name;     // UTF-8: the name the archive shows
    std::string m_fileName; // "spelare/NAME.html"
    std::vector<std::string> m_spellings;
    // The seasons played, newest first: (season, result) indices.
    std::vector<std::pair<std::size_t, std::size_t>> m_seasons;
};

// A file that is not in the archive, and why (UTF-8).
struct CArchiveNote
{
    std::string m_file;
    std::string m_message;
};

struct CArchive
{
    std::vector<CSeason> m_seasons; // newest first
    std::vector<CPerson> m_people;  // by name
    std::vector<CArchiveNote> m_refused;
    std::vector<std::string> m_leftOut; // files whose rules say "arkiv = nej"
    QByteArray m_stylesheet;            // the standings pages' "table.css"
};

// Told how far the reading is (files read, files in all); returns false to stop it.
using ArchiveProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The spellings joined in `folder`/arkiv.spelare: each other spelling with the name it is
// (UTF-8). False with the reason in `error` when the file is refused; none is no error.
bool ReadArchivePlayers(const QString& folder, std::map<std::string, std::string>& sameAs, QString& error);

// Reads every tournament file (*.txt) in `folder` and its subfolders, each with its rules and
// players files, into `archive`. A file the reader (or its rules or players file) refuses is
// noted and left out; the rest are read all the same. `skip`: a folder not to look in (where
// the site is written). False when arkiv.spelare is refused (`error`), or when stopped.
bool ReadArchive(const QString& folder, CArchive& archive, QString& error, const QString& skip = {},
                 const ArchiveProgress& progress = {});

// Names of players spelled alike (case, accents, blanks) across the seasons and not joined:
// each group of people, in the order of m_people.
std::vector<std::vector<std::size_t>> SimilarNames(const CArchive& archive);

// A file name for `name` (UTF-8) that is safe on every system: ASCII letters and digits with
// '-', no device name, at most 60 characters; made unique against `taken` (compared without
// letter case), where it is then added.
std::string SafeFileName(const std::string& name, std::set<std::string>& taken);

// The site: every page, the seasons' own pages and the stylesheets; index.html last, so that
// whoever puts the files in place in this order never has it link a page not there yet.
std::vector<CSiteFile> ArchiveSite(const CArchive& archive);
