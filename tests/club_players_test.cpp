// SPDX-License-Identifier: GPL-3.0-or-later
// The players file: its refusals, every name shape, its rewrite, and the names it gives players.
#include "StringOutput.h"
#include "model/ClubPlayers.h"
#include "model/SeriesRules.h"

#include <gtest/gtest.h>

namespace {

CClubPlayers Players(std::string_view text)
{
    CClubPlayers players;
    CRulesRefusal refusal;
    EXPECT_TRUE(ParseClubPlayers(text, players, refusal)) << text << ": " << refusal.m_message;
    return players;
}

// "class:name,name|team:name|others:name" of a parsed file.
std::string Describe(const CClubPlayers& p)
{
    std::string out;
    const auto list = [&out](const std::vector<std::string>& names) {
        for (std::size_t i = 0; i < names.size(); ++i)
            out.append(i > 0 ? "," : "").append("<").append(names[i]).append(">");
    };
    for (const CPlayerGroup& g : p.m_classes)
        list({g.m_name}), out += "=", list(g.m_players), out += "|";
    out += "/";
    for (const CPlayerGroup& g : p.m_teams)
        list({g.m_name}), out += "=", list(g.m_players), out += "|";
    out += "/";
    list(p.m_others);
    return out;
}

} // namespace

TEST(ClubPlayers, Refusals)
{
    const struct { std::string text; int lineNo; std::string line, message; } cases[] = {
        {"# ok\nAnna", 2, "Anna",
         "Spelare f\xF6re f\xF6rsta avsnittet: b\xF6rja med [klass NAMN], [lag NAMN] eller [spelare]"},
        {"[klass A]\nAnna\n[klass B]\nAnna", 4, "Anna", "Spelaren st\xE5r redan i en annan klass"},
        {"[lag A]\nAnna\n[lag B]\r\n  Anna  \r\n", 4, "  Anna  ", "Spelaren st\xE5r redan i ett annat lag"},
        {"[klass A]\n[lag A]\n[klass A]", 3, "[klass A]", "Avsnittet st\xE5r redan i filen"},
        {"[spelare]\n[spelare]", 2, "[spelare]", "Avsnittet st\xE5r redan i filen"},
        {"[Klass A]", 1, "[Klass A]", "Ok\xE4nt avsnitt: v\xE4lj [klass NAMN], [lag NAMN], [spelare], [snitt N] eller [handikapp N]"},
        {"[grupp A]", 1, "[grupp A]", "Ok\xE4nt avsnitt: v\xE4lj [klass NAMN], [lag NAMN], [spelare], [snitt N] eller [handikapp N]"},
        {"[klass A", 1, "[klass A", "Ok\xE4nt avsnitt: v\xE4lj [klass NAMN], [lag NAMN], [spelare], [snitt N] eller [handikapp N]"},
        {"[klassA]", 1, "[klassA]", "Ok\xE4nt avsnitt: v\xE4lj [klass NAMN], [lag NAMN], [spelare], [snitt N] eller [handikapp N]"},
        {"[spelare X]", 1, "[spelare X]", "Ok\xE4nt avsnitt: v\xE4lj [klass NAMN], [lag NAMN], [spelare], [snitt N] eller [handikapp N]"},
        {"[klass]", 1, "[klass]", "Avsnittet saknar namn"},
        {"[lag   ]", 1, "[lag   ]", "Avsnittet saknar namn"},
    };
    for (const auto& c : cases) {
        CClubPlayers players;
        CRulesRefusal refusal;
        EXPECT_FALSE(ParseClubPlayers(c.text, players, refusal)) << c.text;
        EXPECT_EQ(refusal.m_lineNo, c.lineNo) << c.text;
        EXPECT_EQ(refusal.m_line, c.line) << c.text;
        EXPECT_EQ(refusal.m_message, c.message) << c.text;
    }
}

