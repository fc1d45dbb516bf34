// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// A player's number in the tournament's list of names; results refer to players by it.
using PlayerId = std::uint32_t;

// Every player name of a tournament, each stored once and numbered in order of entry. Names
// are compared byte for byte. The names lie one after another in one buffer and the index is
// one flat open-addressing table, so a big tournament costs a few bytes per player beyond its
// names and no allocation per name.
class CPlayerNames
{
public:
    // The id of `name`, adding it when it is new.
    PlayerId Add(std::string_view name);

    // Valid until the next Add.
    std::string_view Name(PlayerId id) const
    {
        const std::uint32_t start = id == 0 ? 0 : m_ends[id - 1];
        return {m_bytes.data() + start, m_ends[id] - start};
    }
    std::size_t Size() const { return m_ends.size(); }

    void Clear();

    // The same names with the same ids.
    friend bool operator==(const CPlayerNames& a, const CPlayerNames& b)
    {
        return a.m_ends == b.m_ends && a.m_bytes == b.m_bytes;
    }

private:
    std::size_t SlotOf(std::string_view name, std::uint64_t hash) const;
    void Grow();

    std::vector<char> m_bytes;
    // Where each name ends in m_bytes; it starts where the one before it ends.
    std::vector<std::uint32_t> m_ends;
    // Slot: id + 1 in the low m_idBits bits (0 is a free slot), and above them as many bits
    // of the name's hash, which spare most name comparisons. The table has 2^m_idBits slots
    // and is at most three quarters full, so an id always fits.
    std::vector<std::uint32_t> m_slots;
    unsigned m_idBits = 0;
};
