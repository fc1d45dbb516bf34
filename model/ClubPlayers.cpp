// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ClubPlayers.h"

#include "model/Encoding.h"
#include "model/Text.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

// The reasons, Windows-1252 as the program's other messages.
constexpr const char* kBeforeSection =
    "Spelare f\xF6re f\xF6rsta avsnittet: b\xF6rja med [klass NAMN], [lag NAMN] eller [spelare]";
constexpr const char* kTwoClasses = "Spelaren st\xE5r redan i en annan klass";
constexpr const char* kTwoTeams = "Spelaren st\xE5r redan i ett annat lag";
constexpr const char* kRepeatedSection = "Avsnittet st\xE5r redan i filen";
constexpr const char* kUnknownSection =
    "Ok\xE4nt avsnitt: v\xE4lj [klass NAMN], [lag NAMN], [spelare], [snitt N] eller [handikapp N]";
constexpr const char* kNotStartValue = "Startv\xE4rdet ska vara ett heltal fr\xE5n 0 till 1000000";
constexpr const char* kTwoStarts = "Spelaren har redan ett startv\xE4rde";
constexpr const char* kEmptySectionName = "Avsnittet saknar namn";

enum class Kind { None, Class, Team, Others, Average, Handicap };

// A start value's section name: digits alone, in 0..CStartValue::kLargest; the value in decimal, so
// that "[snitt 0170]" and "[snitt 170]" are one section.
std::optional<std::string> StartValueName(std::string_view text)
{
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int value = std::stoi(std::string(text));
    return value <= CStartValue::kLargest ? std::optional<std::string>(std::to_string(value)) : std::nullopt;
}

// What one line of the file is.
struct CLine
{
    enum { Ignored, Header, Name, Bad } m_type = Ignored;
    Kind m_kind = Kind::None; // of a header
    std::string m_text;       // a header's name, or the player's name
    const char* m_refusal = nullptr;
};

CLine Classify(std::string_view line)
{
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == '#')
        return {};
    if (text.front() == '\\')
        return {CLine::Name, Kind::None, std::string(line.substr(line.find('\\') + 1)), nullptr};
    if (text.front() != '[')
        return {CLine::Name, Kind::None, std::string(text), nullptr};
    if (text.back() != ']' || text.size() < 2)
        return {CLine::Bad, Kind::None, {}, kUnknownSection};
    const std::string_view inner = text.substr(1, text.size() - 2);
    if (inner == "spelare")
        return {CLine::Header, Kind::Others, {}, nullptr};
    const std::size_t blank = inner.find(' ');
    const std::string_view word = inner.substr(0, blank);
    if (word != "klass" && word != "lag" && word != "snitt" && word != "handikapp")
        return {CLine::Bad, Kind::None, {}, kUnknownSection};
    const std::string_view name =
        blank == std::string_view::npos ? std::string_view() : Trimmed(inner.substr(blank + 1));
    if (name.empty())
        return {CLine::Bad, Kind::None, {}, kEmptySectionName};
    if (word == "snitt" || word == "handikapp") {
        const std::optional<std::string> value = StartValueName(name);
        if (!value)
            return {CLine::Bad, Kind::None, {}, kNotStartValue};
        return {CLine::Header, word == "snitt" ? Kind::Average : Kind::Handicap, *value, nullptr};
    }
    return {CLine::Header, word == "klass" ? Kind::Class : Kind::Team, std::string(name), nullptr};
}

// A player's line: the name, behind '\' where it would otherwise read as something else.
std::string NameLine(const std::string& name)
{
    const bool plain = !name.empty() && name.front() != '#' && name.front() != '[' && name.front() != '\\' &&
                       Trimmed(name).size() == name.size();
    return (plain ? name : "\\" + name) + "\n";
}

std::string HeaderLine(Kind kind, const std::string& name)
{
    if (kind == Kind::Others)
        return "[spelare]\n";
    return std::string(kind == Kind::Class     ? "[klass "
                       : kind == Kind::Team    ? "[lag "
                       : kind == Kind::Average ? "[snitt "
                                               : "[handikapp ") +
           name + "]\n";
}