TEST(ClubPlayers, NameShapes)
{
    const struct { std::string text, parsed; } cases[] = {
        {"\xEF\xBB\xBF[klass Damer]\nAnna Berg\n", "<Damer>=<Anna Berg>|//"},
        {"[klass  Herrar  ]\n  Bo  Ek \t\n\n   # inte en spelare\n#Eva\n", "<Herrar>=<Bo  Ek>|//"},
        {"[lag A=B; C]\nx = 1\na;b\nEk [c]\n", "/<A=B; C>=<x = 1>,<a;b>,<Ek [c]>|/"},
        {"[spelare]\n\\#1\n\\[klass X]\n\\\\b\n\\ kant \n1234\n", "//<#1>,<[klass X]>,<\\b>,< kant >,<1234>"},
        {"[klass A]\nAnna\nAnna\n[spelare]\nAnna\nanna\n", "<A>=<Anna>|//<Anna>,<anna>"},
        {"[klass J\xC3\xA4mtland]\n\xC3\x85ke \xC5\x81ukasz\r\n", "<J\xC3\xA4mtland>=<\xC3\x85ke \xC5\x81ukasz>|//"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Describe(Players(c.text)), c.parsed) << c.text;
}

TEST(ClubPlayers, MatchedByteForByteInTheTournamentsEncoding)
{
    // "Åke" is 0xC5 in a Windows-1252 tournament; "Łukasz" cannot be held there and matches nobody.
    const CClubPlayers players = Players("[klass A]\n\xC3\x85ke\n\xC5\x81ukasz\nbo\n[lag L]\nBo\n\\#1\n[spelare]\nEva\n");
    const struct { std::string file; std::string groups; std::string absent; } cases[] = {
        {"Cup\n\nR1\n\xC5ke 3\nBo 2\n#1 4\n\xC5\x81ukasz 1\n", "\xC5ke:A/-, Bo:-/L, #1:-/L, \xC5\x81ukasz:-/-",
         "\xC5\x81ukasz,bo,Eva"},
        {"Cup\n\nR1\n\xC3\x85ke 3\nBo 2\n\xC5\x81ukasz 1\n", "\xC3\x85ke:A/-, Bo:-/L, \xC5\x81ukasz:A/-",
         "bo,#1,Eva"},
    };
    for (const auto& c : cases) {
        const CTournament t = Parsed(c.file);
        const CPlayerGroups groups = GroupsOf(players, t);
        std::string out;
        for (PlayerId id = 0; id < t.m_players.Size(); ++id) {
            const auto name = [](const std::vector<CPlayerGroup>& g, int i) {
                return i < 0 ? std::string("-") : g[static_cast<std::size_t>(i)].m_name;
            };
            out.append(id > 0 ? ", " : "").append(t.PlayerName(id)).append(":");
            out.append(name(players.m_classes, groups.ClassOf(id))).append("/").append(name(players.m_teams, groups.TeamOf(id)));
        }
        EXPECT_EQ(out, c.groups);
        std::string absent;
        for (const std::string& name : NamesWithoutResults(players, t))
            absent.append(absent.empty() ? "" : ",").append(name);
        EXPECT_EQ(absent, c.absent);
    }
}

TEST(ClubPlayers, RewriteKeepsCommentsAndPlaces)
{
    const std::string previous = "# Klubbens spelare\n\n[klass Damer]\n# sedan 2020\nAnna\nCilla\n\n[lag Norr]\n"
                                 "Anna\n\n[spelare]\nGustav\n";
    CClubPlayers players = Players(previous);
    // Cilla leaves, Disa joins the class, the team Norr goes, Syd comes, Gustav stays.
    players.m_classes[0].m_players = {"Anna", "#Disa"};
    players.m_teams = {{"Syd", {"Anna"}}};
    players.m_classes.push_back({"Herrar", {"Bo"}});
    EXPECT_EQ(ClubPlayersText(players, previous),
              "# Klubbens spelare\n\n[klass Damer]\n# sedan 2020\nAnna\n\\#Disa\n\n\n[spelare]\nGustav\n\n"
              "[klass Herrar]\nBo\n\n[lag Syd]\nAnna\n");
    EXPECT_EQ(Players(ClubPlayersText(players, previous)), players);
    EXPECT_EQ(ClubPlayersText(players),
              "[klass Damer]\nAnna\n\\#Disa\n\n[klass Herrar]\nBo\n\n[lag Syd]\nAnna\n\n[spelare]\nGustav\n");
}

TEST(ClubPlayers, RenameCarriesClassAndTeam)
{
    const struct { std::string from, to, file; } cases[] = {
        // A rename: the new name takes the old one's place.
        {"Ake", "\xC5ke", "[klass A]\n\xC3\x85ke\n\n[klass B]\nBo\n\n[lag L]\n\xC3\x85ke\n"},
        // A merge into a player with a class of its own: that class stays, the team comes.
        {"Ake", "Bo", "[klass A]\n\n[klass B]\nBo\n\n[lag L]\nBo\n"},
    };
    for (const auto& c : cases) {
        CClubPlayers players = Players("[klass A]\nAke\n[klass B]\nBo\n[lag L]\nAke\n[spelare]\nAke\n");
        RenameClubPlayer(players, c.from, c.to, TextEncoding::Windows1252);
        EXPECT_EQ(ClubPlayersText(players), c.file) << c.to;
    }
}

TEST(SeriesRules, TeamsAndOverall)
{
    const struct { std::string text; std::optional<int> team; bool overall; std::string message; } cases[] = {
        {"lag = 3\ntotalt = nej", 3, false, ""},
        {"totalt = ja", std::nullopt, true, ""},
        {"lag = 0", std::nullopt, true, "V\xE4rdet ska vara ett heltal fr\xE5n 1 till 2147483647"},
        {"totalt = Nej", std::nullopt, true, "V\xE4rdet ska vara ja eller nej"},
        {"totalt = nej\ntotalt = nej", std::nullopt, true, "Regeln st\xE5r redan i filen"},
        {"lagen = 2", std::nullopt, true,
         "Ok\xE4nd regel: v\xE4lj b\xE4sta, omg\xE5ngar, minst, s\xE4rskiljning, lag, totalt, f\xF6r\xE4ndring, diagram eller en handikappregel"},
    };
    for (const auto& c : cases) {
        CSeriesRules rules;
        CRulesRefusal refusal;
        EXPECT_EQ(ParseSeriesRules(c.text, rules, refusal), c.message.empty()) << c.text;
        EXPECT_EQ(refusal.m_message, c.message) << c.text;
        if (c.message.empty()) {
            EXPECT_EQ(rules.m_team, c.team) << c.text;
            EXPECT_EQ(rules.m_overall, c.overall) << c.text;
            // They are no rules of the ranking, but the file keeps them.
            EXPECT_FALSE(rules.InForce());
        }
    }
    CSeriesRules rules;
    rules.m_team = 2;
    rules.m_overall = false;
    EXPECT_EQ(SeriesRulesText(rules, "# lagen\nlag = 4\n"), "# lagen\nlag = 2\ntotalt = nej\n");
}
