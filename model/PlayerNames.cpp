#include "model/PlayerNames.h"

#include <cstring>

namespace {

// Names are short: eight bytes per multiply, then a final mix so that both halves of the
// hash (slot and tag) depend on every byte.
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

} // namespace

std::size_t CPlayerNames::SlotOf(std::string_view name, std::uint64_t hash) const
{
    // Linear probing in a power-of-two table kept at most three quarters full; the hash's
    // high half in each slot spares most name comparisons.
    const std::size_t mask = m_slots.size() - 1;
    const std::uint64_t tag = hash >> 32;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = m_slots[i];
        if (slot == 0)
            return i;
        if ((slot >> 32) == tag && m_names[(slot & 0xFFFFFFFFu) - 1] == name)
            return i;
    }
}

PlayerId CPlayerNames::Add(std::string_view name)
{
    if (4 * (m_names.size() + 1) > 3 * m_slots.size())
        Grow();
    const std::uint64_t hash = HashOf(name);
    const std::size_t i = SlotOf(name, hash);
    if (m_slots[i] != 0)
        return static_cast<PlayerId>((m_slots[i] & 0xFFFFFFFFu) - 1);
    const auto id = static_cast<PlayerId>(m_names.size());
    m_names.emplace_back(name);
    m_slots[i] = (hash & ~std::uint64_t{0xFFFFFFFFu}) | (std::uint64_t{id} + 1);
    return id;
}

bool CPlayerNames::Find(std::string_view name, PlayerId& id) const
{
    if (m_slots.empty())
        return false;
    const std::uint64_t slot = m_slots[SlotOf(name, HashOf(name))];
    if (slot == 0)
        return false;
    id = static_cast<PlayerId>((slot & 0xFFFFFFFFu) - 1);
    return true;
}

void CPlayerNames::Clear()
{
    m_names.clear();
    m_slots.clear();
}

void CPlayerNames::Grow()
{
    std::vector<std::uint64_t> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? 64 : 2 * old.size(), 0);
    const std::size_t mask = m_slots.size() - 1;
    for (const std::uint64_t slot : old) {
        if (slot == 0)
            continue;
        // The hash's low half is gone; the name gives it again.
        const std::uint64_t hash = HashOf(m_names[(slot & 0xFFFFFFFFu) - 1]);
        std::size_t i = static_cast<std::size_t>(hash) & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}
