// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// The one output both file writers (tournament and page) write through: each call is one
// whole line, without its line end; the implementation adds the line end.
class CLineOutput
{
public:
    virtual void WriteLine(const std::string& line) = 0;
    // Several whole lines at once, each ended by CR LF as the file holds it; an output that
    // buffers anyway takes them as they are, without a call or a search per line.
    virtual void WriteText(std::string_view text)
    {
        std::string line;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t end = std::min(text.find("\r\n", pos), text.size());
            line.assign(text.substr(pos, end - pos));
            WriteLine(line);
            pos = end + 2;
        }
    }

protected:
    CLineOutput() = default;
    CLineOutput(const CLineOutput&) = default;
    CLineOutput& operator=(const CLineOutput&) = default;
    // Never deleted through this interface.
    ~CLineOutput() = default;
};
