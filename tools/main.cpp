// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Tool.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A large tournament is held in a few big, growing vectors. Kept in one heap backed by huge
// pages, they cost a fraction of the page faults and TLB misses that fresh 4 KiB pages
// do; the kernel still gives pages only where they are touched. Only a hint: where huge
// pages are off, nothing changes.
void PrepareHeap()
{
    constexpr std::size_t kHuge = 2 << 20;
    constexpr std::size_t kReserve = 64 << 20;
    // Big blocks from the heap rather than each from a fresh mapping, and freed ones kept for reuse.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);
    mallopt(M_TOP_PAD, static_cast<int>(kReserve));
    const auto start = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile grow = std::malloc(kHuge); // kept, or the pair is optimised away
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    if (end > first)
        // NOLINTNEXTLINE(performance-no-int-to-ptr): an address of the heap, rounded up to a huge page
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    std::free(grow);
}

} // namespace

int main(int argc, char* argv[])
{
    PrepareHeap();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = RunTool(args, std::cout, std::cerr);
    // Output lost on a full disk must not pass for success.
    if (!std::cout.flush()) {
        std::cerr << "ravelmark-tool: kan inte skriva till standardutmatningen\n";
        return 1;
    }
    return code;
}
