// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/SeriesRules.h"

#include "model/Encoding.h"
#include "model/Text.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

namespace {

constexpr std::string_view kBest = "b\xC3\xA4sta";
constexpr std::string_view kPlanned = "omg\xC3\xA5ngar";
constexpr std::string_view kMinimum = "minst";
constexpr std::string_view kTiebreak = "s\xC3\xA4rskiljning";
constexpr std::string_view kTeam = "lag";
constexpr std::string_view kOverall = "totalt";
constexpr std::string_view kChange = "f\xC3\xB6r\xC3\xA4ndring";
constexpr std::string_view kChart = "diagram";
constexpr std::string_view kCounting = "r\xC3\xA4kning";
constexpr std::string_view kPlacePoints = "placeringspo\xC3\xA4ng";
constexpr std::string_view kOtherPoints = "\xC3\xB6vriga";
constexpr std::string_view kEntryPoints = "deltagarpo\xC3\xA4ng";
constexpr std::string_view kLowestWins = "l\xC3\xA4gst vinner";
constexpr std::string_view kBeaten = "slagna";

constexpr std::array<std::pair<Counting, std::string_view>, 4> kCountings = {{
    {Counting::Points, "po\xC3\xA4ng"},
    {Counting::Strokes, "slag"},
    {Counting::Placing, "placering"},
    {Counting::Place, "plats"},
}};
constexpr std::string_view kSeason = "s\xC3\xA4song";
constexpr std::string_view kArchive = "arkiv";
constexpr std::string_view kRecords = "rekord";

constexpr std::array<std::pair<Tiebreak, std::string_view>, 4> kCriteria = {{
    {Tiebreak::Wins, "segrar"},
    {Tiebreak::Highest, "h\xC3\xB6gsta"},
    {Tiebreak::Dropped, "struket"},
    {Tiebreak::Latest, "senaste"},
}};

// The reasons, Windows-1252 as the program's other messages.
constexpr const char* kNoEquals = "F\xF6rv\xE4ntad regel: <namn> = <v\xE4rde>";
constexpr const char* kUnknownKey =
    "Ok\xE4nd regel: v\xE4lj b\xE4sta, omg\xE5ngar, minst, s\xE4rskiljning, lag, totalt, f\xF6r\xE4ndring, "
    "diagram, r\xE4kning, placeringspo\xE4ng, \xF6vriga, deltagarpo\xE4ng, l\xE4gst vinner, s\xE4song, arkiv, "
    "rekord eller en handikappregel";
constexpr const char* kRepeatedKey = "Regeln st\xE5r redan i filen";
constexpr const char* kNotCount = "V\xE4rdet ska vara ett heltal fr\xE5n 1 till 2147483647";
constexpr const char* kEmptyCriterion = "Tomt kriterium i s\xE4rskiljningen";
constexpr const char* kUnknownCriterion = "Ok\xE4nt kriterium: v\xE4lj segrar, h\xF6gsta, struket eller senaste";
constexpr const char* kRepeatedCriterion = "Kriteriet st\xE5r redan i s\xE4rskiljningen";
constexpr const char* kNotYesNo = "V\xE4rdet ska vara ja eller nej";
constexpr const char* kBestAbovePlanned = "b\xE4sta f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar";
constexpr const char* kMinimumAbovePlanned = "minst f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar";
constexpr const char* kUnknownCounting = "Ok\xE4nd r\xE4kning: v\xE4lj po\xE4ng, slag, placering eller plats";
constexpr const char* kNotPoints = "V\xE4rdet ska vara ett heltal fr\xE5n 0 till 2147483647";
constexpr const char* kNotTable =
    "Placeringspo\xE4ngen ska vara heltal fr\xE5n 0, \xE5tskilda av blanksteg, eller slagna";
constexpr const char* kRisingTable = "Placeringspo\xE4ngen f\xE5r inte stiga";
constexpr const char* kOnlyPlacing = "G\xE4ller bara med r\xE4kning = placering";
constexpr const char* kNeedsTable = "R\xE4kning = placering kr\xE4ver placeringspo\xE4ng";
constexpr const char* kLowestWithPoints = "Med r\xE4kning = po\xE4ng vinner h\xF6gst: v\xE4lj placering eller plats";
constexpr const char* kLowestWithStrokes = "Med r\xE4kning = slag vinner alltid l\xE4gst";
constexpr const char* kEntryNotCounted = "G\xE4ller bara med r\xE4kning = po\xE4ng eller placering";
constexpr const char* kEmptySeason = "S\xE4songen saknar namn";

// Blanks, tabs and CRs at the ends go: a value ending in a CR before a blank would otherwise be
// kept with it and written at a line's end, where the reader drops it ("x\r " saved as "x").
std::string_view Stripped(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r";
    const std::size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

// Digits only, leading zeros allowed, 1..2147483647.
std::optional<int> Count(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483647)
            return std::nullopt;
    }
    return value >= 1 ? std::optional<int>(static_cast<int>(value)) : std::nullopt;
}