// The classes, the teams, or the start values of a kind.
std::vector<CPlayerGroup>& GroupsOfKind(CClubPlayers& players, Kind kind)
{
    return kind == Kind::Class      ? players.m_classes
           : kind == Kind::Average  ? players.m_startAverages
           : kind == Kind::Handicap ? players.m_startHandicaps
                                    : players.m_teams;
}
const std::vector<CPlayerGroup>& GroupsOfKind(const CClubPlayers& players, Kind kind)
{
    return GroupsOfKind(const_cast<CClubPlayers&>(players), kind);
}

int IndexOf(const std::vector<CPlayerGroup>& groups, std::string_view name)
{
    const auto at =
        std::find_if(groups.begin(), groups.end(), [name](const CPlayerGroup& g) { return g.m_name == name; });
    return at == groups.end() ? -1 : static_cast<int>(at - groups.begin());
}

} // namespace

std::vector<std::string> CClubPlayers::AllNames() const
{
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    const auto add = [&](const std::vector<std::string>& list) {
        for (const std::string& name : list) {
            if (seen.insert(name).second)
                names.push_back(name);
        }
    };
    for (const CPlayerGroup& group : m_classes)
        add(group.m_players);
    for (const CPlayerGroup& group : m_teams)
        add(group.m_players);
    add(m_others);
    for (const auto* starts : {&m_startAverages, &m_startHandicaps}) {
        for (const CPlayerGroup& group : *starts)
            add(group.m_players);
    }
    return names;
}

bool ParseClubPlayers(std::string_view text, CClubPlayers& players, CRulesRefusal& refusal)
{
    players = CClubPlayers();
    std::unordered_map<std::string, int> classOf, teamOf;
    // A player's start section: its kind and index.
    std::unordered_map<std::string, std::pair<Kind, int>> startOf;
    std::unordered_set<std::string> others;
    bool othersOpened = false;
    Kind section = Kind::None;
    int index = -1;
    return ForEachSidecarLine(text, [&](std::string_view line, int lineNo) {
        const CLine entry = Classify(line);
        const auto refuse = [&](const char* message) {
            refusal = {lineNo, std::string(line), message};
            return false;
        };
        switch (entry.m_type) {
        case CLine::Ignored:
            return true;
        case CLine::Bad:
            return refuse(entry.m_refusal);
        case CLine::Header:
            section = entry.m_kind;
            if (section == Kind::Others) {
                if (othersOpened)
                    return refuse(kRepeatedSection);
                othersOpened = true;
                return true;
            }
            {
                std::vector<CPlayerGroup>& groups = GroupsOfKind(players, section);
                if (IndexOf(groups, entry.m_text) >= 0)
                    return refuse(kRepeatedSection);
                index = static_cast<int>(groups.size());
                groups.push_back({entry.m_text, {}});
            }
            return true;
        case CLine::Name:
            break;
        }
        if (section == Kind::None)
            return refuse(kBeforeSection);
        if (section == Kind::Others) {
            if (others.insert(entry.m_text).second)
                players.m_others.push_back(entry.m_text);
            return true;
        }
        if (section == Kind::Average || section == Kind::Handicap) {
            const auto [at, added] = startOf.emplace(entry.m_text, std::pair{section, index});
            if (!added && at->second != std::pair{section, index})
                return refuse(kTwoStarts);
            if (added)
                GroupsOfKind(players, section)[static_cast<std::size_t>(index)].m_players.push_back(entry.m_text);
            return true;
        }
        auto& groupOf = section == Kind::Class ? classOf : teamOf;
        const auto [at, added] = groupOf.emplace(entry.m_text, index);
        if (!added && at->second != index)
            return refuse(section == Kind::Class ? kTwoClasses : kTwoTeams);
        if (added)
            GroupsOfKind(players, section)[static_cast<std::size_t>(index)].m_players.push_back(entry.m_text);
        return true;
    });
}

