// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Appends `value` in decimal, as "%lld" gives it.
void AppendNumber(std::string& out, std::int64_t value);

// Removes leading, then trailing whitespace (0x20 and 0x09-0x0D) in place; bytes >= 0x80 never count.
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