// 0..2147483647: the points a key gives.
std::optional<int> PointsValue(std::string_view text)
{
    return text == "0" || (text.find_first_not_of('0') == std::string_view::npos && !text.empty())
               ? std::optional<int>(0)
               : Count(text);
}

// The message of a refused points table, or none with the table in `rules`.
const char* ParsePlacePoints(std::string_view value, CSeriesRules& rules)
{
    if (value == kBeaten) {
        rules.m_pointsForBeaten = true;
        return nullptr;
    }
    for (std::size_t start = value.find_first_not_of(" \t"); start != std::string_view::npos;) {
        const std::size_t end = std::min(value.find_first_of(" \t", start), value.size());
        const std::optional<int> points = PointsValue(value.substr(start, end - start));
        if (!points)
            return kNotTable;
        if (!rules.m_placePoints.empty() && *points > rules.m_placePoints.back())
            return kRisingTable;
        rules.m_placePoints.push_back(*points);
        start = value.find_first_not_of(" \t", end);
    }
    return rules.m_placePoints.empty() ? kNotTable : nullptr;
}

// The message of a refused criteria list, or none with the criteria in `out`.
const char* ParseCriteria(std::string_view value, std::vector<Tiebreak>& out)
{
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(',', start);
        const std::string_view word =
            Stripped(value.substr(start, comma == std::string_view::npos ? value.npos : comma - start));
        if (word.empty())
            return kEmptyCriterion;
        const auto* known =
            std::find_if(kCriteria.begin(), kCriteria.end(), [word](const auto& c) { return c.second == word; });
        if (known == kCriteria.end())
            return kUnknownCriterion;
        if (std::find(out.begin(), out.end(), known->first) != out.end())
            return kRepeatedCriterion;
        out.push_back(known->first);
        if (comma == std::string_view::npos)
            return nullptr;
        start = comma + 1;
    }
}

// One "key = value" line; `key` is what stands before the '=', stripped.
struct CKeyLine
{
    std::string_view key, value;
};

std::optional<CKeyLine> KeyLine(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return CKeyLine{Stripped(line.substr(0, equals)), Stripped(line.substr(equals + 1))};
}

bool Ignored(std::string_view line)
{
    const std::string_view text = Stripped(line);
    return text.empty() || text.front() == '#';
}

