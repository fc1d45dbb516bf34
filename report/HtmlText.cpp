// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/HtmlText.h"

void AppendHtmlText(std::string& out, std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view reference;
        switch (text[i]) {
        case '&':
            reference = "&amp;";
            break;
        case '<':
            reference = "&lt;";
            break;
        case '>':
            reference = "&gt;";
            break;
        case '"':
            reference = "&quot;";
            break;
        default:
            continue;
        }
        out.append(text, start, i - start).append(reference);
        start = i + 1;
    }
    out.append(text, start);
}

std::string HtmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendHtmlText(out, text);
    return out;
}

std::string PageText(std::string_view windows1252, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? ToUtf8(windows1252, TextEncoding::Windows1252) : std::string(windows1252);
}
