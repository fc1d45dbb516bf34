// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/PlayerNames.h"
#include "model/Tournament.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct UCollator;

// When two player names are probably one person spelled two ways: they are equal to a Swedish
// collator at primary strength (letter case and the accents Swedish does not count are ignored,
// so "rené" matches "Rene" but "Åsa" does not match "Asa"), once runs of blanks are folded.
class CNameMatch
{
public:
    CNameMatch();
    ~CNameMatch();
    CNameMatch(const CNameMatch&) = delete;
    CNameMatch& operator=(const CNameMatch&) = delete;

    // Two names match exactly when their keys are equal.
    std::string Key(std::u16string_view name) const;

private:
    struct CClose
    {
        void operator()(UCollator* collator) const;
    };
    std::unique_ptr<UCollator, CClose> m_collator;
};

// The players of a tournament by their match keys, built as the names are asked for. Valid for
// one tournament: Clear() before another.
class CNameMatchIndex
{
public:
    // The first player of `tournament` whose name matches `name` (given in UTF-16); false when
    // none does. Names added to the tournament since the last call are taken in first.
    bool FindMatch(const CTournament& tournament, std::u16string_view name, PlayerId& match);
    void Clear();

private:
    CNameMatch m_match;
    std::unordered_map<std::string, PlayerId> m_first; // key -> the first player with it
    std::size_t m_indexed = 0;                         // players taken in so far
};

// The groups of two or more players of `tournament` whose names match, each group and the
// groups themselves in the order the names joined the tournament.
std::vector<std::vector<PlayerId>> NearDuplicates(const CTournament& tournament);