std::string ClubPlayersText(const CClubPlayers& players, std::string_view previous, const CRenamedNames& renamed)
{
    std::string text;
    // Sections written, and the players written in the section open now.
    std::set<std::pair<Kind, int>> written;
    std::unordered_set<std::string> inSection;
    Kind kind = Kind::None;
    int index = -1;
    bool keep = false; // the open section is still wanted
    const CClubPlayers& all = players;
    const auto members = [&](Kind k, int i) -> const std::vector<std::string>& {
        return k == Kind::Others ? all.m_others : GroupsOfKind(all, k)[static_cast<std::size_t>(i)].m_players;
    };
    // Where the open section's last player (or its header) ends: its new players go there,
    // before the empty lines and comments that part it from the next.
    std::size_t sectionEnd = 0;
    const auto finishSection = [&] {
        if (!keep)
            return;
        std::string added;
        for (const std::string& name : members(kind, index)) {
            if (!inSection.contains(name))
                added += NameLine(name);
        }
        text.insert(sectionEnd, added);
    };
    ForEachSidecarLine(previous, [&](std::string_view line, int) {
        const CLine entry = Classify(line);
        if (entry.m_type == CLine::Ignored) {
            text.append(line).append("\n");
        } else if (entry.m_type == CLine::Header) {
            finishSection();
            kind = entry.m_kind;
            index = kind == Kind::Others ? 0 : IndexOf(GroupsOfKind(all, kind), entry.m_text);
            keep = (kind == Kind::Others ? !all.m_others.empty() : index >= 0) && written.emplace(kind, index).second;
            inSection.clear();
            if (keep)
                sectionEnd = text.append(line).append("\n").size();
        } else if (entry.m_type == CLine::Name && keep) {
            const std::vector<std::string>& names = members(kind, index);
            const auto belongs = [&](const std::string& name) {
                return std::find(names.begin(), names.end(), name) != names.end();
            };
            std::string name = entry.m_text;
            for (const auto& [from, to] : renamed) {
                if (name == from && !belongs(name))
                    name = to;
            }
            if (belongs(name) && inSection.insert(name).second)
                sectionEnd =
                    (name == entry.m_text ? text.append(line).append("\n") : text.append(NameLine(name))).size();
        }
        return true;
    });
    finishSection();
    const auto addSection = [&](Kind k, int i, const std::string& name) {
        if (!written.emplace(k, i).second)
            return;
        if (!text.empty() && !text.ends_with("\n\n"))
            text += "\n";
        text += HeaderLine(k, name);
        for (const std::string& player : members(k, i))
            text += NameLine(player);
    };
    for (std::size_t i = 0; i < all.m_classes.size(); ++i)
        addSection(Kind::Class, static_cast<int>(i), all.m_classes[i].m_name);
    for (std::size_t i = 0; i < all.m_teams.size(); ++i)
        addSection(Kind::Team, static_cast<int>(i), all.m_teams[i].m_name);
    if (!all.m_others.empty())
        addSection(Kind::Others, 0, {});
    for (const Kind start : {Kind::Average, Kind::Handicap}) {
        const std::vector<CPlayerGroup>& groups = GroupsOfKind(all, start);
        for (std::size_t i = 0; i < groups.size(); ++i)
            addSection(start, static_cast<int>(i), groups[i].m_name);
    }
    return text;
}

bool InTournamentEncoding(std::string_view utf8, TextEncoding encoding, std::string& out)
{
    if (encoding == TextEncoding::Utf8) {
        out.assign(utf8);
        return true;
    }
    if (!IsValidUtf8(utf8))
        return false;
    const std::u16string text = ToUtf16(utf8, TextEncoding::Utf8);
    if (!FitsEncoding(text, TextEncoding::Windows1252))
        return false;
    out = FromUtf16(text, TextEncoding::Windows1252);
    return true;
}

CPlayerGroups GroupsOf(const CClubPlayers& players, const CTournament& tournament)
{
    CPlayerGroups groups;
    groups.m_classOf.assign(tournament.m_players.Size(), -1);
    groups.m_teamOf.assign(tournament.m_players.Size(), -1);
    std::string name;
    const auto mark = [&](const std::vector<CPlayerGroup>& list, std::vector<int>& of) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            for (const std::string& player : list[i].m_players) {
                PlayerId id = 0;
                if (InTournamentEncoding(player, tournament.m_encoding, name) && tournament.m_players.Find(name, id))
                    of[id] = static_cast<int>(i);
            }
        }
    };
    mark(players.m_classes, groups.m_classOf);
    mark(players.m_teams, groups.m_teamOf);
    return groups;
}

std::vector<std::string> NamesWithoutResults(const CClubPlayers& players, const CTournament& tournament)
{
    std::vector<bool> played(tournament.m_players.Size(), false);
    for (const CRound& round : tournament.m_rounds) {
        for (const CResult& result : round.m_results)
            played[result.m_player] = true;
    }
    std::vector<std::string> names;
    std::string name;
    for (const std::string& player : players.AllNames()) {
        PlayerId id = 0;
        if (!InTournamentEncoding(player, tournament.m_encoding, name) || !tournament.m_players.Find(name, id) ||
            !played[id])
            names.push_back(player);
    }
    return names;
}

