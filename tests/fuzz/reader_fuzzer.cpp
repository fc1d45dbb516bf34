// libFuzzer target: any bytes through the tournament reader, then what was read through the
// writer and back through the reader, and through the standings and the page.
#include "Encoding.h"
#include "Messages.h"
#include "Reader.h"
#include "Standings.h"
#include "Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// Findings must stop the fuzzer in release builds too, so no assert().
#define CHECK(condition)                                                                         \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)

class CStringOutput final : public CLineOutput
{
public:
    void WriteLine(const std::string& line) override
    {
        m_text += line;
        m_text += "\r\n";
    }
    std::string m_text;
};

// Counts what the page writer produces without keeping it.
class CCountingOutput final : public CLineOutput
{
public:
    void WriteLine(const std::string& line) override { m_bytes += line.size() + 2; }
    std::size_t m_bytes = 0;
};

bool Parse(std::string_view bytes, CTournament& tournament, std::string& message)
{
    std::string line;
    int lineNo = -1;
    const bool ok = ParseTournament(bytes, tournament, line, lineNo, message);
    CHECK(lineNo >= 0);
    if (ok) {
        CHECK(!tournament.m_title.empty());
    } else {
        CHECK(message == msg::kEmptyTitleLine || message == msg::kExpectedResultLine ||
              message == msg::kPointsNotInteger);
        CHECK(lineNo > 0 || message == msg::kEmptyTitleLine);
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
    CHECK(t.m_rounds.size() == whole.m_rounds.size() && t.m_players.Names() == whole.m_players.Names());
    for (std::size_t r = 0; r < t.m_rounds.size(); ++r) {
        CHECK(t.m_rounds[r].m_name == whole.m_rounds[r].m_name);
        CHECK(t.m_rounds[r].m_results.size() == whole.m_rounds[r].m_results.size());
    }
}

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// What the reader guarantees of every name it hands over.
void CheckShape(const CTournament& tournament)
{
    for (const CRound& round : tournament.m_rounds) {
        std::unordered_set<std::string_view> names;
        CHECK(round.m_name.find_first_of("-_\t") == std::string::npos);
        std::string trimmed = round.m_name;
        TrimSpaces(trimmed);
        CHECK(trimmed == round.m_name);
        for (std::size_t i = 0; i < round.m_results.size(); ++i) {
            const CResult& result = round.m_results[i];
            CHECK(result.m_points >= 0);
            const std::string& name = tournament.PlayerName(result);
            CHECK(!name.empty());
            CHECK(!IsBlankOrTab(name.front()) && !IsBlankOrTab(name.back()));
            CHECK(name.find('\t') == std::string::npos);
            CHECK(name.find("  ") == std::string::npos);
            CHECK(names.insert(name).second);
        }
    }
}

// The standings against a plain map of first appearances, and the ranking against
// insertion before the first lower total (or, for many rows, against what that rule implies).
void CheckStandings(const CTournament& tournament, const CStandings& standings)
{
    std::unordered_map<std::string_view, std::size_t> rowOf;
    std::vector<std::int64_t> totals;
    std::vector<int> played;
    for (const CRound& round : tournament.m_rounds) {
        for (const CResult& result : round.m_results) {
            const auto [it, added] = rowOf.try_emplace(tournament.PlayerName(result), totals.size());
            if (added) {
                CHECK(standings.m_rows.size() > totals.size());
                const PlayerId player = standings.m_rows[totals.size()].m_player;
                CHECK(tournament.PlayerName(player) == tournament.PlayerName(result));
                totals.push_back(0);
                played.push_back(0);
            }
            totals[it->second] += result.m_points;
            ++played[it->second];
        }
    }
    CHECK(standings.m_rows.size() == totals.size());
    for (std::size_t row = 0; row < totals.size(); ++row) {
        CHECK(standings.m_rows[row].m_total == totals[row]);
        CHECK(standings.m_rows[row].m_roundsPlayed == played[row]);
    }
    const std::vector<int>& ranking = standings.m_ranking;
    CHECK(ranking.size() == totals.size());
    if (totals.size() <= 2000) {
        std::vector<int> inserted;
        for (std::size_t a = 0; a < totals.size(); ++a) {
            std::size_t i = 0;
            while (i < inserted.size() && totals[a] <= totals[static_cast<std::size_t>(inserted[i])])
                ++i;
            inserted.insert(inserted.begin() + static_cast<std::ptrdiff_t>(i), static_cast<int>(a));
        }
        CHECK(ranking == inserted);
        return;
    }
    std::vector<bool> seen(totals.size());
    for (std::size_t i = 0; i < ranking.size(); ++i) {
        const auto row = static_cast<std::size_t>(ranking[i]);
        CHECK(row < totals.size() && !seen[row]);
        seen[row] = true;
        if (i > 0) {
            const auto before = static_cast<std::size_t>(ranking[i - 1]);
            CHECK(totals[before] > totals[row] || (totals[before] == totals[row] && before < row));
        }
    }
}

// The file the writer makes from `tournament`, or false when it would be too large to
// hold: every result line is padded to the longest name, so one long name in a big file
// multiplies the size.
bool WriteBack(const CTournament& tournament, int width, std::string& text)
{
    std::size_t size = tournament.m_title.size() + 5;
    for (const CRound& round : tournament.m_rounds) {
        size += round.m_name.size() + 4;
        for (const CResult& result : round.m_results)
            size += std::max(tournament.PlayerName(result).size(), static_cast<std::size_t>(width)) + 16;
    }
    if (size > (32u << 20))
        return false;
    CStringOutput out;
    tournament.Write(out, width);
    text = std::move(out.m_text);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CTournament tournament;
    std::string message;
    const bool ok = Parse(bytes, tournament, message);
    CheckShape(tournament);
    CheckPiecewise(bytes, tournament, ok, message);

    CStandings standings;
    AddToStandings(standings, tournament);
    standings.BuildRanking();
    CheckStandings(tournament, standings);
    for (const CRound& round : tournament.m_rounds) {
        int best = 0;
        for (const CResult& result : round.m_results)
            best = std::max(best, result.m_points);
        CHECK(round.m_bestPoints == best);
    }
    if (standings.m_rows.size() * (tournament.m_rounds.size() + 1) <= (1u << 22)) {
        CCountingOutput page;
        standings.WriteHtml(page, tournament);
        CHECK(page.m_bytes > 0);
    }

    // Whatever was read, complete or up to a refused line, must survive a save.
    if (tournament.m_title.empty())
        return 0;
    const int width = standings.LongestNameLength(tournament);
    std::string written;
    if (!WriteBack(tournament, width, written))
        return 0;
    CTournament reread;
    CHECK(Parse(written, reread, message));

    CHECK(reread.m_title == tournament.m_title);
    CHECK(reread.m_byteOrderMark == tournament.m_byteOrderMark);
    if (ok)
        CHECK(reread.m_encoding == tournament.m_encoding);

    // Round names pass the clean-up once more (runs of blanks halve again); a round without
    // a name and without results is two empty lines and vanishes. Results come back as they were.
    std::vector<const CRound*> kept;
    for (const CRound& round : tournament.m_rounds) {
        if (!round.m_name.empty() || !round.m_results.empty())
            kept.push_back(&round);
    }
    CHECK(reread.m_rounds.size() == kept.size());
    bool namesChanged = false;
    for (std::size_t r = 0; r < kept.size(); ++r) {
        std::string name = kept[r]->m_name;
        NormalizeName(name);
        namesChanged = namesChanged || name != kept[r]->m_name;
        const CRound& back = reread.m_rounds[r];
        CHECK(back.m_name == name);
        CHECK(back.m_results.size() == kept[r]->m_results.size());
        for (std::size_t i = 0; i < back.m_results.size(); ++i) {
            CHECK(reread.PlayerName(back.m_results[i]) == tournament.PlayerName(kept[r]->m_results[i]));
            CHECK(back.m_results[i].m_points == kept[r]->m_results[i].m_points);
        }
    }

    // Saving what was read back gives the same file, unless round names shrank.
    if (ok && !namesChanged && kept.size() == tournament.m_rounds.size()) {
        CStandings again;
        AddToStandings(again, reread);
        std::string rewritten;
        CHECK(WriteBack(reread, again.LongestNameLength(reread), rewritten));
        CHECK(rewritten == written);
    }
    return 0;
}
