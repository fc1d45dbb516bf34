// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

// `publish FILE`: puts the standings page of FILE and its stylesheet on the target `to` (an
// address or a folder; empty: the one the window keeps for FILE), checks them there and, with
// `web`, at the public address. With `watch`, publishes again as FILE changes on disk until
// SIGINT or SIGTERM. The exit code: 0 published and checked (or ended by the signal), 1 not,
// 2 for a `to` that is no target.
int PublishCommand(const std::string& file, const std::string& to, const std::string& web, bool watch,
                   std::ostream& out, std::ostream& err);
