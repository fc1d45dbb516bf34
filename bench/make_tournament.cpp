// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a large tournament file for the benchmark: ROUNDS rounds of PLAYERS results each,
// Windows-1252 names, CR LF line ends, in the layout the program itself saves. The output
// depends only on the arguments, so every machine times the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

// Windows-1252: å 0xE5, ä 0xE4, ö 0xF6, Å 0xC5, Ä 0xC4, Ö 0xD6, é 0xE9.
const char* const kFirstNames[] = {
    "\xC5sa", "\xD6rjan", "M\xE4rta", "Bj\xF6rn",  "G\xF6ran", "K\xE5re",  "J\xF6rgen", "Lena",
    "Per",    "Ingrid",   "Sven",     "Karin",     "Anders",   "Birgitta", "Mats",      "Ulla",
    "Stig",   "Agneta",   "Lars",     "Gunn\xE9l", "Tore",     "Elsa",     "H\xE5kan",  "Maja",
    "Nils",   "Ros\xE9",  "Olle",     "Siv",       "Kjell",    "Britt",    "Ture",      "\xC4lva",
};
// Laid out by hand: the split literals keep a hex escape from running into the next letter.
// clang-format off
const char* const kSurnames[] = {
    "Lindstr\xF6m", "\xC5" "berg",  "\xD6hman",       "B\xE4" "ckstr\xF6m", "Sj\xF6gren",     "Ekstr\xF6m",
    "H\xE5kansson", "Nystr\xF6m",   "Berg",           "Dahl",               "Holmqvist",      "L\xF6nn",
    "Sandstr\xF6m", "Wikstr\xF6m",  "\xC5str\xF6m",   "Bergstr\xF6m",       "Engstr\xF6m",    "Hedl\xF6v",
    "Str\xF6" "m",  "Sk\xF6ld",     "Fors",           "N\xE4slund",         "Hellstr\xF6m",   "Lundqvist",
    "Fr\xF6jd",     "Gr\xF6nlund",  "\xC4ng",         "Bl\xE5sj\xF6",       "M\xE5nsson",     "Sj\xF6" "berg",
    "Kvarnstr\xF6m", "Eriksson",
};
// clang-format on
constexpr std::size_t kFirstCount = std::size(kFirstNames);
constexpr std::size_t kSurnameCount = std::size(kSurnames);

// SplitMix64: tiny, fast and the same everywhere (unlike the standard distributions).
class CRandom
{
public:
    explicit CRandom(std::uint64_t seed)
        : m_state(seed)
    {
    }
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }

private:
    std::uint64_t m_state;
};

std::string PlayerName(std::size_t i)
{
    std::string name = kFirstNames[i % kFirstCount];
    name += ' ';
    name += kSurnames[(i / kFirstCount) % kSurnameCount];
    // Beyond the combinations, a number tells namesakes apart, as clubs do.
    if (const std::size_t lap = i / (kFirstCount * kSurnameCount); lap > 0)
        name += ' ' + std::to_string(lap + 1);
    return name;
}

bool ParseCount(const char* text, std::size_t& value)
{
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || parsed == 0 || parsed > 100'000'000)
        return false;
    value = static_cast<std::size_t>(parsed);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    std::size_t rounds = 0;
    std::size_t players = 0;
    if (argc != 4 || !ParseCount(argv[1], rounds) || !ParseCount(argv[2], players)) {
        std::cerr << "usage: make_tournament ROUNDS PLAYERS FILE\n"
                     "  writes ROUNDS x PLAYERS result lines; one player in eleven sits out each round\n";
        return 2;
    }
    std::ofstream file(argv[3], std::ios::binary);
    if (!file) {
        std::cerr << "make_tournament: cannot create " << argv[3] << '\n';
        return 1;
    }

    // A club larger than a round: everyone misses some rounds, so rows have gaps.
    const std::size_t clubSize = players + players / 10;
    std::vector<std::string> names;
    std::size_t width = 0;
    for (std::size_t i = 0; i < clubSize; ++i) {
        names.push_back(PlayerName(i));
        width = std::max(width, names.back().size());
    }

    CRandom random(20240601);
    std::vector<std::size_t> order(clubSize);
    for (std::size_t i = 0; i < clubSize; ++i)
        order[i] = i;

    std::string out = "Klubbserien " + std::to_string(rounds) + " omg\xE5ngar\r\n";
    out.reserve(1 << 22);
    for (std::size_t r = 0; r < rounds; ++r) {
        out += "\r\nOmg\xE5ng " + std::to_string(r + 1) + "\r\n";
        // Partial Fisher-Yates: the first `players` of the shuffled club play this round.
        for (std::size_t i = 0; i < players; ++i)
            std::swap(order[i], order[i + random.Below(clubSize - i)]);
        for (std::size_t i = 0; i < players; ++i) {
            const std::string& name = names[order[i]];
            out += name;
            out.append(width - name.size(), ' ');
            // Mostly 0-40 points, now and then a big score that widens the column.
            const std::size_t roll = random.Below(100);
            const std::size_t points = roll < 5 ? 100 + random.Below(900) : random.Below(41);
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, " %2zu\r\n", points);
            out += buffer;
        }
        if (out.size() >= (1 << 22)) {
            file.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    }
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    file.close();
    if (!file) {
        std::cerr << "make_tournament: cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
