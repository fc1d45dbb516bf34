#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CTournament;
class QDateTime;
class QString;

// Runs ravelmark-tool with its arguments (without the program name); returns the exit code:
// 0 done, 1 refused or failed, 2 usage error.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Saves `tournament` over `path` as the window's close request does: the title trimmed and
// refused when empty, then the all-or-nothing save with the backup named from
// `lastModified`, names padded to `width`. Returns 0, or 1 with the message on `err`.
int SaveTournament(CTournament& tournament, int width, const QString& path, const QDateTime& lastModified,
                   std::ostream& err);
