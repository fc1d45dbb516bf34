// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes through the tournament reader, the standings page and the save;
// what was read must save to a file that reads back the same and saves to the same bytes again.
#include "StringOutput.h"
#include "model/Messages.h"
#include "model/Reader.h"
#include "model/Text.h"
#include "report/StandingsView.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Findings must stop the fuzzer in release builds too, so no assert().
void Check(bool condition, int line)
{
    if (!condition) {
        std::fprintf(stderr, "reader_fuzzer.cpp:%d: check failed\n", line);
        std::abort();
    }
}
#define CHECK(condition) Check(condition, __LINE__)

// The page is written for its faults alone (the sanitizers see them); nothing is kept.
struct CCountingOutput final : CLineOutput {
    void WriteLine(const std::string& line) override { m_bytes += line.size() + 2; }
    std::size_t m_bytes = 0;
} page;

bool Parse(std::string_view bytes, CTournament& tournament, std::string& message)
{
    std::string line;
    int lineNo = -1;
    const bool ok = ParseTournament(bytes, tournament, line, lineNo, message);
    CHECK(ok ? !tournament.m_title.empty() && message.empty()
             : message == msg::kEmptyTitleLine || (lineNo > 0 && (message == msg::kExpectedResultLine ||
                                                                 message == msg::kPointsNotInteger)));
    for (const CRound& round : tournament.m_rounds) {
        for (const CResult& result : round.m_results) {
            // Tokens part at blanks and tabs only: a CR inside the line stays in a name.
            const std::string_view name = tournament.PlayerName(result);
            CHECK(result.m_points >= 0 && !name.empty() && name.front() != ' ' && name.back() != ' ' &&
                  name.find('\t') == std::string::npos && name.find("  ") == std::string::npos);
        }
    }
    return ok;
}

// The file read line by line, as the window reads it in pieces, must come out as read whole.
void CheckPiecewise(std::string_view bytes, const CTournament& whole, bool ok, const std::string& message)
{
    CTournament t;
    CTournamentParser parser(t);
    for (std::size_t pos = 0, end; pos < bytes.size(); pos = end) {
        end = std::min(bytes.find('\n', pos), bytes.size() - 1) + 1;
        parser.Feed(bytes.substr(pos, end - pos));
    }
    std::string line, pieceMessage;
    int lineNo = 0;
    CHECK(parser.Finish(line, lineNo, pieceMessage) == ok && pieceMessage == message);
    CHECK(t.m_title == whole.m_title && t.m_encoding == whole.m_encoding && t.m_byteOrderMark == whole.m_byteOrderMark);
    CHECK(t.m_rounds.size() == whole.m_rounds.size() && t.m_players == whole.m_players);
    for (std::size_t r = 0; r < t.m_rounds.size(); ++r)
        CHECK(t.m_rounds[r].m_name == whole.m_rounds[r].m_name && t.m_rounds[r].m_results == whole.m_rounds[r].m_results);
}

// The saved file, or nothing when it would be too large to hold: every result line is padded to
// the longest name, so one long name in a big file multiplies the size.
bool Save(CTournament& tournament, std::string& text)
{
    const auto width = static_cast<std::size_t>(LongestPlayerNameLength(tournament));
    std::size_t size = tournament.m_title.size();
    for (const CRound& round : tournament.m_rounds)
        size += round.m_name.size() + 4 + round.m_results.size() * (width + 16);
    if (size > (32u << 20))
        return false;
    CStringOutput out;
    tournament.Write(out, static_cast<int>(width));
    text = std::move(out.m_text);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CTournament tournament;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string message;
    const bool ok = Parse(bytes, tournament, message);
    CheckPiecewise(bytes, tournament, ok, message);
    CStandings standings;
    AddToStandings(standings, tournament);
    if (standings.m_rows.size() * (tournament.m_rounds.size() + 1) <= (1u << 22)) {
        standings.BuildRanking();
        WriteHtmlPage(page, CStandingsView(tournament, standings));
    }

    // Whatever was read, complete or up to a refused line, must survive a save. Round names pass
    // the clean-up once more; a round without name and results is two empty lines and vanishes.
    std::string written, rewritten;
    if (tournament.m_title.empty() || !Save(tournament, written))
        return 0;
    CTournament reread;
    CHECK(Parse(written, reread, message) && reread.m_title == tournament.m_title &&
          reread.m_byteOrderMark == tournament.m_byteOrderMark && (!ok || reread.m_encoding == tournament.m_encoding));
    std::vector<const CRound*> kept;
    for (const CRound& round : tournament.m_rounds) {
        if (!round.m_name.empty() || !round.m_results.empty())
            kept.push_back(&round);
    }
    CHECK(reread.m_rounds.size() == kept.size());
    bool same = ok && kept.size() == tournament.m_rounds.size();
    for (std::size_t r = 0; r < kept.size(); ++r) {
        std::string name = kept[r]->m_name;
        NormalizeName(name);
        same = same && name == kept[r]->m_name;
        const CRound& back = reread.m_rounds[r];
        CHECK(back.m_name == name && back.m_results.size() == kept[r]->m_results.size());
        for (std::size_t i = 0; i < back.m_results.size(); ++i)
            CHECK(reread.PlayerName(back.m_results[i]) == tournament.PlayerName(kept[r]->m_results[i]) &&
                  back.m_results[i].m_points == kept[r]->m_results[i].m_points);
    }
    // Saving what was read back gives the same file, unless round names shrank.
    CHECK(!same || (Save(reread, rewritten) && rewritten == written));
    return 0;
}
