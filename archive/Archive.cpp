// SPDX-License-Identifier: GPL-3.0-or-later
// The seasons of a club's folder read as the window reads each, ranked by each one's own rules.
#include "archive/Archive.h"

#include "files/FileError.h"
#include "files/NameMatch.h"
#include "files/RulesFile.h"
#include "files/Stylesheet.h"
#include "files/TournamentFile.h"
#include "model/ClubPlayers.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unordered_map>

namespace {

constexpr const char* kPlayersFile = "arkiv.spelare";

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

// Whether `a` is a better single round than `b` under `counting`.
bool Better(const CSeasonCounting& counting, int a, int b)
{
    return counting.m_lowestWins ? a < b : a > b;
}

// When a season ended, as far as its name tells: "2025 vår" the spring of 2025. The parts of the
// year in their order, each at its usual end; a year alone at the year's end. None without a year.
std::optional<std::int64_t> SeasonTime(const std::string& name)
{
    const QString text = QString::fromStdString(name).toLower();
    int year = 0;
    for (qsizetype i = 0; i + 4 <= text.size() && year == 0; ++i) {
        const bool edge = (i == 0 || !text[i - 1].isDigit()) && (i + 4 == text.size() || !text[i + 4].isDigit());
        bool digits = edge;
        for (qsizetype j = i; j < i + 4 && digits; ++j)
            digits = text[j].isDigit();
        if (digits)
            year = text.mid(i, 4).toInt();
    }
    if (year < 1000)
        return std::nullopt;
    int month = 12;
    const std::pair<const char*, int> parts[] = {{"vinter", 2}, {"v\xC3\xA5r", 5}, {"sommar", 8}, {"h\xC3\xB6st", 11}};
    for (const auto& [word, end] : parts) {
        if (text.contains(QString::fromUtf8(word)))
            month = end;
    }
    return QDate(year, month, 1).startOfDay(Qt::UTC).toMSecsSinceEpoch();
}

// The season's own standings, as the page has them: the results and the winners of each table.
void TakeStandings(CSeason& season, const CTournament& tournament, const CSeriesRules& rules,
                   const CClubPlayers& players, const std::function<std::size_t(const std::string&)>& person)
{
    const TextEncoding encoding = tournament.m_encoding;
    const CStandingsView view(tournament, rules, SIZE_MAX, &players);
    std::optional<CGroupStandings> groups;
    if (players.SetsGroups())
        groups.emplace(tournament, players, rules);
    season.m_page = HtmlPageText(view, groups ? &*groups : nullptr);
    for (const CRound& round : tournament.m_rounds)
        season.m_rounds.push_back(ToUtf8(round.m_name, encoding));
    const bool overall = !groups || groups->ShowsOverall();
    season.m_overall = overall;
    CWinners first;
    std::unordered_map<PlayerId, std::size_t> resultOf;
    for (std::size_t i = 0; i < view.LineCount(); ++i) {
        const CStandingsLine line = view.Line(i);
        CSeasonResult result;
        result.m_spelling = ToUtf8(view.Name(line), encoding);
        result.m_person = person(result.m_spelling);
        result.m_place = overall && line.m_placed ? line.m_place : 0;
        result.m_total = line.m_total;
        result.m_rounds = line.m_roundsPlayed;
        for (std::size_t k = 0; k < view.RoundCount(); ++k) {
            const std::optional<int> points = view.Points(i, k);
            if (!points)
                continue;
            if (!result.m_bestRound || Better(season.m_counting, *points, *result.m_bestRound)) {
                result.m_bestRound = *points;
                result.m_bestRounds.clear();
            }
            if (*points == *result.m_bestRound)
                result.m_bestRounds.push_back(k);
            // A round win as the page marks it.
            result.m_wins += view.RoundWin(i, k) ? 1 : 0;
        }
        if (groups) {
            if (const std::string* name = groups->ClassNameOf(line.m_player))
                result.m_class = *name;
            if (const std::string* name = groups->TeamNameOf(line.m_player))
                result.m_team = *name;
        }
        if (result.m_place == 1)
            first.m_people.push_back(result.m_person);
        resultOf[line.m_player] = season.m_results.size();
        season.m_results.push_back(std::move(result));
    }
    if (overall)
        season.m_winners.push_back(std::move(first));
    for (std::size_t c = 0; groups && c < groups->ClassCount(); ++c) {
        const CStandingsView& classView = groups->ClassView(c);
        CWinners winners;
        winners.m_group = groups->ClassName(c);
        for (std::size_t i = 0; i < classView.LineCount(); ++i) {
            const CStandingsLine line = classView.Line(i);
            CSeasonResult& result = season.m_results[resultOf.at(line.m_player)];
            result.m_classPlace = line.m_placed ? line.m_place : 0;
            if (result.m_classPlace == 1)
                winners.m_people.push_back(result.m_person);
        }
        season.m_winners.push_back(std::move(winners));
    }
    if (groups && !groups->Teams().empty()) {
        CWinners winners;
        winners.m_group = "Lag";
        for (const CTeamLine& line : groups->Teams()) {
            if (line.m_place == 1 && line.m_total > 0)
                winners.m_teams.push_back(groups->TeamName(line.m_team));
        }
        season.m_winners.push_back(std::move(winners));
    }
}

// The tournament files under `folder`, in the order of their paths.
QStringList TournamentFiles(const QString& folder, const QString& skip)
{
    QStringList files;
    const QString skipped = skip.isEmpty() ? QString() : QFileInfo(skip).absoluteFilePath() + '/';
    QDirIterator it(folder, {QStringLiteral("*.txt"), QStringLiteral("*.TXT")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!skipped.isEmpty() && QFileInfo(path).absoluteFilePath().startsWith(skipped))
            continue;
        files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

CSeasonCounting SeasonCounting(const CSeriesRules& rules)
{
    // Placing points are only comparable under the same table.
    std::string word(CountingWord(rules.m_counting));
    if (rules.m_counting == Counting::Placing) {
        word += rules.m_pointsForBeaten ? " slagna" : "";
        for (const int points : rules.m_placePoints)
            word += " " + std::to_string(points);
    }
    return {word, rules.LowerTotalWins()};
}

bool ReadArchivePlayers(const QString& folder, std::map<std::string, std::string>& sameAs, QString& error)
{
    sameAs.clear();
    QFile file(QDir(folder).filePath(QString::fromLatin1(kPlayersFile)));
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1 kan inte läsas").arg(QString::fromLatin1(kPlayersFile));
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::string section;
    const auto refuse = [&error](int lineNo, std::string_view line, const char* reason) {
        error =
            QStringLiteral("Rad %1 i %2 : \"%3\"\n%4")
                .arg(lineNo)
                .arg(QString::fromLatin1(kPlayersFile),
                     QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())), QString::fromUtf8(reason));
        return false;
    };
    const std::string_view prefix = "[samma som ";
    return ForEachSidecarLine(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        [&](std::string_view line, int lineNo) {
            const std::string_view text = Trimmed(line);
            if (text.empty() || text.front() == '#')
                return true;
            if (text.front() == '[') {
                if (!text.starts_with(prefix) || text.back() != ']')
                    return refuse(lineNo, line, "Okänt avsnitt: välj [samma som NAMN]");
                section = Trimmed(text.substr(prefix.size(), text.size() - prefix.size() - 1));
                if (section.empty())
                    return refuse(lineNo, line, "Avsnittet saknar namn");
                return true;
            }
            if (section.empty())
                return refuse(lineNo, line, "Namn före första avsnittet: börja med [samma som NAMN]");
            // As in the players file: '\' keeps what follows as it stands.
            const std::string name(text.front() == '\\' ? line.substr(line.find('\\') + 1) : text);
            const auto [at, added] = sameAs.emplace(name, section);
            if (!added && at->second != section)
                return refuse(lineNo, line, "Namnet står redan under ett annat namn");
            return true;
        });
}

bool ReadArchive(const QString& folder, CArchive& archive, QString& error, const QString& skip,
                 const ArchiveProgress& progress)
{
    archive = CArchive();
    std::map<std::string, std::string> sameAs;
    if (!ReadArchivePlayers(folder, sameAs, error))
        return false;
    archive.m_stylesheet = ServedStylesheet(QDir(folder).filePath(QStringLiteral("x.txt")));
    const QStringList files = TournamentFiles(folder, skip);
    const QDir base(folder);
    std::unordered_map<std::string, std::size_t> personOf;
    const auto person = [&](const std::string& spelling) {
        const auto joined = sameAs.find(spelling);
        const std::string& name = joined == sameAs.end() ? spelling : joined->second;
        const auto [at, added] = personOf.emplace(name, archive.m_people.size());
        if (added)
            archive.m_people.push_back({name, {}, {}, {}});
        std::vector<std::string>& spellings = archive.m_people[at->second].m_spellings;
        if (std::find(spellings.begin(), spellings.end(), spelling) == spellings.end())
            spellings.push_back(spelling);
        return at->second;
    };
    for (qsizetype f = 0; f < files.size(); ++f) {
        if (progress && !progress(static_cast<std::size_t>(f), static_cast<std::size_t>(files.size()))) {
            error = QStringLiteral("avbrutet");
            return false;
        }
        const QString& path = files[f];
        const std::string relative = Utf8(base.relativeFilePath(path));
        CLoadedTournament loaded;
        CSeriesRules rules;
        CClubPlayers players;
        CFileResult result = LoadTournamentFile(path, loaded);
        if (result.Ok())
            result = LoadRulesFile(path, rules);
        if (result.Ok())
            result = LoadPlayersFile(path, players);
        if (!result.Ok()) {
            archive.m_refused.push_back(
                {relative, Utf8(ResultMessage(result, loaded.m_tournament.m_encoding).replace('\n', ' '))});
            continue;
        }
        if (!rules.m_archive) {
            archive.m_leftOut.push_back(relative);
            continue;
        }
        CSeason season;
        season.m_path = QFileInfo(path).absoluteFilePath();
        season.m_file = relative;
        season.m_title = ToUtf8(loaded.m_tournament.m_title, loaded.m_tournament.m_encoding);
        season.m_named = !rules.m_season.empty();
        season.m_name = season.m_named ? rules.m_season : season.m_title;
        season.m_modified = loaded.m_status.LastModified();
        season.m_when = SeasonTime(rules.m_season).value_or(season.m_modified.toMSecsSinceEpoch());
        season.m_inRecords = rules.m_records;
        season.m_counting = SeasonCounting(rules);
        TakeStandings(season, loaded.m_tournament, rules, players, person);
        archive.m_seasons.push_back(std::move(season));
    }
    if (progress)
        progress(static_cast<std::size_t>(files.size()), static_cast<std::size_t>(files.size()));
    // Newest first; seasons of one time in the order of their files.
    std::stable_sort(archive.m_seasons.begin(), archive.m_seasons.end(),
                     [](const CSeason& a, const CSeason& b) { return a.m_when > b.m_when; });
    // The people by name, each with a file name of its own that stays while the names stay.
    std::vector<std::size_t> order(archive.m_people.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return archive.m_people[a].m_name < archive.m_people[b].m_name; });
    std::vector<std::size_t> renumbered(order.size());
    std::vector<CPerson> people;
    people.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        renumbered[order[i]] = i;
        people.push_back(std::move(archive.m_people[order[i]]));
    }
    archive.m_people = std::move(people);
    std::set<std::string> taken;
    for (CPerson& p : archive.m_people)
        p.m_fileName = "spelare/" + SafeFileName(p.m_name, taken) + ".html";
    // Season pages beside the index: named after their files; index.html and the others are .html.
    std::set<std::string> pages;
    for (std::size_t s = 0; s < archive.m_seasons.size(); ++s) {
        CSeason& season = archive.m_seasons[s];
        const std::string file = season.m_file.substr(0, season.m_file.rfind('.'));
        season.m_pageName = SafeFileName(file, pages) + ".htm";
        for (std::size_t r = 0; r < season.m_results.size(); ++r) {
            CSeasonResult& result = season.m_results[r];
            result.m_person = renumbered[result.m_person];
            archive.m_people[result.m_person].m_seasons.emplace_back(s, r);
        }
        for (CWinners& winners : season.m_winners) {
            for (std::size_t& p : winners.m_people)
                p = renumbered[p];
        }
    }
    return true;
}

