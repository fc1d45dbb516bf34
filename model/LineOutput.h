#pragma once

#include <string>

// The one output both file writers (tournament and page) write through: each call is one
// whole line, without its line end; the implementation adds the line end.
class CLineOutput
{
public:
    virtual void WriteLine(const std::string& line) = 0;

protected:
    CLineOutput() = default;
    CLineOutput(const CLineOutput&) = default;
    CLineOutput& operator=(const CLineOutput&) = default;
    // Never deleted through this interface.
    ~CLineOutput() = default;
};
