// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/HandicapRules.h"

#include "model/SeriesRules.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kOn = "handikapp";
constexpr std::string_view kBase = "handikappbas";
constexpr std::string_view kPercent = "handikappprocent";
constexpr std::string_view kWindow = "handikappsnitt";
constexpr std::string_view kMinimum = "handikappminst";
constexpr std::string_view kCap = "handikapptak";
constexpr std::string_view kNegative = "negativhandikapp";
constexpr std::string_view kRounding = "handikappavrundning";
constexpr std::string_view kAverageRounding = "snittavrundning";
constexpr std::string_view kGrossTable = "bruttotabell";
// In the order the window writes them.
constexpr std::array<std::string_view, 10> kKeys = {kOn,  kBase,     kPercent,  kWindow,          kMinimum,
                                                    kCap, kNegative, kRounding, kAverageRounding, kGrossTable};

constexpr std::string_view kDown = "ned\xC3\xA5t";
constexpr std::string_view kNearest = "n\xC3\xA4rmaste";
constexpr std::string_view kBest = "b\xC3\xA4sta";

// The reasons, Windows-1252 as the program's other messages.
constexpr const char* kRepeatedKey = "Regeln st\xE5r redan i filen";
constexpr const char* kNotYesNo = "V\xE4rdet ska vara ja eller nej";
constexpr const char* kNotCount = "V\xE4rdet ska vara ett heltal fr\xE5n 1 till 2147483647";
constexpr const char* kBaseRange = "Basen ska vara ett heltal fr\xE5n 1 till 100000";
constexpr const char* kPercentRange = "Procenten ska vara ett heltal fr\xE5n 1 till 100";
constexpr const char* kNotWindow = "V\xE4lj alla, senaste N eller b\xE4sta K av N";
constexpr const char* kBestAboveWindow = "K f\xE5r inte vara st\xF6rre \xE4n N i b\xE4sta K av N";
constexpr const char* kNotRounding = "V\xE4rdet ska vara ned\xE5t eller n\xE4rmaste";
constexpr const char* kNotAverageRounding = "V\xE4rdet ska vara ned\xE5t eller ingen";
constexpr const char* kWithoutHandicap = "Regeln g\xE4ller bara med handikapp = ja";
constexpr const char* kWithoutBase = "handikapp = ja kr\xE4ver handikappbas";

// Digits only, leading zeros allowed, `low`..`high`.
std::optional<int> Number(std::string_view text, int low, int high)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high ? std::optional<int>(static_cast<int>(value)) : std::nullopt;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t begin = text.find_first_not_of(" \t", pos);
        if (begin == std::string_view::npos)
            break;
        const std::size_t end = std::min(text.find_first_of(" \t", begin), text.size());
        words.push_back(text.substr(begin, end - begin));
        pos = end;
    }
    return words;
}

// "alla", "senaste N" or "bästa K av N" into `rules`; the reason it is refused, or null.
const char* ReadWindow(std::string_view value, CHandicapRules& rules)
{
    const std::vector<std::string_view> words = Words(value);
    constexpr int kMax = 2147483647;
    if (words.size() == 1 && words[0] == "alla") {
        rules.m_window = CHandicapRules::Window::All;
        return nullptr;
    }
    if (words.size() == 2 && words[0] == "senaste") {
        const std::optional<int> rounds = Number(words[1], 1, kMax);
        if (!rounds)
            return kNotCount;
        rules.m_window = CHandicapRules::Window::Latest;
        rules.m_windowRounds = *rounds;
        return nullptr;
    }
    if (words.size() == 4 && words[0] == kBest && words[2] == "av") {
        const std::optional<int> best = Number(words[1], 1, kMax), rounds = Number(words[3], 1, kMax);
        if (!best || !rounds)
            return kNotCount;
        if (*best > *rounds)
            return kBestAboveWindow;
        rules.m_window = CHandicapRules::Window::Best;
        rules.m_windowBest = *best;
        rules.m_windowRounds = *rounds;
        return nullptr;
    }
    return kNotWindow;
}

