// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "StringOutput.h"
#include "files/TextFile.h"
#include "files/TournamentFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Files larger than the 256 KiB the reader takes at a time read as their text parsed whole, and
// so does the parser fed a line or some thousand bytes of lines at a time: a line longer than a
// piece, a piece ending in a name, in the points, between CR and LF, inside a UTF-8 sequence.
// The encoding is the whole file's, wherever the bytes that tell it lie.
TEST(TextFile, ReadInPiecesAsWhole)
{
    constexpr std::size_t kPiece = 256 * 1024;
    constexpr TextEncoding k1252 = TextEncoding::Windows1252, kUtf8 = TextEncoding::Utf8;
    const std::string utf8 = "G\xC3\xB6ran 7\n\xE2\x82\xAC 8\n", mark = "\xEF\xBB\xBF" "Cup";
    const struct { std::string title, tail; std::size_t cut; TextEncoding encoding; } cases[] = {
        {"Cup", "Anna Berg 12\n", 3, k1252}, {"Cup", "Bo 1234\n", 4, k1252}, {"Cup", "Cilla 5\r\nDan 6\r\n", 8, k1252},
        {"Cup", utf8, 2, kUtf8}, {"Cup", utf8, 11, kUtf8}, {"Cup", std::string(600000, 'n') + " 3\n", 1000, k1252},
        {"Cup", "\xC5sa 4\n", 0, k1252}, {"Cup", "\xC3\x85sa 4\n", 0, kUtf8}, {"C\xE5p", "\xC3\x85sa 4\n", 0, k1252},
        {"C\xC3\xA5p", "\xC5sa 4\n", 0, k1252}, {mark, "\xC3\x85sa 4\n", 0, kUtf8}, {mark, "\xC5sa 4\n", 0, k1252},
        {"Cup", "Kalle\n", 2, k1252},
    };
    const auto outcome = [](const CTournament& t, bool ok, int lineNo, const std::string& line, const std::string& message) {
        return Describe(t) + (ok ? "" : LinePrefix(lineNo, line) + message) + (t.m_byteOrderMark ? "+mark" : "");
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        std::string text = c.title + "\n\nR\n", line, message;
        for (int i = 0; text.size() + 40 < kPiece - c.cut; ++i)
            text += "Spelare " + std::to_string(i) + " " + std::to_string(i % 50) + "\n";
        text += std::string(kPiece - c.cut - text.size() - 3, 'x') + " 1\n" + c.tail;
        ASSERT_EQ(text.find(c.tail), kPiece - c.cut);
        int lineNo = 0;
        std::string expected; // the whole text in one piece, then lines, then some thousand bytes
        for (const std::size_t size : {text.size(), std::size_t{1}, std::size_t{5000}}) {
            CTournament t;
            CTournamentParser parser(t);
            for (std::size_t pos = 0, end = 0; pos < text.size(); pos = end) {
                end = std::min(text.find('\n', std::min(pos + size, text.size()) - 1), text.size() - 1) + 1;
                parser.Feed(std::string_view(text).substr(pos, end - pos));
            }
            const bool ok = parser.Finish(line, lineNo, message);
            expected = expected.empty() ? outcome(t, ok, lineNo, line, message) : expected;
            EXPECT_TRUE(outcome(t, ok, lineNo, line, message) == expected && t.m_encoding == c.encoding) << size << c.tail;
        }
        ASSERT_TRUE(WriteBytes(dir.filePath("big.txt"), text));
        CLoadedTournament loaded;
        const CFileResult read = LoadTournamentFile(dir.filePath("big.txt"), loaded);
        EXPECT_TRUE(outcome(loaded.m_tournament, read.Ok(), read.m_lineNo, read.m_line, read.m_message) == expected &&
                    loaded.m_tournament.m_encoding == c.encoding) << c.tail.substr(0, 20) << c.cut;
    }
}
