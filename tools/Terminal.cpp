// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Terminal.h"

#include "model/Encoding.h"

namespace {

constexpr std::size_t kQuotedCharacters = 200;

void AppendEscape(std::string& out, unsigned char code)
{
    const char* const hex = "0123456789abcdef";
    out += "\\x";
    out += hex[code >> 4];
    out += hex[code & 0xF];
}

// The length of the UTF-8 sequence that starts at `i`, or 0 when the bytes there are none.
std::size_t SequenceLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    return length != 0 && i + length <= text.size() && IsValidUtf8(text.substr(i, length)) ? length : 0;
}

} // namespace

std::string TerminalText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F)
                AppendEscape(out, byte);
            else
                out += utf8[i];
            continue;
        }
        // A byte that is no part of a character (from a command-line argument, say) could still
        // act as a control on an 8-bit terminal; C1 controls are U+0080..U+009F, C2 80..C2 9F.
        const std::size_t length = SequenceLength(utf8, i);
        if (length == 0) {
            AppendEscape(out, byte);
        } else if (byte == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            AppendEscape(out, static_cast<unsigned char>(utf8[++i]));
        } else {
            out.append(utf8.substr(i, length));
            i += length - 1;
        }
    }
    return out;
}

std::string QuotedLine(std::string_view line, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return line.size() <= kQuotedCharacters ? std::string(line)
                                                : std::string(line.substr(0, kQuotedCharacters)) + "\x85";
    // Counts code points: the cut falls before the lead byte of the 201st.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++characters > kQuotedCharacters)
            return std::string(line.substr(0, i)) + "\xE2\x80\xA6";
    }
    return std::string(line);
}

int CTerminalMessages::sync()
{
    // Flushed at line ends only, so no UTF-8 character is cut in two.
    m_to << TerminalText(view());
    str({});
    return m_to.flush() ? 0 : -1;
}
