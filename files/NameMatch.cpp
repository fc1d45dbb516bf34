// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/NameMatch.h"

#include "model/Encoding.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <utility>

void CNameMatchIndex::CHashSlots::Reserve(std::size_t count)
{
    unsigned bits = std::max(m_bits, 4U);
    while ((std::size_t{1} << bits) < 2 * count)
        ++bits;
    if (bits != m_bits)
        Grow(bits);
}

void CNameMatchIndex::CHashSlots::Grow(unsigned bits)
{
    // The start of a slot is read from the high half it keeps.
    if (bits > 32)
        throw std::length_error("near-duplicate index beyond 2^32 entries");
    const std::vector<std::uint64_t> old = std::exchange(m_slots, std::vector<std::uint64_t>(std::size_t{1} << bits));
    m_bits = bits;
    const std::size_t mask = m_slots.size() - 1;
    for (const std::uint64_t slot : old) {
        if (Free(slot))
            continue;
        std::size_t i = Start(slot);
        while (!Free(m_slots[i]))
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

template <typename Same>
std::uint64_t& CNameMatchIndex::CHashSlots::Slot(std::uint64_t hash, Same same)
{
    // At most half full, so that a search ends soon.
    if (2 * (m_used + 1) > m_slots.size())
        Grow(std::max(m_bits + 1, 4U));
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = Start(hash);; i = (i + 1) & mask) {
        std::uint64_t& slot = m_slots[i];
        if (Free(slot) || ((slot ^ hash) >> 32 == 0 && same(Value(slot))))
            return slot;
    }
}

template <typename Same>
const std::uint64_t* CNameMatchIndex::CHashSlots::Find(std::uint64_t hash, Same same) const
{
    if (m_slots.empty())
        return nullptr;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = Start(hash);; i = (i + 1) & mask) {
        const std::uint64_t& slot = m_slots[i];
        if (Free(slot))
            return nullptr;
        if ((slot ^ hash) >> 32 == 0 && same(Value(slot)))
            return &slot;
    }
}

void CNameMatchIndex::CHashSlots::Set(std::uint64_t& slot, std::uint64_t hash, std::uint32_t value)
{
    if (Free(slot))
        ++m_used;
    slot = (hash >> 32 << 32) | (value + 1);
}

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

using CHashSlots = CNameMatchIndex::CHashSlots;

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value)
{
    hash = (hash ^ value) * 0x9E3779B97F4A7C15u;
    return hash ^ (hash >> 29);
}

std::uint64_t HashOf(std::string_view bytes)
{
    std::uint64_t hash = Mix(0, bytes.size());
    for (; bytes.size() >= 8; bytes.remove_prefix(8)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data(), 8);
        hash = Mix(hash, word);
    }
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data(), bytes.size());
    hash = Mix(hash, word);
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    return hash ^ (hash >> 33);
}

// Calls take(kind, key) for each key of `name`, in a buffer used again.
template <typename Take>
void ForEachKey(const CNameMatch& match, std::u16string_view name, Take take)
{
    thread_local std::string key;
    for (int kind = 0; kind < CNameMatch::KindCount; ++kind) {
        match.Key(name, static_cast<CNameMatch::Kind>(kind), key);
        take(kind, std::string_view(key));
    }
}

// Whether player `other`'s key of `kind` is `key`; `nameOf(player)` gives a name in UTF-16.
template <typename NameOf>
bool KeyIs(const CNameMatch& match, NameOf nameOf, PlayerId other, int kind, std::string_view key)
{
    thread_local std::string otherKey;
    match.Key(nameOf(other), static_cast<CNameMatch::Kind>(kind), otherKey);
    return otherKey == key;
}

// The first player in `table` whose key of `kind` is `key`; `player` when the key is new, which
// it then records.
template <typename NameOf>
PlayerId FirstWith(const CNameMatch& match, NameOf nameOf, CNameMatchIndex::CTable& table, int kind,
                   std::string_view key, std::uint64_t hash, PlayerId player)
{
    CHashSlots& first = table.m_first[kind];
    std::uint64_t& slot = first.Slot(hash, [&](std::uint32_t other) { return KeyIs(match, nameOf, other, kind, key); });
    if (CHashSlots::Free(slot))
        first.Set(slot, hash, player);
    return CHashSlots::Value(slot);
}