std::vector<std::vector<std::size_t>> SimilarNames(const CArchive& archive)
{
    const CNameMatch match;
    std::map<std::string, std::vector<std::size_t>> byKey;
    std::string key;
    for (std::size_t p = 0; p < archive.m_people.size(); ++p) {
        // Blanks folded as the round editor folds them before it compares.
        std::string folded;
        for (const char c : Trimmed(archive.m_people[p].m_name)) {
            if (!IsSpace(c) || folded.empty() || folded.back() != ' ')
                folded += IsSpace(c) ? ' ' : c;
        }
        const std::u16string name = ToUtf16(folded, TextEncoding::Utf8);
        for (int kind = 0; kind < CNameMatch::KindCount; ++kind) {
            match.Key(name, static_cast<CNameMatch::Kind>(kind), key);
            byKey[std::to_string(kind) + key].push_back(p);
        }
    }
    // People joined through any key are one group: the smallest index stands for the group.
    std::vector<std::size_t> root(archive.m_people.size());
    for (std::size_t i = 0; i < root.size(); ++i)
        root[i] = i;
    const auto find = [&root](std::size_t i) {
        while (root[i] != i)
            i = root[i] = root[root[i]];
        return i;
    };
    for (const auto& [k, people] : byKey) {
        for (const std::size_t p : people) {
            const std::size_t a = find(people.front()), b = find(p);
            root[std::max(a, b)] = std::min(a, b);
        }
    }
    std::map<std::size_t, std::vector<std::size_t>> groups;
    for (std::size_t p = 0; p < root.size(); ++p)
        groups[find(p)].push_back(p);
    std::vector<std::vector<std::size_t>> similar;
    for (auto& [first, group] : groups) {
        if (group.size() > 1)
            similar.push_back(std::move(group));
    }
    return similar;
}

std::string SafeFileName(const std::string& name, std::set<std::string>& taken)
{
    // Accents go with their letters' decomposition; anything else not a letter or digit is a '-'.
    const QString decomposed = QString::fromStdString(name).normalized(QString::NormalizationForm_KD);
    std::string safe;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const char16_t u = c.toLower().unicode();
        if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
            safe += static_cast<char>(u);
        else if (!safe.empty() && safe.back() != '-')
            safe += '-';
        if (safe.size() >= 60)
            break;
    }
    while (!safe.empty() && safe.back() == '-')
        safe.pop_back();
    if (safe.empty())
        safe = "x";
    // Names Windows keeps for devices, whatever follows a dot.
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "com", "lpt"};
    const std::string stem = safe.substr(0, safe.find('-'));
    for (const char* device : kDevices) {
        const std::string d = device;
        if (stem == d || (stem.size() == 4 && stem.starts_with(d) && stem[3] >= '0' && stem[3] <= '9'))
            safe += "-x";
    }
    std::string unique = safe;
    for (int n = 2; taken.contains(unique); ++n)
        unique = safe + "-" + std::to_string(n);
    taken.insert(unique);
    return unique;
}