std::string KeyText(std::string_view key, const CSeriesRules& rules)
{
    std::string line(key);
    line += " = ";
    if (key == kCounting)
        return line.append(CountingWord(rules.m_counting));
    if (key == kLowestWins)
        return line + "ja";
    if (key == kOtherPoints || key == kEntryPoints)
        return line + std::to_string(key == kOtherPoints ? *rules.m_otherPoints : *rules.m_entryPoints);
    if (key == kPlacePoints) {
        if (rules.m_pointsForBeaten)
            return line.append(kBeaten);
        for (std::size_t i = 0; i < rules.m_placePoints.size(); ++i)
            line.append(i > 0 ? " " : "").append(std::to_string(rules.m_placePoints[i]));
        return line;
    }
    if (key == kOverall)
        return line + (rules.m_overall ? "ja" : "nej");
    if (key == kChange || key == kChart)
        return line + "ja";
    if (key == kSeason)
        return line + rules.m_season;
    if (key == kArchive || key == kRecords)
        return line + "nej";
    const std::optional<int> value = key == kBest      ? rules.m_best
                                     : key == kPlanned ? rules.m_planned
                                     : key == kTeam    ? rules.m_team
                                                       : rules.m_minimum;
    if (key != kTiebreak)
        return line + std::to_string(*value);
    for (std::size_t i = 0; i < rules.m_tiebreak.size(); ++i)
        line.append(i > 0 ? ", " : "").append(TiebreakWord(rules.m_tiebreak[i]));
    return line;
}

bool Sets(std::string_view key, const CSeriesRules& rules)
{
    if (key == kCounting)
        return rules.m_counting != Counting::Points;
    if (key == kPlacePoints)
        return rules.m_pointsForBeaten || !rules.m_placePoints.empty();
    if (key == kOtherPoints || key == kEntryPoints)
        return (key == kOtherPoints ? rules.m_otherPoints : rules.m_entryPoints).has_value();
    if (key == kLowestWins)
        return rules.m_lowestWins;
    return key == kBest      ? rules.m_best.has_value()
           : key == kPlanned ? rules.m_planned.has_value()
           : key == kMinimum ? rules.m_minimum.has_value()
           : key == kTeam    ? rules.m_team.has_value()
           : key == kOverall ? !rules.m_overall
           : key == kChange  ? rules.m_change
           : key == kChart   ? rules.m_chart
           : key == kSeason  ? !rules.m_season.empty()
           : key == kArchive ? !rules.m_archive
           : key == kRecords ? !rules.m_records
                             : !rules.m_tiebreak.empty();
}

} // namespace

std::string_view TiebreakWord(Tiebreak criterion)
{
    return kCriteria[static_cast<std::size_t>(criterion)].second;
}

std::string_view CountingWord(Counting counting)
{
    return kCountings[static_cast<std::size_t>(counting)].second;
}

namespace {

// The lines of the keys of counting that a rules file has, 0 for none, and the text of each.
struct CCountingLines
{
    int m_counting = 0, m_table = 0, m_other = 0, m_entry = 0, m_lowest = 0;
    std::string_view m_countingText, m_tableText, m_otherText, m_entryText, m_lowestText;
};

// The keys of counting on one line: false with `message` set for a refused value.
bool ReadCountingKey(std::string_view key, std::string_view value, CSeriesRules& rules, const char*& message)
{
    if (key == kCounting) {
        const auto* known =
            std::find_if(kCountings.begin(), kCountings.end(), [value](const auto& c) { return c.second == value; });
        message = known == kCountings.end() ? kUnknownCounting : nullptr;
        if (!message)
            rules.m_counting = known->first;
    } else if (key == kPlacePoints) {
        message = ParsePlacePoints(value, rules);
    } else if (key == kLowestWins) {
        message = value != "ja" && value != "nej" ? kNotYesNo : nullptr;
        rules.m_lowestWins = value == "ja";
    } else {
        std::optional<int>& slot = key == kOtherPoints ? rules.m_otherPoints : rules.m_entryPoints;
        slot = PointsValue(value);
        message = slot ? nullptr : kNotPoints;
    }
    return message == nullptr;
}

// Keys that do not go together, known once the whole file is read: the earliest line at fault.
bool CheckCountingKeys(const CSeriesRules& rules, const CCountingLines& lines, CRulesRefusal& refusal)
{
    struct CFault
    {
        int m_lineNo;
        std::string_view m_line;
        const char* m_message;
    };
    std::vector<CFault> faults;
    const Counting counting = rules.m_counting;
    if (counting != Counting::Placing) {
        faults.push_back({lines.m_table, lines.m_tableText, kOnlyPlacing});
        faults.push_back({lines.m_other, lines.m_otherText, kOnlyPlacing});
    } else if (lines.m_table == 0) {
        faults.push_back({lines.m_counting, lines.m_countingText, kNeedsTable});
    }
    if (counting == Counting::Points || counting == Counting::Strokes)
        faults.push_back({lines.m_lowest, lines.m_lowestText,
                          counting == Counting::Points ? kLowestWithPoints : kLowestWithStrokes});
    if (counting == Counting::Strokes || counting == Counting::Place)
        faults.push_back({lines.m_entry, lines.m_entryText, kEntryNotCounted});
    const CFault* first = nullptr;
    for (const CFault& fault : faults) {
        if (fault.m_lineNo > 0 && (!first || fault.m_lineNo < first->m_lineNo))
            first = &fault;
    }
    if (first)
        refusal = {first->m_lineNo, std::string(first->m_line), first->m_message};
    return first == nullptr;
}

} // namespace

