// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes pasted or imported as results (a spreadsheet's cells, CSV, lines
// of "name points"). Every row the preview would enter has points and a name the tournament
// file can hold: entered into a round and saved, the file reads back to the same names and
// points.
#include "FuzzRoundTrip.h"
#include "StringOutput.h"
#include "model/Reader.h"
#include "model/ResultImport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

class CNoMatch final : public CNameMatcher
{
public:
    bool FindMatch(const CTournament&, std::u16string_view, PlayerId&) override { return false; }
};

CTournament Read(std::string_view text)
{
    CTournament tournament;
    std::string line, message;
    int lineNo = 0;
    FUZZ_CHECK(ParseTournament(text, tournament, line, lineNo, message));
    return tournament;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A UTF-8 tournament, so that any name a box could be given fits its encoding.
    CTournament tournament = Read("\xEF\xBB\xBF" "Cup\n\nR1\nAnna 1\n");
    CNoMatch matcher;
    const CResultImport import(ReadResultTable(std::string_view(reinterpret_cast<const char*>(data), size), "R1"),
                               tournament, matcher);
    std::vector<CResult> results;
    for (const CResultImport::CRow& row : import.Rows()) {
        if (!CResultImport::Entered(row) || !row.m_fits)
            continue;
        std::string name;
        FUZZ_CHECK(ToTournamentText(import.TargetName(row), tournament.m_encoding, name));
        FUZZ_CHECK(!name.empty() && row.m_points >= 0);
        results.emplace_back(tournament.AddPlayer(name), row.m_points);
    }
    AddResults(tournament.m_rounds[0], results);
    CStringOutput out;
    tournament.Write(out, LongestPlayerNameLength(tournament));
    const CTournament reread = Read(out.m_text);
    const CRound& before = tournament.m_rounds[0];
    const CRound& after = reread.m_rounds.at(0);
    FUZZ_CHECK(after.m_results.size() == before.m_results.size());
    for (std::size_t i = 0; i < after.m_results.size(); ++i) {
        FUZZ_CHECK(reread.PlayerName(after.m_results[i]) == tournament.PlayerName(before.m_results[i]));
        FUZZ_CHECK(after.m_results[i].m_points == before.m_results[i].m_points);
    }
    return 0;
}
