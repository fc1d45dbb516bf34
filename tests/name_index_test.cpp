#include "NameIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

// Rounds of very different sizes, with names drawn from a small set so that most lookups
// find a name already there; every answer must match a plain map of first positions.
TEST(NameIndex, MatchesAMapAcrossRoundsOfAnySize)
{
    const std::size_t roundSizes[] = {0, 1, 5, 20000, 3, 0, 700, 1, 40000, 2};
    CNameIndex index;
    std::uint32_t random = 12345;
    for (const std::size_t size : roundSizes) {
        index.Clear();
        std::vector<std::string> names;
        std::map<std::string, std::size_t> expected;
        for (std::size_t k = 0; k < size; ++k) {
            random = random * 1664525u + 1013904223u;
            // Empty names, names differing in case, and long names beyond the short-string buffer.
            std::string name = (random >> 28) == 0 ? std::string() : "Spelare " + std::to_string(random % (size + 1));
            if ((random >> 27) & 1)
                name += " med ett mycket l\xE5ngt efternamn";
            if (!name.empty() && ((random >> 26) & 1))
                name[0] = 's';
            const auto [position, added] =
                index.FindOrAdd(name, names.size(), [&](std::size_t i) -> const std::string& { return names[i]; });
            const auto [it, inserted] = expected.try_emplace(name, names.size());
            ASSERT_EQ(added, inserted) << name;
            ASSERT_EQ(position, it->second) << name;
            if (added)
                names.push_back(name);
        }
    }
}

} // namespace
