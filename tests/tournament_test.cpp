// SPDX-License-Identifier: GPL-3.0-or-later
#include "StringOutput.h"
#include "model/Reader.h"

#include <gtest/gtest.h>

// Result lines: the name padded to `width` characters (bytes of Windows-1252, code points of
// UTF-8), the longest name of a player with a result (a name no result uses any more does not
// count), a blank, the points as "%2d". The saved file reads back into the same tournament,
// which saves to the same text again.
TEST(Tournament, SavedFileReadsBack)
{
    const struct { std::string file; int width; std::string saved; } cases[] = {
        {"Klubbkamp\r\n\r\nOmg\xE5ng 1\r\nAnna 10\r\nBo 7\r\nCecilia 10\r\n\r\nOmg\xE5ng 2\r\nBo 8\r\nAnna 5\r\n", 7,
         "Klubbkamp\r\n\r\nOmg\xE5ng 1\r\nAnna    10\r\nBo       7\r\nCecilia 10\r\n\r\nOmg\xE5ng 2\r\nBo       8\r\n"
         "Anna     5\r\n"},
        {"\xEF\xBB\xBF" "Cup\n\nR\nG\xC3\xB6ran 3\n\xC3\x85sa 7\nAnna 10\n", 5,
         "\xEF\xBB\xBF" "Cup\r\n\r\nR\r\nG\xC3\xB6ran  3\r\n\xC3\x85sa    7\r\nAnna  10\r\n"},
        {"Cup\n\nR\nAnna Berg 123\nO\x92Neil 0\n\nTom\n", 9,
         "Cup\r\n\r\nR\r\nAnna Berg 123\r\nO\x92Neil     0\r\n\r\nTom\r\n"},
        // Found by the fuzzer. An empty round name written as an empty line ended the round,
        // and its first result came back as a round name.
        {"Cup\n\n---\nAnna 5\nBo 6\n", 4, "Cup\r\n\r\n-\r\nAnna  5\r\nBo    6\r\n"},
        // A title beginning with the mark's bytes was read back as the mark.
        {" \xEF\xBB\xBF" "Cup\n\nR\nAnna 5\n", 4, " \xEF\xBB\xBF" "Cup\r\n\r\nR\r\nAnna  5\r\n"},
        {"Cup\n\nR\n", 0, "Cup\r\n\r\nR\r\n"},
    };
    for (const auto& c : cases) {
        CTournament first, second;
        std::string line, message;
        int lineNo = 0;
        ASSERT_TRUE(ParseTournament(c.file, first, line, lineNo, message)) << c.file;
        first.AddPlayer("Namn utan resultat");
        EXPECT_EQ(LongestPlayerNameLength(first), c.width) << c.file;
        CStringOutput out, again;
        first.Write(out, c.width);
        EXPECT_EQ(out.m_text, c.saved);
        ASSERT_TRUE(ParseTournament(out.m_text, second, line, lineNo, message)) << c.saved;
        second.Write(again, c.width);
        EXPECT_EQ(again.m_text, out.m_text);
        EXPECT_EQ(second.m_encoding, first.m_encoding) << c.file;
    }
}

// A cleared tournament (another file chosen, or the choice cancelled) knows none of its old
// players: a name typed afterwards is a new player of the empty tournament. Names compare equal
// only byte for byte.
TEST(Tournament, ClearForgetsThePlayers)
{
    CTournament t;
    t.AddPlayer("Anna");
    t.AddPlayer("Bo");
    t.Clear();
    EXPECT_EQ(t.AddPlayer("Bo"), 0u);
    EXPECT_EQ(t.PlayerName(t.AddPlayer("Anna")), "Anna");
    EXPECT_EQ(t.m_players.Size(), 2u);
    CPlayerNames same, other; // the same lengths, other bytes
    same.Add("Bo"), same.Add("Anna"), other.Add("Ek"), other.Add("Anna");
    EXPECT_TRUE(t.m_players == same && !(t.m_players == other));
}

// Names live packed in one buffer behind a table that is rebuilt as it grows and leaves fewer
// hash bits per slot the wider it is: every name keeps its id and bytes across the growth,
// names that are prefixes of each other or empty stay apart, and only a name not there is new.
TEST(Tournament, ManyNamesKeepTheirIds)
{
    CPlayerNames names;
    const auto nameOf = [](std::size_t i) { return i == 0 ? std::string() : "Spelare " + std::to_string(i / 3) + std::string(i % 3, ' '); };
    constexpr std::size_t kNames = 70000; // past 2^16 slots
    for (std::size_t i = 0; i < kNames; ++i)
        ASSERT_EQ(names.Add(nameOf(i)), i);
    ASSERT_EQ(names.Size(), kNames);
    for (std::size_t i = 0; i < kNames; i += 997) {
        EXPECT_EQ(names.Add(nameOf(i)), i);
        EXPECT_EQ(names.Name(static_cast<PlayerId>(i)), nameOf(i));
    }
    EXPECT_EQ(names.Add("Spelare 1   "), kNames);
    EXPECT_EQ(names.Add("Spelare " + std::to_string(kNames)), kNames + 1);
}
