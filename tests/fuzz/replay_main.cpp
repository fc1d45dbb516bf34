// SPDX-License-Identifier: GPL-3.0-or-later
// Replays fuzz inputs without libFuzzer, so a kept seed stays fixed in every build: each file
// named, and each file in each folder named, goes once through the target; a failed check aborts.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::set<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!fs::is_directory(argv[i]))
            inputs.insert(argv[i]);
        else
            for (const fs::directory_entry& entry : fs::directory_iterator(argv[i]))
                inputs.insert(entry.path());
    }
    for (const fs::path& input : inputs) {
        std::fprintf(stderr, "%s\n", input.c_str()); // names the input a failed check stops at
        std::ifstream in(input, std::ios::binary);
        if (!in)
            return 1;
        std::ostringstream text;
        text << in.rdbuf();
        const std::string bytes = text.str();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return inputs.empty() ? 1 : 0; // a wrong folder must not pass as an empty run
}
