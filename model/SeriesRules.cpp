// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/SeriesRules.h"

#include "model/Encoding.h"
#include "model/Text.h"

#include <algorithm>
#include <array>
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

constexpr std::array<std::pair<Tiebreak, std::string_view>, 4> kCriteria = {{
    {Tiebreak::Wins, "segrar"},
    {Tiebreak::Highest, "h\xC3\xB6gsta"},
    {Tiebreak::Dropped, "struket"},
    {Tiebreak::Latest, "senaste"},
}};

// The reasons, Windows-1252 as the program's other messages.
constexpr const char* kNoEquals = "F\xF6rv\xE4ntad regel: <namn> = <v\xE4rde>";
constexpr const char* kUnknownKey = "Ok\xE4nd regel: v\xE4lj b\xE4sta, omg\xE5ngar, minst, s\xE4rskiljning, lag, "
                                    "totalt, f\xF6r\xE4ndring, diagram eller en handikappregel";
constexpr const char* kRepeatedKey = "Regeln st\xE5r redan i filen";
constexpr const char* kNotCount = "V\xE4rdet ska vara ett heltal fr\xE5n 1 till 2147483647";
constexpr const char* kEmptyCriterion = "Tomt kriterium i s\xE4rskiljningen";
constexpr const char* kUnknownCriterion = "Ok\xE4nt kriterium: v\xE4lj segrar, h\xF6gsta, struket eller senaste";
constexpr const char* kRepeatedCriterion = "Kriteriet st\xE5r redan i s\xE4rskiljningen";
constexpr const char* kNotYesNo = "V\xE4rdet ska vara ja eller nej";
constexpr const char* kBestAbovePlanned = "b\xE4sta f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar";
constexpr const char* kMinimumAbovePlanned = "minst f\xE5r inte vara st\xF6rre \xE4n omg\xE5ngar";

std::string_view Stripped(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
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
    if (key == kOverall)
        return line + (rules.m_overall ? "ja" : "nej");
    if (key == kChange || key == kChart)
        return line + "ja";
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
    return key == kBest      ? rules.m_best.has_value()
           : key == kPlanned ? rules.m_planned.has_value()
           : key == kMinimum ? rules.m_minimum.has_value()
           : key == kTeam    ? rules.m_team.has_value()
           : key == kOverall ? !rules.m_overall
           : key == kChange  ? rules.m_change
           : key == kChart   ? rules.m_chart
                             : !rules.m_tiebreak.empty();
}

} // namespace

std::string_view TiebreakWord(Tiebreak criterion)
{
    return kCriteria[static_cast<std::size_t>(criterion)].second;
}

bool ParseSeriesRules(std::string_view text, CSeriesRules& rules, CRulesRefusal& refusal)
{
    rules = CSeriesRules();
    // The lines that set bästa and minst, for a breach that omgångar, read later, reveals.
    int bestLine = 0, minimumLine = 0;
    // "totalt", "förändring" and "diagram" seen, whether "ja" or "nej".
    bool overallRead = false, changeRead = false, chartRead = false;
    std::string_view bestText, minimumText;
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
    return wholeFile && handicap.Finish(rules.m_handicap, refusal);
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
    for (const std::string_view key : {kBest, kPlanned, kMinimum, kTiebreak, kTeam, kOverall, kChange, kChart}) {
        if (Sets(key, rules) && std::find(written.begin(), written.end(), key) == written.end())
            text += KeyText(key, rules) + "\n";
    }
    for (const auto& [key, line] : handicap) {
        if (std::find(written.begin(), written.end(), key) == written.end())
            text += line + "\n";
    }
    return text;
}
