// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as the form a phone posts for a round (server/ProposalBox), the
// one body from the network the server reads. Whatever comes, the answer is one a phone can be
// given, and every proposal it leaves is one log line of text, within the limits said to phones,
// and either refused with a reason or one the round editor would take as it stands; the phone's
// list shows the names as text, never as markup.
#include "FuzzRoundTrip.h"
#include "model/ResultImport.h"
#include "model/Text.h"
#include "report/HtmlText.h"
#include "server/ProposalBox.h"

#include <algorithm>
#include <cstdint>

namespace {

std::size_t Characters(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Text of one field as the log and the editor keep it: UTF-8, no control character (a tab or a
// line break would split the log's line), blanks folded.
bool PlainText(std::string_view text)
{
    return IsValidUtf8(text) && !HoldsControl(text) && Trimmed(text).size() == text.size() &&
           text.find("  ") == std::string_view::npos;
}

void Post(std::string_view form, TextEncoding encoding)
{
    CProposalBox box;
    const std::string code = box.Open("R1", {"Anna", "Bo <b>"}, encoding);
    const std::string body = "t=" + code + "&" + std::string(form);
    if (body.size() > CProposalBox::kBodyLimit)
        return; // refused before it is read
    const CProposalAnswer answer =
        box.Answer("POST", "/r/" + code, "application/x-www-form-urlencoded", body, "192.0.2.7");
    const unsigned status = answer.m_status;
    FUZZ_CHECK(status == 200 || status == 303 || status == 400 || status == 403 || status == 429);
    const std::vector<CProposal> proposals = box.Proposals();
    FUZZ_CHECK(proposals.size() <= CProposalBox::kRateLimit && (status == 303) == !proposals.empty());
    if (proposals.empty())
        return;
    const CProposalAnswer list = box.Answer("GET", answer.m_location, {}, {}, "192.0.2.7");
    FUZZ_CHECK(list.m_status == 200);
    for (const CProposal& p : proposals) {
        FUZZ_CHECK(PlainText(p.m_name) && PlainText(p.m_points));
        std::string bytes;
        int points = 0;
        if (p.m_state == CProposal::State::Rejected)
            FUZZ_CHECK(!p.m_reason.empty());
        else
            FUZZ_CHECK(p.m_state == CProposal::State::Waiting && p.m_reason.empty() && !p.m_name.empty() &&
                       Characters(p.m_name) <= CProposalBox::kNameLimit && ToTournamentText(p.m_name, encoding, bytes) &&
                       IsInteger(p.m_points, points));
        const std::string row = "<tr><td>" + HtmlText(p.m_name) + "</td><td>" + HtmlText(p.m_points) + "</td>";
        FUZZ_CHECK(list.m_body.find(row) != std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view form(reinterpret_cast<const char*>(data), size);
    Post(form, TextEncoding::Utf8);
    Post(form, TextEncoding::Windows1252);
    return 0;
}
