// Inputs the reader fuzzer found, each once a saved file that read back as something else.
#include "Reader.h"
#include "StringOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int Width(const CTournament& tournament)
{
    std::size_t width = 0;
    for (const CRound& round : tournament.m_rounds) {
        for (const CResult& result : round.m_results)
            width = std::max(width, result.m_name.size());
    }
    return static_cast<int>(width);
}

struct SavedCase
{
    const char* what;
    std::string file;
    std::string saved;  // the writer's text for what was read
    std::vector<std::string> rounds; // the names of the rounds read back from it
};

TEST(FuzzRegressions, SavedFileReadsBackTheSame)
{
    const SavedCase cases[] = {
        // A name line of only '-' or '_' is an empty name; written as an empty line, it
        // ended the round and its first result came back as the round's name.
        {"empty round name with results", "Cup\n\n---\nAnna 5\nBo 6\n",
         "Cup\r\n\r\n-\r\nAnna  5\r\nBo    6\r\n", {""}},
        // Kept as it was: with no results there is nothing to lose.
        {"empty round name, no results", "Cup\n\n___\n\nR\nAnna 5\n", "Cup\r\n\r\n\r\n\r\nR\r\nAnna  5\r\n", {"R"}},
        // A title beginning with the mark's bytes, not at the file's start: written first on
        // the line, it was taken for the mark and dropped, or left the title empty.
        {"title of only the mark's bytes", "\r\xEF\xBB\xBF", " \xEF\xBB\xBF\r\n", {}},
        {"title beginning with the mark's bytes", " \xEF\xBB\xBF" "Cup\n\nR\nAnna 5\n",
         " \xEF\xBB\xBF" "Cup\r\n\r\nR\r\nAnna  5\r\n", {"R"}},
    };
    for (const SavedCase& c : cases) {
        CTournament first;
        std::string line, message;
        int lineNo = 0;
        ASSERT_TRUE(ParseTournament(c.file, first, line, lineNo, message)) << c.what;
        CStringOutput out;
        first.Write(out, Width(first));
        EXPECT_EQ(out.Text(), c.saved) << c.what;

        CTournament second;
        ASSERT_TRUE(ParseTournament(out.Text(), second, line, lineNo, message)) << c.what;
        EXPECT_EQ(second.m_title, first.m_title) << c.what;
        EXPECT_EQ(second.m_byteOrderMark, first.m_byteOrderMark) << c.what;
        EXPECT_EQ(second.m_encoding, first.m_encoding) << c.what;
        std::vector<std::string> names;
        std::size_t results = 0;
        for (const CRound& round : second.m_rounds) {
            names.push_back(round.m_name);
            results += round.m_results.size();
        }
        EXPECT_EQ(names, c.rounds) << c.what;
        std::size_t readResults = 0;
        for (const CRound& round : first.m_rounds)
            readResults += round.m_results.size();
        EXPECT_EQ(results, readResults) << c.what;
    }
}

} // namespace
