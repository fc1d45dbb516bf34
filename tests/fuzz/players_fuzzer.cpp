// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as the club's players file (NAME.spelare), through its reader and
// its writer (FuzzRoundTrip.h).
#include "FuzzRoundTrip.h"
#include "model/ClubPlayers.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckRoundTrip<CClubPlayers>(
        std::string_view(reinterpret_cast<const char*>(data), size), ParseClubPlayers,
        [](const CClubPlayers& players, std::string_view previous) { return ClubPlayersText(players, previous); });
    return 0;
}