bool ParseSeriesRules(std::string_view text, CSeriesRules& rules, CRulesRefusal& refusal)
{
    rules = CSeriesRules();
    // The lines that set bästa and minst, for a breach that omgångar, read later, reveals.
    int bestLine = 0, minimumLine = 0;
    // "totalt", "förändring" and "diagram" seen, whether "ja" or "nej".
    bool overallRead = false, changeRead = false, chartRead = false;
    // The archive's keys seen: "säsong", "arkiv" and "rekord".
    bool archiveRead[3] = {};
    std::string_view bestText, minimumText;
    CCountingLines counting;
    CHandicapRulesReader handicap;
    const auto refuse = [&refusal](int lineNo, std::string_view line, const char* message) {
        refusal = {lineNo, std::string(line), message};
        return false;
    };
    const bool wholeFile = ForEachSidecarLine(text, [&](std::string_view line, int lineNo) {
        if (Ignored(line))
            return true;
        const std::optional<CKeyLine> entry = KeyLine(line);
        if (!entry)
            return refuse(lineNo, line, kNoEquals);
        const std::string_view key = entry->key;
        if (key == kCounting || key == kPlacePoints || key == kOtherPoints || key == kEntryPoints ||
            key == kLowestWins) {
            auto [at, atText] = key == kCounting      ? std::tie(counting.m_counting, counting.m_countingText)
                                : key == kPlacePoints ? std::tie(counting.m_table, counting.m_tableText)
                                : key == kOtherPoints ? std::tie(counting.m_other, counting.m_otherText)
                                : key == kEntryPoints ? std::tie(counting.m_entry, counting.m_entryText)
                                                      : std::tie(counting.m_lowest, counting.m_lowestText);
            if (at > 0)
                return refuse(lineNo, line, kRepeatedKey);
            at = lineNo;
            atText = line;
            const char* message = nullptr;
            return ReadCountingKey(key, entry->value, rules, message) || refuse(lineNo, line, message);
        }
        if (CHandicapRulesReader::Knows(key)) {
            const char* message = handicap.Read(key, entry->value, line, lineNo, rules.m_handicap);
            return message ? refuse(lineNo, line, message) : true;
        }
        if (key == kTiebreak) {
            if (!rules.m_tiebreak.empty())
                return refuse(lineNo, line, kRepeatedKey);
            if (const char* message = ParseCriteria(entry->value, rules.m_tiebreak))
                return refuse(lineNo, line, message);
            return true;
        }
        if (key == kSeason || key == kArchive || key == kRecords) {
            bool& read = archiveRead[key == kSeason ? 0 : key == kArchive ? 1 : 2];
            if (read)
                return refuse(lineNo, line, kRepeatedKey);
            read = true;
            if (key == kSeason) {
                rules.m_season = std::string(entry->value);
                return !rules.m_season.empty() || refuse(lineNo, line, kEmptySeason);
            }
            if (entry->value != "ja" && entry->value != "nej")
                return refuse(lineNo, line, kNotYesNo);
            (key == kArchive ? rules.m_archive : rules.m_records) = entry->value == "ja";
            return true;
        }
        if (key == kOverall || key == kChange || key == kChart) {
            bool& read = key == kOverall ? overallRead : key == kChange ? changeRead : chartRead;
            if (read)
                return refuse(lineNo, line, kRepeatedKey);
            read = true;
            if (entry->value != "ja" && entry->value != "nej")
                return refuse(lineNo, line, kNotYesNo);
            (key == kOverall  ? rules.m_overall
             : key == kChange ? rules.m_change
                              : rules.m_chart) = entry->value == "ja";
            return true;
        }
        std::optional<int>* slot = key == kBest      ? &rules.m_best
                                   : key == kPlanned ? &rules.m_planned
                                   : key == kMinimum ? &rules.m_minimum
                                   : key == kTeam    ? &rules.m_team
                                                     : nullptr;
        if (!slot)
            return refuse(lineNo, line, kUnknownKey);
        if (slot->has_value())
            return refuse(lineNo, line, kRepeatedKey);
        *slot = Count(entry->value);
        if (!slot->has_value())
            return refuse(lineNo, line, kNotCount);
        if (slot == &rules.m_best) {
            bestLine = lineNo;
            bestText = line;
        } else if (slot == &rules.m_minimum) {
            minimumLine = lineNo;
            minimumText = line;
        }
        if (!rules.m_planned)
            return true;
        // Known on the bästa or minst line, or only now when omgångar comes after them.
        const bool bestBreaks = rules.m_best > rules.m_planned, minimumBreaks = rules.m_minimum > rules.m_planned;
        if (bestBreaks && (!minimumBreaks || bestLine < minimumLine))
            return refuse(bestLine, bestText, kBestAbovePlanned);
        if (minimumBreaks)
            return refuse(minimumLine, minimumText, kMinimumAbovePlanned);
        return true;
    });
    return wholeFile && CheckCountingKeys(rules, counting, refusal) && handicap.Finish(rules.m_handicap, refusal);
}

