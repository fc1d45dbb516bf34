// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/PlayerNames.h"
#include "model/ResultImport.h"
#include "model/Tournament.h"

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct UCollator;

// When two player names are probably one person spelled two ways, once runs of blanks are
// folded: they are equal at primary strength (letter case and accents aside) to a Swedish
// collator, so "rené" matches "Rene", or to the root collator, which also takes Å, Ä and Ö for
// A and O as a keyboard without them types them: "Ake" matches "Åke". Names of five letters or
// more also match when, so read by the root collator, one letter is missing, added or another,
// or two letters side by side are swapped: "Birgita Öberg" matches "Birgitta Oberg". Digits,
// blanks and signs are never what differs, so "Lag 12" and "Lag 13" stay apart.
class CNameMatch
{
public:
    CNameMatch();
    ~CNameMatch();
    CNameMatch(const CNameMatch&) = delete;
    CNameMatch& operator=(const CNameMatch&) = delete;

    // Two names match when one of their keys equals the other's key of the same kind. The key
    // goes into `key`, whose buffer is used again from call to call.
    enum Kind { Swedish, Root, KindCount };
    void Key(std::u16string_view name, Kind kind, std::string& key) const;

    // The name as the near rule reads it, into `spelling`: a code per character the root collator
    // does not ignore, each letter's code below kNotLetter and every other one's above it.
    static constexpr char32_t kNotLetter = 0x80000000;
    void Spelling(std::u16string_view name, std::u32string& spelling) const;
    // Whether two spellings are near by the rule above (equal ones too).
    static bool Near(std::u32string_view a, std::u32string_view b);
    static bool LongEnough(std::u32string_view spelling);

private:
    struct CClose
    {
        void operator()(UCollator* collator) const;
    };
    std::unique_ptr<UCollator, CClose> m_collators[KindCount];
    mutable std::unordered_map<char32_t, char32_t> m_codes; // by character, as Spelling found them
};

// The players of a tournament by their match keys. Prepare takes the names in on another
// thread, so that the first look-up after a big file is read finds them ready. Valid for one
// tournament: Clear() before another. The round editor's "Menar du …?" and the import of
// results both ask it.
class CNameMatchIndex : public CNameMatcher
{
public:
    CNameMatchIndex();
    ~CNameMatchIndex() override;
    CNameMatchIndex(const CNameMatchIndex&) = delete;
    CNameMatchIndex& operator=(const CNameMatchIndex&) = delete;

    // Starts taking in, in the background, the names of `tournament` not yet in the index.
    void Prepare(const CTournament& tournament);
    // The first player of `tournament` whose name matches `name` (given in UTF-16); false when
    // none does. Waits for a Prepare still running; names added since are taken in first.
    bool FindMatch(const CTournament& tournament, std::u16string_view name, PlayerId& match) override;
    void Clear();

    // Values by 64-bit hash in one flat table: a slot holds the hash's high half above the value
    // + 1 (0: free) and lies where the hash's top bits point, or after it. Hashes with the same
    // high half share slots: the caller tells them apart where it must.
    class CHashSlots
    {
    public:
        // Room for `count` values in all without growing.
        void Reserve(std::size_t count);
        // The slot a search for `hash` stops at: a free one (room made for it first), or one of
        // `hash`'s whose value `same` accepts.
        template <typename Same>
        std::uint64_t& Slot(std::uint64_t hash, Same same);
        template <typename Same>
        const std::uint64_t* Find(std::uint64_t hash, Same same) const;
        static bool Free(std::uint64_t slot) { return static_cast<std::uint32_t>(slot) == 0; }
        static std::uint32_t Value(std::uint64_t slot) { return static_cast<std::uint32_t>(slot) - 1; }
        // Asks for the memory of `hash`'s first slot ahead of its use.
        void Prefetch(std::uint64_t hash) const
        {
            if (!m_slots.empty())
                __builtin_prefetch(&m_slots[Start(hash)]);
        }
        // Fills a free `slot` of `hash`'s, or gives one of its slots another value.
        void Set(std::uint64_t& slot, std::uint64_t hash, std::uint32_t value);

    private:
        std::size_t Start(std::uint64_t hash) const { return static_cast<std::size_t>(hash >> 32 >> (32 - m_bits)); }
        void Grow(unsigned bits);

        std::vector<std::uint64_t> m_slots;
        unsigned m_bits = 0;
        std::size_t m_used = 0;
    };

    // The spellings of five letters or more by their halves (a near name keeps one of them
    // whole), each half a hash with the players that have it, a chain from the latest. Halves
    // whose hashes share a slot share a chain: each player found is checked by the rule.
    struct CHalves
    {
        CHashSlots m_latest;                 // by hash: the latest entry
        std::vector<PlayerId> m_player;      // by entry
        std::vector<std::uint32_t> m_before; // by entry: the same chain's entry before, or UINT32_MAX
    };

    // The players taken in by the hashes of their keys, each key of each kind with the first
    // player that has it, checked against that player's own key when found (no key is stored).
    struct CTable
    {
        CHashSlots m_first[CNameMatch::KindCount];
        CHalves m_halves;
        std::size_t m_indexed = 0; // players taken in so far
    };

private:
    void TakeFinished();

    CNameMatch m_match;
    CTable m_table;
    std::future<CTable> m_pending;
    std::shared_ptr<std::atomic<bool>> m_cancel; // of the running Prepare
};

// The groups of two or more players of `tournament` whose names match, directly or through
// others, each group and the groups themselves in the order the names joined the tournament.
std::vector<std::vector<PlayerId>> NearDuplicates(const CTournament& tournament);
