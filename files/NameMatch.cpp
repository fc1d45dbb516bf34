// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/NameMatch.h"

#include "model/Encoding.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <cstring>
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

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value)
{
    hash = (hash ^ value) * 0x9E3779B97F4A7C15u;
    return hash ^ (hash >> 29);
}

// Calls take(hash) for each half under which a spelling of `length` codes is filed, the halves
// cut from `spelling`: its own, or one a code longer or shorter that may be near it. A name near
// another has one of its halves whole: one edit spares the first (length - 1) / 2 codes or the
// last as many. The codes that are no letters, which no edit touches, go into each hash too.
template <typename Take>
void ForEachHalf(std::u32string_view spelling, std::size_t length, Take take)
{
    const std::size_t half = (length - 1) / 2;
    std::uint64_t others = length;
    for (const char32_t c : spelling) {
        if (c >= CNameMatch::kNotLetter)
            others = Mix(others, c);
    }
    for (const std::uint64_t side : {std::uint64_t{0}, std::uint64_t{1}}) {
        std::uint64_t hash = Mix(others, side);
        for (const char32_t c : side == 0 ? spelling.substr(0, half) : spelling.substr(spelling.size() - half))
            hash = Mix(hash, c);
        take(Mix(hash, 0));
    }
}

std::string_view Bytes(const std::uint64_t& hash)
{
    return {reinterpret_cast<const char*>(&hash), sizeof hash};
}

void File(CNameMatchIndex::CHalves& halves, std::u32string_view spelling, PlayerId player)
{
    ForEachHalf(spelling, spelling.size(), [&](std::uint64_t hash) {
        const std::size_t before = halves.m_hashes.Size();
        const PlayerId id = halves.m_hashes.Add(Bytes(hash));
        if (halves.m_hashes.Size() > before)
            halves.m_latest.push_back(UINT32_MAX);
        halves.m_before.push_back(halves.m_latest[id]);
        halves.m_latest[id] = static_cast<std::uint32_t>(halves.m_player.size());
        halves.m_player.push_back(player);
    });
}

// Calls visit(player) for each player filed in `halves` who may be near `spelling` (some twice).
template <typename Visit>
void ForEachCandidate(const CNameMatchIndex::CHalves& halves, std::u32string_view spelling, Visit visit)
{
    for (const std::size_t length : {spelling.size() - 1, spelling.size(), spelling.size() + 1}) {
        ForEachHalf(spelling, length, [&](std::uint64_t hash) {
            PlayerId id = 0;
            if (!halves.m_hashes.Find(Bytes(hash), id))
                return;
            for (std::uint32_t entry = halves.m_latest[id]; entry != UINT32_MAX; entry = halves.m_before[entry])
                visit(halves.m_player[entry]);
        });
    }
}

// Takes players [table.m_indexed, names.Size()) into `table`; stops early when `cancel` is set.
void TakeIn(const CNameMatch& match, const CPlayerNames& names, TextEncoding encoding, CNameMatchIndex::CTable& table,
            const std::atomic<bool>* cancel = nullptr)
{
    std::u32string spelling;
    for (; table.m_indexed < names.Size(); ++table.m_indexed) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return;
        const auto player = static_cast<PlayerId>(table.m_indexed);
        const std::u16string name = ToUtf16(names.Name(player), encoding);
        ForEachKey(match, name, [&](std::string_view key) { FirstWith(table, key, player); });
        match.Spelling(name, spelling);
        if (CNameMatch::LongEnough(spelling))
            File(table.m_halves, spelling, player);
    }
}

