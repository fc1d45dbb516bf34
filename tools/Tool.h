// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Runs ravelmark-tool with its arguments (without the program name); returns the exit code:
// 0 done, 1 refused or failed, 2 usage error.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
