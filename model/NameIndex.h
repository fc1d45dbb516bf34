#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

// Finds a name's position in a sequence that the caller keeps (the results of a round, the
// rows of the standings) without a linear search. The names stay in the sequence: the index
// holds only their hashes and positions, in one flat table, so a lookup costs one probe of
// that table and, on a hash match, one look at the name, and there is nothing to allocate
// or free per name.
class CNameIndex
{
public:
    // Forgets every name. Costs no more than the names added since the last Clear, so that
    // one large round does not make every later small round pay for its table.
    void Clear()
    {
        if (m_slots.size() > 8 * m_count + 16)
            std::vector<CSlot>(std::max<std::size_t>(16, std::bit_ceil(4 * m_count))).swap(m_slots);
        else
            std::fill(m_slots.begin(), m_slots.end(), CSlot());
        m_count = 0;
    }

    // The position of `name`, or, when it is not there, `next` recorded as its position.
    // `nameAt(position)` gives the name at a recorded position. The bool is true when added.
    template <typename NameAt>
    std::pair<std::size_t, bool> FindOrAdd(std::string_view name, std::size_t next, NameAt&& nameAt)
    {
        if (2 * (m_count + 1) > m_slots.size())
            Grow();
        const std::uint64_t hash = std::hash<std::string_view>()(name);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
            CSlot& slot = m_slots[i];
            if (slot.m_position == 0) {
                slot = CSlot{hash, next + 1};
                ++m_count;
                return {next, true};
            }
            if (slot.m_hash == hash && std::string_view(nameAt(slot.m_position - 1)) == name)
                return {slot.m_position - 1, false};
        }
    }

private:
    struct CSlot
    {
        std::uint64_t m_hash = 0;
        std::size_t m_position = 0; // position + 1; 0 marks a free slot
    };

    void Grow()
    {
        std::vector<CSlot> old(m_slots.empty() ? 16 : 2 * m_slots.size());
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const CSlot& slot : old) {
            if (slot.m_position == 0)
                continue;
            std::size_t i = static_cast<std::size_t>(slot.m_hash) & mask;
            while (m_slots[i].m_position != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::vector<CSlot> m_slots;
    std::size_t m_count = 0;
};
