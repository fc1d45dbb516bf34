// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as the club's players file (NAME.spelare). A refusal names a line
// and a reason; what is accepted, the writer writes to a file that reads back to the same club,
// alone and over the file it replaces (whose comments and order it keeps).
#include "FuzzCheck.h"
#include "model/ClubPlayers.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void ReadsBackTheSame(const CClubPlayers& players, std::string_view previous)
{
    const std::string written = ClubPlayersText(players, previous);
    CClubPlayers reread;
    CRulesRefusal refusal;
    FUZZ_CHECK(ParseClubPlayers(written, reread, refusal));
    FUZZ_CHECK(reread == players);
    FUZZ_CHECK(ClubPlayersText(reread, written) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CClubPlayers players;
    CRulesRefusal refusal;
    if (!ParseClubPlayers(bytes, players, refusal)) {
        FUZZ_CHECK(refusal.m_lineNo >= 1 && !refusal.m_message.empty());
        FUZZ_CHECK(refusal.m_line.find('\n') == std::string::npos);
        return 0;
    }
    ReadsBackTheSame(players, {});
    ReadsBackTheSame(players, bytes);
    return 0;
}
