// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tools/Commands.h" // the steps the commands share

#include <iosfwd>
#include <string>
#include <vector>

// `import FIL --round NAME [FILE|-]`: results from a file or standard input into a round of
// FIL, read and matched as the round editor's "Klistra in resultat" does. The exit code.
int Import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