// "ja" or "nej" into `flag`; the reason it is refused, or null.
const char* ReadYesNo(std::string_view value, bool& flag)
{
    if (value != "ja" && value != "nej")
        return kNotYesNo;
    flag = value == "ja";
    return nullptr;
}

} // namespace

bool CHandicapRulesReader::Knows(std::string_view key)
{
    return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end();
}

const char* CHandicapRulesReader::Read(std::string_view key, std::string_view value, std::string_view line, int lineNo,
                                       CHandicapRules& rules)
{
    const auto known = std::find(kKeys.begin(), kKeys.end(), key);
    if (std::find(m_read.begin(), m_read.end(), *known) != m_read.end())
        return kRepeatedKey;
    m_read.push_back(*known);
    if (key == kOn) {
        m_onLineNo = lineNo;
        m_onLine = line;
    } else if (m_otherLineNo == 0) {
        m_otherLineNo = lineNo;
        m_otherLine = line;
    }
    if (key == kOn)
        return ReadYesNo(value, rules.m_on);
    if (key == kNegative)
        return ReadYesNo(value, rules.m_negative);
    if (key == kGrossTable)
        return ReadYesNo(value, rules.m_grossTable);
    if (key == kWindow)
        return ReadWindow(value, rules);
    if (key == kRounding) {
        if (value != kDown && value != kNearest)
            return kNotRounding;
        rules.m_roundNearest = value == kNearest;
        return nullptr;
    }
    if (key == kAverageRounding) {
        if (value != kDown && value != "ingen")
            return kNotAverageRounding;
        rules.m_averageFloor = value == kDown;
        return nullptr;
    }
    const std::optional<int> number = key == kBase      ? Number(value, 1, 100000)
                                      : key == kPercent ? Number(value, 1, 100)
                                                        : Number(value, 1, 2147483647);
    if (!number)
        return key == kBase ? kBaseRange : key == kPercent ? kPercentRange : kNotCount;
    if (key == kBase)
        rules.m_base = *number;
    else if (key == kPercent)
        rules.m_percent = *number;
    else if (key == kMinimum)
        rules.m_minimum = *number;
    else
        rules.m_cap = *number;
    return nullptr;
}

bool CHandicapRulesReader::Finish(const CHandicapRules& rules, CRulesRefusal& refusal) const
{
    if (m_otherLineNo != 0 && !rules.m_on) {
        refusal = {m_otherLineNo, m_otherLine, kWithoutHandicap};
        return false;
    }
    if (rules.m_on && rules.m_base == 0) {
        refusal = {m_onLineNo, m_onLine, kWithoutBase};
        return false;
    }
    return true;
}

std::vector<std::pair<std::string_view, std::string>> HandicapRulesLines(const CHandicapRules& rules)
{
    std::vector<std::pair<std::string_view, std::string>> lines;
    if (!rules.m_on)
        return lines;
    const auto add = [&lines](std::string_view key, const std::string& value) {
        lines.emplace_back(key, std::string(key) + " = " + value);
    };
    add(kOn, "ja");
    add(kBase, std::to_string(rules.m_base));
    if (rules.m_percent != 100)
        add(kPercent, std::to_string(rules.m_percent));
    if (rules.m_window == CHandicapRules::Window::Latest)
        add(kWindow, "senaste " + std::to_string(rules.m_windowRounds));
    else if (rules.m_window == CHandicapRules::Window::Best)
        add(kWindow, std::string(kBest) + " " + std::to_string(rules.m_windowBest) + " av " +
                         std::to_string(rules.m_windowRounds));
    if (rules.m_minimum != 1)
        add(kMinimum, std::to_string(rules.m_minimum));
    if (rules.m_cap)
        add(kCap, std::to_string(*rules.m_cap));
    if (rules.m_negative)
        add(kNegative, "ja");
    if (rules.m_roundNearest)
        add(kRounding, std::string(kNearest));
    if (rules.m_averageFloor)
        add(kAverageRounding, std::string(kDown));
    if (rules.m_grossTable)
        add(kGrossTable, "ja");
    return lines;
}
