// SPDX-License-Identifier: GPL-3.0-or-later
// Results from elsewhere: the reader on each format, and the words of each kind of row with the
// editor's own name matching.
#include "StringOutput.h"
#include "files/NameMatch.h"
#include "model/Encoding.h"
#include "model/ResultImport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace {

// "format|name column,points column|s(ettled) or g(uessed)|name=points|..."
std::string Shown(const CResultTable& table)
{
    std::string out = std::string(1, "TSCL"[static_cast<int>(table.m_format)]) + '|' +
                      std::to_string(table.m_nameColumn) + ',' + std::to_string(table.m_pointsColumn) + '|' +
                      (table.m_settled ? 's' : 'g');
    for (const std::vector<std::string>& row : table.m_rows) {
        const auto field = [&](std::size_t c) { return c < row.size() ? row[c] : std::string("-"); };
        out += '|' + field(table.m_nameColumn) + '=' + field(table.m_pointsColumn);
    }
    return out;
}

} // namespace

TEST(ResultTable, Formats)
{
    const struct
    {
        const char* text;
        const char* round;
        const char* shown;
    } cases[] = {
        {"Anna Berg\t12\nBo\t3\n", "", "T|0,1|s|Anna Berg=12|Bo=3"},
        // A mark, CR LF, Swedish headings, quotes around the separator and doubled quotes.
        {"\xEF\xBB\xBFNamn;Po\xC3\xA4ng\r\n\"Berg; Anna\";7\r\n\"Sa \"\"Kid\"\"\";5\r\n\r\n", "",
         "S|0,1|s|Berg; Anna=7|Sa \"Kid\"=5"},
        {"\"Lund, \xC3\x85ke\",4\nBo,3\nCilla,\n", "", "C|0,1|s|Lund, \xC3\x85ke=4|Bo=3|Cilla="},
        // Lines as in the tournament file: digits in a name, runs of blanks, a line without points.
        {"Kalle 2 Berg 12\n\n  Bo   Ek  3\nDan\n", "", "L|0,1|s|Kalle 2 Berg=12|Bo Ek=3|Dan=-"},
        {"NAME\tPOINTS\nAnna\t1\n", "", "T|0,1|s|Anna=1"},
        {"Plac\tSpelare\tPo\xC3\xA4ng\n1\tAnna\t12\n", "", "T|1,2|s|Anna=12"},
        // Three columns and no headings: a guess, the name the first column not all numbers.
        {"1\tAnna\t12\n2\tBo\t9\n", "", "T|1,2|g|Anna=12|Bo=9"},
        // The tool's own excel CSV: the round's column by its heading.
        {"\xEF\xBB\xBFPlacering;Namn;Summa;R1;R 2;Antal\r\n1;Anna;15;10;5;2\r\n", "r 2", "S|1,4|s|Anna=5"},
        {"\xEF\xBB\xBFPlacering;Namn;Summa;R1;Antal\r\n1;Anna;15;10;2\r\n", "R9", "S|1,4|g|Anna=2"},
        {"12\tAnna\n3\tBo\n", "", "T|1,0|s|Anna=12|Bo=3"},
        {"\xC5sa 7\rBo 1", "", "L|0,1|s|\xC3\x85sa=7|Bo=1"}, // Windows-1252, CR alone
        // Points refused later keep their text: decimal comma, a plus, a blank inside.
        {"Anna;3,5\nBo;+3\nCilla;3 4\n", "", "S|0,1|s|Anna=3,5|Bo=+3|Cilla=3 4"},
        {"Anna 3,5\nBo 7\nCilla 8\n", "", "L|0,1|s|Anna=3,5|Bo=7|Cilla=8"},
        {"\n \n", "", "L|0,1|s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(ReadResultTable(c.text, c.round)), c.shown) << c.text;
}

TEST(ResultImport, WordsOfEachKindOfRow)
{
    CTournament tournament = Parsed("Cup\n\nR1\n\xC5ke Lund 7\nAnna 3\n\nR2\nBo 1\n");
    CNameMatchIndex matches;
    CResultImport::CLimits limits;
    limits.m_pointsFits = [](std::string_view points) { return points.size() <= 4; };
    limits.m_nameFits = [](std::string_view name) { return name.size() <= 10; };
    const CResultTable table = ReadResultTable("Anna\t3\nBo\t4\nake  LUND\t9\nCilla\t5\nCilla\t6\nDan\t\nEva\t+3\n"
                                               "Eva\t3,5\nFia\t2147483648\nGun\t12345\n\t4\nVeryLongName\t1\n"
                                               "Anna\t003\n",
                                               "R1");
    CResultImport import(table, tournament, matches, limits);
    const auto shown = [&] {
        std::string out;
        for (const CResultImport::CWord& word : import.Words(tournament.m_rounds[0]))
            out += std::to_string(static_cast<int>(word.m_tone)) + word.m_text + '|';
        return out;
    };
    // Tones: 0 known, 1 new, 2 look, 3 refused, 4 idle.
    EXPECT_EQ(shown(), "4ers\xC3\xA4tts av rad 13|0k\xC3\xA4nd|2liknar \xC3\x85ke Lund, ers\xC3\xA4tter 7|"
                       "4ers\xC3\xA4tts av rad 5|1ny spelare|3po\xC3\xA4ng saknas|3po\xC3\xA4ngen \xC3\xA4r inget heltal|"
                       "3po\xC3\xA4ngen \xC3\xA4r inget heltal|3f\xC3\xB6r l\xC3\xA5ng|3f\xC3\xB6r l\xC3\xA5ng|3namn saknas|"
                       "3f\xC3\xB6r l\xC3\xA5ng|0samma som f\xC3\xB6rut|");
    // Unticked, a later row gives way; a near name sent back to its own spelling is new; a new
    // name sent to a known player is known.
    std::vector<CResultImport::CRow>& rows = import.Rows();
    rows[12].m_ticked = false;
    rows[4].m_ticked = false;
    rows[2].m_player = rows[2].m_exact;
    rows[3].m_player = 2; // Bo
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "0samma som f\xC3\xB6rut|4ers\xC3\xA4tts av rad 4|1ny spelare|0k\xC3\xA4nd|4ny spelare|", shown());
    EXPECT_EQ(import.TargetName(rows[3]), "Bo");

    // Entered in order as "Lägg Till" enters them: Bo's later points win, in Bo's place.
    std::vector<CResult> results;
    for (const CResultImport::CRow& row : rows)
        if (CResultImport::Entered(row))
            results.emplace_back(row.m_player ? *row.m_player : tournament.AddPlayer(row.m_name), row.m_points);
    AddResults(tournament.m_rounds[0], results);
    EXPECT_EQ(Describe(tournament), "Cup|R1:\xC5ke Lund=7,Anna=3,Bo=5,ake LUND=9|R2:Bo=1");
}

TEST(ResultImport, NamesTheFileCannotHold)
{
    const CTournament tournament = Parsed("Cup\n\nR1\n\xC5sa 1\n");
    CNameMatchIndex matches;
    CResultImport import(ReadResultTable("\xC3\x85sa 2\n\xC5\x81ukasz 3\nAsa 4\n", "R1"), tournament, matches);
    const auto& rows = import.Rows();
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_TRUE(rows[0].m_fits && rows[0].m_exact == PlayerId{0});
    EXPECT_TRUE(!rows[1].m_fits && !rows[1].m_player);
    EXPECT_TRUE(rows[2].m_similar == PlayerId{0} && !rows[2].m_exact);
    // A line break inside a quoted name would break the name's line in the file.
    // Another control character no name can keep is refused.
    const CResultImport quoted(ReadResultTable("\"Anna\r\nBerg\";5\nBo;\"1\n2\"\nE\x7Fva;3\n", "R1"), tournament, matches);
    EXPECT_EQ(quoted.Rows()[0].m_name, "Anna Berg");
    EXPECT_STREQ(quoted.Rows()[1].m_refusal, "po\xC3\xA4ngen \xC3\xA4r inget heltal");
    EXPECT_STREQ(quoted.Rows()[2].m_refusal, "namnet inneh\xC3\xA5ller ett tecken som inte kan sparas");
}

TEST(NameMatch, NearNames)
{
    // Each name asked about, and the player it is taken for ("" none). A letter away counts for
    // names of five letters or more, after case, accents, blanks and å ä ö typed as a a o.
    const CTournament tournament = Parsed("Cup\n\nR1\nBirgitta \xD6" "berg 1\nAnders Ek 1\nBo Ek 1\nKarin Berg 1\n"
                                          "Karin Borg 1\nLaget 12 1\nEva Li 1\n");
    const std::pair<const char*, const char*> cases[] = {
        {"Birgita \xC3\x96" "berg", "Birgitta \xC3\x96" "berg"},   // a letter missing
        {"birgittta  OBERG", "Birgitta \xC3\x96" "berg"},          // one added, case, blanks, Ö as O
        {"Anedrs Ek", "Anders Ek"},                               // two swapped
        {"Andersek", ""},                                         // a blank is no letter
        {"Anderz Ek", "Anders Ek"},    {"Anders Eko", "Anders Ek"}, {"nders Ek", "Anders Ek"}, // either end
        {"Andres Ke", ""},             {"Anders Ekman", ""},        // two edits
        {"Karin Bxrg", "Karin Berg"},                             // of two a letter away, the first joined
        {"Eva Lie", "Eva Li"},         {"Bo Eke", ""},              // five letters, and four
        {"Laget 13", ""},              {"Laget 1", ""},   {"Laget 12a", "Laget 12"}, // digits never differ
    };
    CNameMatchIndex matches;
    for (const auto& [name, expected] : cases) {
        PlayerId id = 0;
        const bool found = matches.FindMatch(tournament, ToUtf16(name, TextEncoding::Utf8), id);
        EXPECT_EQ(found ? ToUtf8(tournament.PlayerName(id), tournament.m_encoding) : "", expected) << name;
    }
    // A letter beyond the first 65536 (two UTF-16 units) is one letter: one missing is a letter away.
    CTournament wide;
    wide.m_encoding = TextEncoding::Utf8;
    const std::string han[] = {"\xF0\xA0\x80\x80", "\xF0\xA0\x80\x81", "\xF0\xA0\x80\x82", "\xF0\xA0\x80\x83"};
    wide.AddPlayer("Wang " + han[0] + han[1] + han[2] + han[3]);
    CNameMatchIndex wideMatches;
    for (const auto& [name, expected] : {std::pair{"Wang " + han[0] + han[1] + han[3], true}, {"Wang " + han[0] + han[3], false}}) {
        PlayerId id = 0;
        EXPECT_EQ(wideMatches.FindMatch(wide, ToUtf16(name, TextEncoding::Utf8), id), expected) << name;
    }
}

TEST(NameMatch, IndexAgreesWithComparingEveryName)
{
    // Short random names, so that many are equal but for case, accents or blanks, or a letter
    // away. The index (growing name by name, and taken in at once in the background) and the
    // groups, each against comparing the name with every player in turn.
    const char* const pieces[] = {"a", "A", "\xC3\xA5", "e", "\xC3\xA9", "o", "\xC3\x96", "b", "r", " ", "  ", "1", "-"};
    std::mt19937 random(45);
    const auto randomName = [&] {
        std::string name;
        for (auto letters = 3 + random() % 5; letters > 0; --letters)
            name += pieces[random() % std::size(pieces)];
        return name;
    };
    const CNameMatch match;
    struct CSeen
    {
        std::string keys[CNameMatch::KindCount];
        std::u32string spelling;
    };
    const auto seen = [&](const std::string& name) {
        CSeen s;
        const std::u16string utf16 = ToUtf16(name, TextEncoding::Utf8);
        for (int kind = 0; kind < CNameMatch::KindCount; ++kind)
            match.Key(utf16, static_cast<CNameMatch::Kind>(kind), s.keys[kind]);
        match.Spelling(utf16, s.spelling);
        return s;
    };
    const auto keyMatch = [](const CSeen& a, const CSeen& b) { return a.keys[0] == b.keys[0] || a.keys[1] == b.keys[1]; };
    CTournament tournament;
    tournament.m_encoding = TextEncoding::Utf8;
    std::vector<CSeen> players;
    // The first player with a key alike, else the first a letter away; -1 when none.
    const auto expected = [&](const CSeen& asked) {
        const auto first = [&](auto alike) { return std::find_if(players.begin(), players.end(), alike) - players.begin(); };
        const auto byKey = first([&](const CSeen& p) { return keyMatch(p, asked); });
        const auto near = first([&](const CSeen& p) { return CNameMatch::Near(p.spelling, asked.spelling); });
        return byKey < std::ssize(players) ? byKey : near < std::ssize(players) ? near : -1;
    };
    const auto found = [&](CNameMatchIndex& index, const std::string& name) {
        PlayerId id = 0;
        return index.FindMatch(tournament, ToUtf16(name, TextEncoding::Utf8), id) ? std::ptrdiff_t{id} : -1;
    };
    CNameMatchIndex growing;
    for (int i = 0; i < 1500; ++i) {
        const std::string asked = randomName();
        ASSERT_EQ(found(growing, asked), expected(seen(asked))) << asked;
        const std::string name = randomName();
        if (tournament.AddPlayer(name) == players.size()) // a name already there is not added again
            players.push_back(seen(name));
    }
    CNameMatchIndex prepared;
    prepared.Prepare(tournament);
    for (int i = 0; i < 500; ++i) {
        const std::string asked = randomName();
        ASSERT_EQ(found(prepared, asked), expected(seen(asked))) << asked;
    }
    // Groups: every pair that matches joined; each group from its first player, in order.
    std::vector<std::size_t> root(players.size());
    std::iota(root.begin(), root.end(), std::size_t{0});
    const auto rootOf = [&](std::size_t p) {
        while (root[p] != p)
            p = root[p];
        return p;
    };
    for (std::size_t a = 0; a < players.size(); ++a) {
        for (std::size_t b = a + 1; b < players.size(); ++b) {
            if (keyMatch(players[a], players[b]) || CNameMatch::Near(players[a].spelling, players[b].spelling))
                root[std::max(rootOf(a), rootOf(b))] = std::min(rootOf(a), rootOf(b));
        }
    }
    std::map<std::size_t, std::vector<PlayerId>> groups;
    for (std::size_t p = 0; p < players.size(); ++p)
        groups[rootOf(p)].push_back(static_cast<PlayerId>(p));
    std::vector<std::vector<PlayerId>> joined;
    for (const auto& [first, group] : groups) {
        if (group.size() > 1)
            joined.push_back(group);
    }
    EXPECT_EQ(NearDuplicates(tournament), joined);
}
