#pragma once

#include <string>
#include <string_view>

// The one output both file writers (tournament and page) write through: each call is one
// whole line, without its line end; the implementation adds the line end.
class CLineOutput
{
public:
    virtual void WriteLine(const std::string& line) = 0;
    // Several whole lines at once, each ended by '\n' (which stands for the line end); an
    // output that buffers anyway takes them without a call per line.
    virtual void WriteLines(std::string_view lines)
    {
        std::string line;
        for (std::size_t pos = 0, end; pos < lines.size(); pos = end + 1) {
            end = lines.find('\n', pos);
            line.assign(lines.substr(pos, end - pos));
            WriteLine(line);
        }
    }

protected:
    CLineOutput() = default;
    CLineOutput(const CLineOutput&) = default;
    CLineOutput& operator=(const CLineOutput&) = default;
    // Never deleted through this interface.
    ~CLineOutput() = default;
};
