// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a rules file (NAME.regler). A refusal names a line of the file
// and a reason; what is accepted, the window's writer writes to a file that reads back to the
// same rules, alone and over the file it replaces (whose comments it keeps).
#include "FuzzCheck.h"
#include "model/SeriesRules.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void ReadsBackTheSame(const CSeriesRules& rules, std::string_view previous)
{
    const std::string written = SeriesRulesText(rules, previous);
    CSeriesRules reread;
    CRulesRefusal refusal;
    FUZZ_CHECK(ParseSeriesRules(written, reread, refusal));
    FUZZ_CHECK(reread == rules);
    // Written again from what it read, the file does not change.
    FUZZ_CHECK(SeriesRulesText(reread, written) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CSeriesRules rules;
    CRulesRefusal refusal;
    if (!ParseSeriesRules(bytes, rules, refusal)) {
        FUZZ_CHECK(refusal.m_lineNo >= 1 && !refusal.m_message.empty());
        FUZZ_CHECK(refusal.m_line.find('\n') == std::string::npos);
        return 0;
    }
    ReadsBackTheSame(rules, {});
    ReadsBackTheSame(rules, bytes);
    return 0;
}