void RenameClubPlayer(CClubPlayers& players, std::string_view from, std::string_view to, TextEncoding encoding)
{
    const std::string newName = ToUtf8(to, encoding);
    std::string converted;
    const auto is = [&](const std::string& entry, std::string_view name) {
        return InTournamentEncoding(entry, encoding, converted) && converted == name;
    };
    // In each list: `from` goes; it gives its place to `to` when `to` has none in the lists yet.
    const auto move = [&](std::vector<std::vector<std::string>*> lists) {
        bool toListed = false;
        for (const auto* list : lists)
            toListed =
                toListed || std::any_of(list->begin(), list->end(), [&](const std::string& e) { return is(e, to); });
        for (auto* list : lists) {
            for (auto it = list->begin(); it != list->end();) {
                if (!is(*it, from)) {
                    ++it;
                } else if (!toListed) {
                    *it++ = newName;
                    toListed = true;
                } else {
                    it = list->erase(it);
                }
            }
        }
    };
    const auto listsOf = [](std::vector<CPlayerGroup>& groups) {
        std::vector<std::vector<std::string>*> lists;
        for (CPlayerGroup& group : groups)
            lists.push_back(&group.m_players);
        return lists;
    };
    move(listsOf(players.m_classes));
    move(listsOf(players.m_teams));
    move({&players.m_others});
    // A start value is one list: the new name keeps its own where it has one.
    std::vector<std::vector<std::string>*> starts = listsOf(players.m_startAverages);
    for (std::vector<std::string>* list : listsOf(players.m_startHandicaps))
        starts.push_back(list);
    move(starts);
    for (auto* groups : {&players.m_startAverages, &players.m_startHandicaps})
        std::erase_if(*groups, [](const CPlayerGroup& g) { return g.m_players.empty(); });
    // Known once is enough: a name in a class or a team need not be among the others too.
    std::erase_if(players.m_others, [&](const std::string& e) {
        if (!is(e, to))
            return false;
        const auto listed = [&](const std::vector<CPlayerGroup>& groups) {
            return std::any_of(groups.begin(), groups.end(), [&](const CPlayerGroup& g) {
                return std::any_of(g.m_players.begin(), g.m_players.end(),
                                   [&](const std::string& p) { return is(p, to); });
            });
        };
        return listed(players.m_classes) || listed(players.m_teams);
    });
}

std::vector<CStartValue> StartValuesOf(const CClubPlayers& players, const CTournament& tournament)
{
    std::vector<CStartValue> values(tournament.m_players.Size());
    std::string name;
    for (const auto& [groups, kind] : {std::pair{&players.m_startAverages, CStartValue::Average},
                                       std::pair{&players.m_startHandicaps, CStartValue::Handicap}}) {
        for (const CPlayerGroup& group : *groups) {
            for (const std::string& player : group.m_players) {
                PlayerId id = 0;
                if (InTournamentEncoding(player, tournament.m_encoding, name) && tournament.m_players.Find(name, id))
                    values[id] = {kind, std::stoi(group.m_name)};
            }
        }
    }
    return values;
}

void SetStartValue(CClubPlayers& players, const std::string& name, CStartValue value)
{
    for (auto* groups : {&players.m_startAverages, &players.m_startHandicaps}) {
        for (CPlayerGroup& group : *groups)
            std::erase(group.m_players, name);
    }
    if (value.m_kind != CStartValue::None) {
        auto& groups = value.m_kind == CStartValue::Average ? players.m_startAverages : players.m_startHandicaps;
        const std::string section = std::to_string(value.m_value);
        auto at =
            std::find_if(groups.begin(), groups.end(), [&](const CPlayerGroup& g) { return g.m_name == section; });
        if (at == groups.end())
            at = groups.insert(groups.end(), CPlayerGroup{section, {}});
        at->m_players.push_back(name);
    }
    for (auto* groups : {&players.m_startAverages, &players.m_startHandicaps})
        std::erase_if(*groups, [](const CPlayerGroup& g) { return g.m_players.empty(); });
}
