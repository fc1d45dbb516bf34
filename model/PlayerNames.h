#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// A player's number in the tournament's list of names; results refer to players by it.
using PlayerId = std::uint32_t;

// Every player name of a tournament, each stored once and numbered in order of entry. Names
// are compared byte for byte. The index is one flat open-addressing table, so that a file of
// a million results costs one probe per result and no allocation per name.
class CPlayerNames
{
public:
    // The id of `name`, adding it when it is new.
    PlayerId Add(std::string_view name);
    // The id of `name`; false when it is not there.
    bool Find(std::string_view name, PlayerId& id) const;

    const std::string& Name(PlayerId id) const { return m_names[id]; }
    // All names, element i being player i.
    const std::deque<std::string>& Names() const { return m_names; }
    std::size_t Size() const { return m_names.size(); }

    void Clear();

private:
    // Slot: the name's hash in the high half, its id + 1 in the low half; 0 is a free slot.
    std::size_t SlotOf(std::string_view name, std::uint64_t hash) const;
    void Grow();

    // A deque grows without moving its names or keeping spare room for as many again.
    std::deque<std::string> m_names;
    std::vector<std::uint64_t> m_slots;
};
