// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

// Appends `value` in decimal, as "%lld" gives it.
void AppendNumber(std::string& out, std::int64_t value);

// Whitespace: 0x20 and 0x09-0x0D; bytes >= 0x80 never count.
inline bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text without whitespace at its ends.
inline std::string_view Trimmed(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Whether `text` holds a byte the tournament file cannot keep inside a name, a round name or the
// title: a control character (below 0x20: tab and line breaks too) or DEL.
inline bool HoldsControl(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Removes leading, then trailing whitespace in place.
void TrimSpaces(std::string& text);

// Cleans a round name in place: '-' and '_' become blanks, each pair of blanks met in one
// left-to-right pass becomes one blank (so n blanks give ceil(n/2)), then TrimSpaces.
void NormalizeName(std::string& name);

// The points test: true for one or more ASCII digits whose value fits in 0..2147483647,
// with the value in `value`; otherwise false and `value` 0.
bool IsInteger(std::string_view text, int& value);

// Replaces the extension of the file-name part of `path` (from its last '.') by `newEnding`;
// a file name without '.' gets `newEnding` appended. Folder names are never cut.
void ChangeExtension(std::string& path, const std::string& newEnding);

// The ending of a backup file name for a last-modification time given in local time:
// "_YYMMDD_hhmmss.bak", year modulo 100.
std::string BackupEnding(int year, int month, int day, int hour, int minute, int second);

// Calls `take` with each line of a small UTF-8 file beside the tournament (without its LF, or
// CR LF) and its 1-based number, after a byte-order mark at the start; stops when `take`
// returns false, and returns whether it went to the end.
template <typename Take>
bool ForEachSidecarLine(std::string_view text, Take take)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    int lineNo = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        // Every CR at a line's end goes, not only a CR LF's: a lone one could not be written
        // back, as the file's line ends are LF.
        while (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!take(line, ++lineNo))
            return false;
        pos = end + 1;
    }
    return true;
}
