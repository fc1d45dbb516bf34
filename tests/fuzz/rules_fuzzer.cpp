// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a rules file (NAME.regler), through its reader and the
// window's writer (FuzzRoundTrip.h).
#include "FuzzRoundTrip.h"
#include "model/SeriesRules.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckRoundTrip<CSeriesRules>(std::string_view(reinterpret_cast<const char*>(data), size), ParseSeriesRules,
                                 SeriesRulesText);
    return 0;
}
