// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/NameMatch.h"

#include "model/Encoding.h"

#include <unicode/ucol.h>

namespace {

std::u16string FoldBlanks(std::u16string_view name)
{
    std::u16string folded;
    folded.reserve(name.size());
    for (const char16_t c : name) {
        const bool blank = c == u' ' || c == u'\t';
        if (blank && (folded.empty() || folded.back() == u' '))
            continue;
        folded += blank ? u' ' : c;
    }
    if (!folded.empty() && folded.back() == u' ')
        folded.pop_back();
    return folded;
}

std::u16string Utf16Name(const CTournament& tournament, PlayerId player)
{
    return ToUtf16(tournament.PlayerName(player), tournament.m_encoding);
}

} // namespace

void CNameMatch::CClose::operator()(UCollator* collator) const
{
    ucol_close(collator);
}

CNameMatch::CNameMatch()
{
    UErrorCode status = U_ZERO_ERROR;
    m_collator.reset(ucol_open("sv_SE", &status));
    if (U_FAILURE(status))
        m_collator.reset();
    else
        ucol_setStrength(m_collator.get(), UCOL_PRIMARY);
}

CNameMatch::~CNameMatch() = default;

std::string CNameMatch::Key(std::u16string_view name) const
{
    const std::u16string folded = FoldBlanks(name);
    // Without collation data only the folded spelling itself matches.
    if (!m_collator)
        return std::string(reinterpret_cast<const char*>(folded.data()), folded.size() * sizeof(char16_t));
    std::string key(folded.size() * 4 + 16, '\0');
    for (;;) {
        const int32_t needed =
            ucol_getSortKey(m_collator.get(), folded.data(), static_cast<int32_t>(folded.size()),
                            reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
        if (needed <= static_cast<int32_t>(key.size())) {
            key.resize(static_cast<std::size_t>(needed));
            return key;
        }
        key.resize(static_cast<std::size_t>(needed));
    }
}

bool CNameMatchIndex::FindMatch(const CTournament& tournament, std::u16string_view name, PlayerId& match)
{
    for (; m_indexed < tournament.m_players.Size(); ++m_indexed) {
        const auto player = static_cast<PlayerId>(m_indexed);
        m_first.try_emplace(m_match.Key(Utf16Name(tournament, player)), player);
    }
    const auto found = m_first.find(m_match.Key(name));
    if (found == m_first.end())
        return false;
    match = found->second;
    return true;
}

void CNameMatchIndex::Clear()
{
    m_first.clear();
    m_indexed = 0;
}

std::vector<std::vector<PlayerId>> NearDuplicates(const CTournament& tournament)
{
    const CNameMatch match;
    std::unordered_map<std::string, std::size_t> groupOf;
    std::vector<std::vector<PlayerId>> groups;
    for (PlayerId player = 0; player < tournament.m_players.Size(); ++player) {
        const auto [at, added] = groupOf.try_emplace(match.Key(Utf16Name(tournament, player)), groups.size());
        if (added)
            groups.emplace_back();
        groups[at->second].push_back(player);
    }
    std::erase_if(groups, [](const std::vector<PlayerId>& group) { return group.size() < 2; });
    return groups;
}
