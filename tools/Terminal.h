// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

// UTF-8 text as a terminal may show it: every control character but tab and line feed (the
// rest of C0, DEL, and C1 U+0080..U+009F), and every byte that is not part of a UTF-8
// character, becomes a visible escape such as "\x1b", so that no byte from a file or an
// argument can move the cursor, clear the screen or retitle the window.
std::string TerminalText(std::string_view utf8);

// A refused line as a message quotes it: at most 200 characters, a longer one cut and ended
// by "…" in the line's own encoding.
std::string QuotedLine(std::string_view line, TextEncoding encoding);

// Messages on their way to `to` as TerminalText, passed on at each flush (std::endl), so that a
// command that runs until stopped (serve, publish --watch) shows each one as it comes.
class CTerminalMessages final : public std::stringbuf
{
public:
    explicit CTerminalMessages(std::ostream& to)
        : m_to(to)
    {
    }

protected:
    int sync() override;

private:
    std::ostream& m_to;
};
