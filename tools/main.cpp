#include "tools/Tool.h"

#include <iostream>

int main(int argc, char* argv[])
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = RunTool(args, std::cout, std::cerr);
    // Output lost on a full disk must not pass for success.
    if (!std::cout.flush()) {
        std::cerr << "ravelmark-tool: cannot write to standard output\n";
        return 1;
    }
    return code;
}
