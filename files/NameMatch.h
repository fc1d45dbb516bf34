// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/PlayerNames.h"
#include "model/ResultImport.h"
#include "model/Tournament.h"

#include <atomic>
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

    // The spellings of five letters or more by their halves (a near name keeps one of them
    // whole), each half a hash with the players that have it, a chain from the latest.
    struct CHalves
    {
        CPlayerNames m_hashes;               // eight bytes each, numbered as they came
        std::vector<std::uint32_t> m_latest; // by hash number: the latest entry
        std::vector<PlayerId> m_player;      // by entry
        std::vector<std::uint32_t> m_before; // by entry: the same half's entry before, or UINT32_MAX
    };

    // The keys of the players taken in, each stored once in one buffer (no allocation per key),
    // with the first player that has it.
    struct CTable
    {
        CPlayerNames m_keys;           // kind and key, numbered as they came
        std::vector<PlayerId> m_first; // by key number
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
