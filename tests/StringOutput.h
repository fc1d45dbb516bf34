#pragma once

#include "LineOutput.h"

#include <string>
#include <vector>

// Collects the lines a writer produces, for comparing them literally.
class CStringOutput final : public CLineOutput
{
public:
    void WriteLine(const std::string& line) override { m_lines.push_back(line); }

    // The lines as a file holds them, each ending with CR LF.
    std::string Text() const
    {
        std::string text;
        for (const std::string& line : m_lines)
            text += line + "\r\n";
        return text;
    }

    std::vector<std::string> m_lines;
};
