// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Text.h"

#include <charconv>
#include <climits>
#include <cstdio>

void TrimSpaces(std::string& text)
{
    const std::string_view kept = Trimmed(text);
    const auto begin = static_cast<std::size_t>(kept.data() - text.data());
    text.erase(begin + kept.size());
    text.erase(0, begin);
}

void NormalizeName(std::string& name)
{
    for (char& c : name) {
        if (c == '-' || c == '_')
            c = ' ';
    }
    // One pass: each "  " found becomes " ", and the search goes on after the blank kept.
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        out.push_back(name[i]);
        if (name[i] == ' ' && i + 1 < name.size() && name[i + 1] == ' ')
            ++i;
    }
    name.swap(out);
    TrimSpaces(name);
}

bool IsInteger(std::string_view text, int& value)
{
    value = 0;
    if (text.empty())
        return false;
    long long accumulated = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            value = 0;
            return false;
        }
        accumulated = accumulated * 10 + (c - '0');
        // Larger values would be saved as negative points that no reader accepts.
        if (accumulated > INT_MAX) {
            value = 0;
            return false;
        }
    }
    value = static_cast<int>(accumulated);
    return true;
}

void ChangeExtension(std::string& path, const std::string& newEnding)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= nameStart)
        path.erase(dot);
    path += newEnding;
}

std::string BackupEnding(int year, int month, int day, int hour, int minute, int second)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "_%02d%02d%02d_%02d%02d%02d.bak", year % 100, month, day, hour, minute,
                  second);
    return buffer;
}

void AppendNumber(std::string& out, std::int64_t value)
{
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}
