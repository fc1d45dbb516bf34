// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Appends `field` as a CSV field (RFC 4180): quoted where it holds the separator, a quote or a line end.
void AppendCsvField(std::string& out, std::string_view field, char separator);
// Appends `text` (UTF-8) as a JSON string, control characters escaped.
void AppendJsonString(std::string& out, std::string_view text);