std::string SeriesRulesText(const CSeriesRules& rules, std::string_view previous)
{
    std::string text;
    std::vector<std::string_view> written;
    const std::vector<std::pair<std::string_view, std::string>> handicap = HandicapRulesLines(rules.m_handicap);
    ForEachSidecarLine(previous, [&](std::string_view line, int) {
        const std::optional<CKeyLine> entry = KeyLine(line);
        if (Ignored(line) || !entry) {
            text.append(line).append("\n");
        } else if (CHandicapRulesReader::Knows(entry->key)) {
            const auto at = std::find_if(handicap.begin(), handicap.end(),
                                         [&entry](const auto& h) { return h.first == entry->key; });
            if (at != handicap.end() && std::find(written.begin(), written.end(), at->first) == written.end()) {
                text += at->second + "\n";
                written.push_back(at->first);
            }
        } else if (Sets(entry->key, rules) && std::find(written.begin(), written.end(), entry->key) == written.end()) {
            text += KeyText(entry->key, rules) + "\n";
            written.push_back(entry->key);
        }
        return true;
    });
    for (const std::string_view key :
         {kBest, kPlanned, kMinimum, kTiebreak, kTeam, kOverall, kChange, kChart, kCounting, kPlacePoints, kOtherPoints,
          kEntryPoints, kLowestWins, kSeason, kArchive, kRecords}) {
        if (Sets(key, rules) && std::find(written.begin(), written.end(), key) == written.end())
            text += KeyText(key, rules) + "\n";
    }
    for (const auto& [key, line] : handicap) {
        if (std::find(written.begin(), written.end(), key) == written.end())
            text += line + "\n";
    }
    return text;
}
