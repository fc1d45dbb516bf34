#pragma once

#include "Tournament.h"

#include <string>
#include <string_view>

// Reads a whole tournament file (its bytes as they are on disk) into `tournament`, which the
// caller has cleared. Decides the file's encoding and drops a UTF-8 byte-order mark first.
// Lines end at LF (a CR right before it goes with it; a last line without LF still counts);
// tabs count as blanks and each line is trimmed. On the first refused line returns false with
// the reader's message in `message`, and `line`/`lineNo` naming that line (`lineNo` 0 when no
// line was read); the round in progress is dropped, the complete rounds before it stay.
bool ParseTournament(std::string_view fileText, CTournament& tournament, std::string& line, int& lineNo,
                     std::string& message);

// The prefix that names a refused line in the reader's message: "Rad %d : \"%s\"\n";
// empty when `lineNo` is 0.
std::string LinePrefix(int lineNo, const std::string& line);
