// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/FieldText.h"

void AppendCsvField(std::string& out, std::string_view field, char separator)
{
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (field.find_first_of(special) == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            constexpr std::string_view kShort = "btnvfr";
            if (byte >= '\b' && byte <= '\r' && byte != '\v') {
                out += '\\';
                out += kShort[byte - '\b'];
            } else {
                constexpr char kHex[] = "0123456789abcdef";
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            }
        } else {
            out += c;
        }
    }
    out += '"';
}