// The code of character `c`, held in text[0, length), for CNameMatch::Spelling: 0 when the
// collator ignores it, else its primary weights, packed when they fit in three bytes.
char32_t CodeOf(UCollator* collator, const char16_t* text, std::size_t length, UChar32 c)
{
    char32_t code = 0;
    if (!collator) {
        code = static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT));
    } else {
        uint8_t key[64];
        const int32_t size = std::min(
            ucol_getSortKey(collator, text, static_cast<int32_t>(length), key, static_cast<int32_t>(sizeof key)),
            static_cast<int32_t>(sizeof key));
        // The primary weights end at the first byte below 2: the end, or the next level's mark.
        std::uint64_t hash = 0;
        int32_t bytes = 0;
        for (; bytes < size && key[bytes] > 1; ++bytes) {
            code = code << 8 | key[bytes];
            hash = Mix(hash, key[bytes]);
        }
        if (bytes > 3)
            code = 0x01000000 + static_cast<char32_t>(hash % 0x7E000000);
    }
    return code == 0 || u_isalpha(c) ? code : code | CNameMatch::kNotLetter;
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

void CNameMatch::Spelling(std::u16string_view name, std::u32string& spelling) const
{
    thread_local std::u16string folded;
    FoldBlanks(name, folded);
    spelling.clear();
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t start = i;
        char32_t c = folded[i++];
        if (c >= 0xD800 && c < 0xDC00 && i < folded.size() && folded[i] >= 0xDC00 && folded[i] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (folded[i++] - 0xDC00u);
        auto [at, added] = m_codes.try_emplace(c, 0);
        if (added)
            at->second = CodeOf(m_collators[Root].get(), folded.data() + start, i - start, static_cast<UChar32>(c));
        if (at->second != 0)
            spelling += at->second;
    }
}

bool CNameMatch::LongEnough(std::u32string_view spelling)
{
    return std::count_if(spelling.begin(), spelling.end(), [](char32_t c) { return c < kNotLetter; }) >= 5;
}

bool CNameMatch::Near(std::u32string_view a, std::u32string_view b)
{
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > 1 || !LongEnough(a) || !LongEnough(b))
        return false;
    const auto letter = [](char32_t c) { return c < kNotLetter; };
    std::size_t i = 0;
    while (i < b.size() && a[i] == b[i])
        ++i;
    if (a.size() > b.size()) // a letter added
        return letter(a[i]) && a.substr(i + 1) == b.substr(i);
    if (i == a.size())
        return true;
    if (!letter(a[i]) || !letter(b[i]))
        return false;
    if (a.substr(i + 1) == b.substr(i + 1)) // a letter changed
        return true;
    return i + 1 < a.size() && letter(a[i + 1]) && a[i] == b[i + 1] && a[i + 1] == b[i] &&
           a.substr(i + 2) == b.substr(i + 2);
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
    if (found)
        return true;
    // Else the first player whose name is a letter away.
    thread_local std::u32string spelling, other;
    m_match.Spelling(name, spelling);
    if (!CNameMatch::LongEnough(spelling))
        return false;
    ForEachCandidate(m_table.m_halves, spelling, [&](PlayerId player) {
        if (found && player >= match)
            return;
        m_match.Spelling(ToUtf16(tournament.PlayerName(player), tournament.m_encoding), other);
        if (CNameMatch::Near(spelling, other)) {
            match = player;
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
    const auto join = [&](PlayerId player, PlayerId other) {
        const PlayerId a = rootOf(other), b = rootOf(player);
        root[std::max(a, b)] = std::min(a, b);
    };
    CNameMatchIndex::CTable first;
    std::u32string spelling, other;
    for (PlayerId player = 0; player < count; ++player) {
        const std::u16string name = ToUtf16(tournament.PlayerName(player), tournament.m_encoding);
        ForEachKey(match, name, [&](std::string_view key) { join(player, FirstWith(first, key, player)); });
        match.Spelling(name, spelling);
        if (!CNameMatch::LongEnough(spelling))
            continue;
        ForEachCandidate(first.m_halves, spelling, [&](PlayerId candidate) {
            if (rootOf(candidate) == rootOf(player))
                return;
            match.Spelling(ToUtf16(tournament.PlayerName(candidate), tournament.m_encoding), other);
            if (CNameMatch::Near(spelling, other))
                join(player, candidate);
        });
        File(first.m_halves, spelling, player);
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