// Room in `table` for `count` players in all, when that is many more than it holds.
void Reserve(CNameMatchIndex::CTable& table, std::size_t count)
{
    if (count <= table.m_indexed || count - table.m_indexed <= table.m_indexed / 8)
        return;
    for (CHashSlots& first : table.m_first)
        first.Reserve(count);
    table.m_halves.m_latest.Reserve(2 * count);
    table.m_halves.m_player.reserve(2 * count);
    table.m_halves.m_before.reserve(2 * count);
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

void File(CNameMatchIndex::CHalves& halves, std::u32string_view spelling, PlayerId player)
{
    ForEachHalf(spelling, spelling.size(), [&](std::uint64_t hash) {
        std::uint64_t& slot = halves.m_latest.Slot(hash, [](std::uint32_t) { return true; });
        halves.m_before.push_back(CHashSlots::Free(slot) ? UINT32_MAX : CHashSlots::Value(slot));
        halves.m_latest.Set(slot, hash, static_cast<std::uint32_t>(halves.m_player.size()));
        halves.m_player.push_back(player);
    });
}

// Calls visit(player) for each player filed in `halves` who may be near `spelling` (some twice).
template <typename Visit>
void ForEachCandidate(const CNameMatchIndex::CHalves& halves, std::u32string_view spelling, Visit visit)
{
    for (const std::size_t length : {spelling.size() - 1, spelling.size(), spelling.size() + 1}) {
        ForEachHalf(spelling, length, [&](std::uint64_t hash) {
            const std::uint64_t* slot = halves.m_latest.Find(hash, [](std::uint32_t) { return true; });
            if (slot == nullptr)
                return;
            for (std::uint32_t entry = CHashSlots::Value(*slot); entry != UINT32_MAX; entry = halves.m_before[entry])
                visit(halves.m_player[entry]);
        });
    }
}

// Takes players [table.m_indexed, names.Size()) into `table`; stops early when `cancel` is set.
// A batch of names at a time: their hashes first, with the slots they go to asked for ahead, so
// that the waits for memory (the tables are far bigger than the caches) overlap.
void TakeIn(const CNameMatch& match, const CPlayerNames& names, TextEncoding encoding, CNameMatchIndex::CTable& table,
            const std::atomic<bool>* cancel = nullptr)
{
    constexpr std::size_t kBatch = 16;
    struct CName
    {
        std::string keys[CNameMatch::KindCount];
        std::uint64_t hashes[CNameMatch::KindCount] = {};
        std::u32string spelling;
    };
    std::vector<CName> batch(kBatch);
    const auto nameOf = [&](PlayerId player) { return ToUtf16(names.Name(player), encoding); };
    Reserve(table, names.Size());
    while (table.m_indexed < names.Size()) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return;
        const std::size_t count = std::min(kBatch, names.Size() - table.m_indexed);
        for (std::size_t i = 0; i < count; ++i) {
            CName& name = batch[i];
            const std::u16string utf16 = nameOf(static_cast<PlayerId>(table.m_indexed + i));
            ForEachKey(match, utf16, [&](int kind, std::string_view key) {
                name.keys[kind] = key;
                name.hashes[kind] = HashOf(key);
                table.m_first[kind].Prefetch(name.hashes[kind]);
            });
            match.Spelling(utf16, name.spelling);
            if (CNameMatch::LongEnough(name.spelling))
                ForEachHalf(name.spelling, name.spelling.size(),
                            [&](std::uint64_t hash) { table.m_halves.m_latest.Prefetch(hash); });
            else
                name.spelling.clear();
        }
        for (std::size_t i = 0; i < count; ++i) {
            const CName& name = batch[i];
            const auto player = static_cast<PlayerId>(table.m_indexed + i);
            for (int kind = 0; kind < CNameMatch::KindCount; ++kind)
                FirstWith(match, nameOf, table, kind, name.keys[kind], name.hashes[kind], player);
            if (!name.spelling.empty())
                File(table.m_halves, name.spelling, player);
        }
        table.m_indexed += count;
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
    // One at a time: a look-up takes in whatever a running one leaves, and a few new names
    // (typed ones) itself, quicker than copying every name for a thread.
    const std::size_t count = tournament.m_players.Size();
    if (m_pending.valid() || count <= m_table.m_indexed || count - m_table.m_indexed <= m_table.m_indexed / 8)
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
    const auto nameOf = [&](PlayerId player) { return ToUtf16(tournament.PlayerName(player), tournament.m_encoding); };
    ForEachKey(m_match, name, [&](int kind, std::string_view key) {
        const std::uint64_t* slot = m_table.m_first[kind].Find(
            HashOf(key), [&](std::uint32_t other) { return KeyIs(m_match, nameOf, other, kind, key); });
        // Of two players found by their two keys, the one that joined first.
        if (slot != nullptr && (!found || CHashSlots::Value(*slot) < match)) {
            match = CHashSlots::Value(*slot);
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
        m_match.Spelling(nameOf(player), other);
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
    const auto nameOf = [&](PlayerId player) { return ToUtf16(tournament.PlayerName(player), tournament.m_encoding); };
    CNameMatchIndex::CTable first;
    Reserve(first, count);
    std::u32string spelling, other;
    for (PlayerId player = 0; player < count; ++player) {
        const std::u16string name = nameOf(player);
        ForEachKey(match, name, [&](int kind, std::string_view key) {
            join(player, FirstWith(match, nameOf, first, kind, key, HashOf(key), player));
        });
        match.Spelling(name, spelling);
        if (!CNameMatch::LongEnough(spelling))
            continue;
        ForEachCandidate(first.m_halves, spelling, [&](PlayerId candidate) {
            if (rootOf(candidate) == rootOf(player))
                return;
            match.Spelling(nameOf(candidate), other);
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
