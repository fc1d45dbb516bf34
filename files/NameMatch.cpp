// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/NameMatch.h"

#include "model/Encoding.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <numeric>

namespace {

// The name with runs of blanks folded into one and none at either end, into `folded`.
void FoldBlanks(std::u16string_view name, std::u16string& folded)
{
    folded.clear();
    for (const char16_t c : name) {
        const bool blank = c == u' ' || c == u'\t';
        if (blank && (folded.empty() || folded.back() == u' '))
            continue;
        folded += blank ? u' ' : c;
    }
    if (!folded.empty() && folded.back() == u' ')
        folded.pop_back();
}

// Calls take(key) for each key of `name`, in a buffer used again; the keys begin with
// their kind, as two kinds never match each other.
template <typename Take>
void ForEachKey(const CNameMatch& match, std::u16string_view name, Take take)
{
    thread_local std::string key;
    for (int kind = 0; kind < CNameMatch::KindCount; ++kind) {
        match.Key(name, static_cast<CNameMatch::Kind>(kind), key);
        key.insert(key.begin(), static_cast<char>('0' + kind));
        take(std::string_view(key));
    }
}

// The first player with `key` in `table`; `player` when the key is new, which it then records.
PlayerId FirstWith(CNameMatchIndex::CTable& table, std::string_view key, PlayerId player)
{
    const std::size_t before = table.m_keys.Size();
    const PlayerId id = table.m_keys.Add(key);
    if (table.m_keys.Size() > before)
        table.m_first.push_back(player);
    return table.m_first[id];
}

// Takes players [table.m_indexed, names.Size()) into `table`; stops early when `cancel` is set.
void TakeIn(const CNameMatch& match, const CPlayerNames& names, TextEncoding encoding, CNameMatchIndex::CTable& table,
            const std::atomic<bool>* cancel = nullptr)
{
    for (; table.m_indexed < names.Size(); ++table.m_indexed) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return;
        const auto player = static_cast<PlayerId>(table.m_indexed);
        ForEachKey(match, ToUtf16(names.Name(player), encoding),
                   [&](std::string_view key) { FirstWith(table, key, player); });
    }
}

} // namespace

void CNameMatch::CClose::operator()(UCollator* collator) const
{
    ucol_close(collator);
}

CNameMatch::CNameMatch()
{
    const char* const locales[KindCount] = {"sv_SE", ""};
    for (int kind = 0; kind < KindCount; ++kind) {
        UErrorCode status = U_ZERO_ERROR;
        m_collators[kind].reset(ucol_open(locales[kind], &status));
        if (U_FAILURE(status))
            m_collators[kind].reset();
        else
            ucol_setStrength(m_collators[kind].get(), UCOL_PRIMARY);
    }
}

CNameMatch::~CNameMatch() = default;

void CNameMatch::Key(std::u16string_view name, Kind kind, std::string& key) const
{
    thread_local std::u16string folded;
    FoldBlanks(name, folded);
    UCollator* const collator = m_collators[kind].get();
    // Without collation data only the folded spelling itself matches.
    if (!collator) {
        key.assign(reinterpret_cast<const char*>(folded.data()), folded.size() * sizeof(char16_t));
        return;
    }
    key.resize(std::max(key.capacity(), folded.size() * 4 + 16));
    for (;;) {
        const int32_t needed =
            ucol_getSortKey(collator, folded.data(), static_cast<int32_t>(folded.size()),
                            reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
        const bool fits = needed <= static_cast<int32_t>(key.size());
        key.resize(static_cast<std::size_t>(needed));
        if (fits)
            return;
    }
}

CNameMatchIndex::CNameMatchIndex() = default;

CNameMatchIndex::~CNameMatchIndex()
{
    Clear();
}

void CNameMatchIndex::Prepare(const CTournament& tournament)
{
    // One at a time: a look-up takes in whatever a running one leaves.
    if (m_pending.valid() || m_table.m_indexed >= tournament.m_players.Size())
        return;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    // The thread works on its own copies: the names grow on this thread meanwhile, and a
    // collator is not shared between threads.
    m_pending = std::async(std::launch::async, [table = std::move(m_table), names = tournament.m_players,
                                                encoding = tournament.m_encoding, cancel = m_cancel]() mutable {
        const CNameMatch match;
        TakeIn(match, names, encoding, table, cancel.get());
        return std::move(table);
    });
    m_table = CTable();
}

void CNameMatchIndex::TakeFinished()
{
    if (m_pending.valid())
        m_table = m_pending.get();
}

bool CNameMatchIndex::FindMatch(const CTournament& tournament, std::u16string_view name, PlayerId& match)
{
    TakeFinished();
    TakeIn(m_match, tournament.m_players, tournament.m_encoding, m_table);
    bool found = false;
    ForEachKey(m_match, name, [&](std::string_view key) {
        PlayerId id = 0;
        // Of two players found by their two keys, the one that joined first.
        if (m_table.m_keys.Find(key, id) && (!found || m_table.m_first[id] < match)) {
            match = m_table.m_first[id];
            found = true;
        }
    });
    return found;
}

void CNameMatchIndex::Clear()
{
    if (m_cancel)
        m_cancel->store(true);
    TakeFinished();
    m_table = CTable();
}

std::vector<std::vector<PlayerId>> NearDuplicates(const CTournament& tournament)
{
    const CNameMatch match;
    const std::size_t count = tournament.m_players.Size();
    // Matches chain into groups; each group's root is its first player.
    std::vector<PlayerId> root(count);
    std::iota(root.begin(), root.end(), PlayerId{0});
    const auto rootOf = [&](PlayerId player) {
        while (root[player] != player)
            player = root[player] = root[root[player]];
        return player;
    };
    CNameMatchIndex::CTable first;
    for (PlayerId player = 0; player < count; ++player) {
        ForEachKey(match, ToUtf16(tournament.PlayerName(player), tournament.m_encoding), [&](std::string_view key) {
            const PlayerId a = rootOf(FirstWith(first, key, player)), b = rootOf(player);
            root[std::max(a, b)] = std::min(a, b);
        });
    }
    std::vector<std::vector<PlayerId>> groups;
    std::vector<std::size_t> groupOf(count, SIZE_MAX);
    for (PlayerId player = 0; player < count; ++player) {
        std::size_t& group = groupOf[rootOf(player)];
        if (group == SIZE_MAX) {
            group = groups.size();
            groups.emplace_back();
        }
        groups[group].push_back(player);
    }
    std::erase_if(groups, [](const std::vector<PlayerId>& group) { return group.size() < 2; });
    return groups;
}
