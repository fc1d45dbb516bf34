// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/PlayerNames.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

// Names are short: eight bytes per multiply, then a final mix so that both the slot (low
// bits) and the tag (high bits) depend on every byte.
std::uint64_t HashOf(std::string_view name)
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t hash = name.size() * kMultiplier;
    const char* p = name.data();
    std::size_t left = name.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, left);
        hash = (hash ^ word) * kMultiplier;
    }
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    return hash;
}

std::uint32_t IdMask(unsigned idBits)
{
    return idBits >= 32 ? UINT32_MAX : (std::uint32_t{1} << idBits) - 1;
}

} // namespace

std::size_t CPlayerNames::SlotOf(std::string_view name, std::uint64_t hash) const
{
    // Linear probing in a power-of-two table.
    const std::size_t mask = m_slots.size() - 1;
    const std::uint32_t idMask = IdMask(m_idBits);
    const std::uint32_t tag = static_cast<std::uint32_t>(hash >> 32) & ~idMask;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
        const std::uint32_t slot = m_slots[i];
        if (slot == 0)
            return i;
        if ((slot & ~idMask) == tag && Name((slot & idMask) - 1) == name)
            return i;
    }
}

PlayerId CPlayerNames::Add(std::string_view name)
{
    if (4 * (m_ends.size() + 1) > 3 * m_slots.size())
        Grow();
    const std::uint64_t hash = HashOf(name);
    const std::size_t i = SlotOf(name, hash);
    const std::uint32_t idMask = IdMask(m_idBits);
    if (m_slots[i] != 0)
        return (m_slots[i] & idMask) - 1;
    if (name.size() > std::numeric_limits<std::uint32_t>::max() - m_bytes.size())
        throw std::length_error("player names beyond 4 GB");
    const auto id = static_cast<PlayerId>(m_ends.size());
    m_bytes.insert(m_bytes.end(), name.begin(), name.end());
    m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size()));
    m_slots[i] = (static_cast<std::uint32_t>(hash >> 32) & ~idMask) | (id + 1);
    return id;
}

void CPlayerNames::Clear()
{
    m_bytes.clear();
    m_ends.clear();
    m_slots.clear();
    m_idBits = 0;
}

void CPlayerNames::Grow()
{
    // The slots are made anew from the names: a wider table leaves fewer bits for the tag.
    m_idBits = m_slots.empty() ? 6 : m_idBits + 1;
    m_slots.assign(std::size_t{1} << m_idBits, 0);
    const std::size_t mask = m_slots.size() - 1;
    const std::uint32_t idMask = IdMask(m_idBits);
    for (PlayerId id = 0; id < m_ends.size(); ++id) {
        const std::uint64_t hash = HashOf(Name(id));
        std::size_t i = static_cast<std::size_t>(hash) & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = (static_cast<std::uint32_t>(hash >> 32) & ~idMask) | (id + 1);
    }
}
