#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

// Finds a name's position in a sequence that the caller keeps (the results of a round, the
// rows of the standings) without a linear search and without a copy of the name: the index
// maps the name's hash to its positions, and a hash match is confirmed on the name itself.
class CNameIndex
{
public:
    void Clear() { m_positions.clear(); }

    // The position of `name`, or, when it is not there, `next` recorded as its position.
    // `nameAt(position)` gives the name at a recorded position. The bool is true when added.
    template <typename NameAt>
    std::pair<std::size_t, bool> FindOrAdd(std::string_view name, std::size_t next, NameAt&& nameAt)
    {
        const std::size_t hash = std::hash<std::string_view>()(name);
        auto [it, end] = m_positions.equal_range(hash);
        for (; it != end; ++it) {
            if (std::string_view(nameAt(it->second)) == name)
                return {it->second, false};
        }
        m_positions.emplace(hash, next);
        return {next, true};
    }

private:
    std::unordered_multimap<std::size_t, std::size_t> m_positions;
};
