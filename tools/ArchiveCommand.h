// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `archive DIR [--out FOLDER]`: the club's archive of every season in DIR as a static site in
// FOLDER (DIR/arkiv when not given); `archive --check DIR` lists names alike across the seasons
// instead. The exit code: 0 made (a refused season is listed and left out), 1 not, 2 a usage error.
int ArchiveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
