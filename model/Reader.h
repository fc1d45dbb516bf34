#pragma once

#include "Tournament.h"

#include <string>
#include <string_view>

// Splits file text into lines: a line ends at LF, a CR right before the LF is dropped with
// it, and a last line without LF is still a line. No length limit.
class CTextLines
{
public:
    explicit CTextLines(std::string_view text)
        : m_text(text)
    {
    }

    // The next line without its line end; false at the end of the text.
    bool Next(std::string_view& line);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Reads the next line into `line`, tabs turned into blanks and trimmed, and counts it in
// `lineNo`. False at the end of the text, with `line` empty and `lineNo` unchanged.
bool ReadLine(CTextLines& in, std::string& line, int& lineNo);

// Reads a whole tournament file (its bytes as they are on disk) into `tournament`, which the
// caller has cleared. Decides the file's encoding and drops a UTF-8 byte-order mark first.
// On the first refused line returns false with the reader's message in `message`, and
// `line`/`lineNo` naming that line (`lineNo` 0 when no line was read); the round in
// progress is dropped, the complete rounds before it stay.
bool ParseTournament(std::string_view fileText, CTournament& tournament, std::string& line, int& lineNo,
                     std::string& message);

// The prefix that names a refused line in the reader's message: "Rad %d : \"%s\"\n";
// empty when `lineNo` is 0.
std::string LinePrefix(int lineNo, const std::string& line);
