// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Encoding.h"

#include <array>
#include <utility>

namespace {

// 0x80-0x9F of Windows-1252; the undefined five keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t DecodeUtf8(std::string_view bytes, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1Fu, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0Fu, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07u, min = 0x10000;
    } else {
        ++i;
        return 0xFFFFFFFF;
    }
    if (bytes.size() - i <= static_cast<std::size_t>(extra)) {
        ++i;
        return 0xFFFFFFFF;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFFFFFF;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFFFFFF;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char16_t FromWindows1252(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80u];
    return byte;
}

char ToWindows1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] == cp)
            return static_cast<char>(0x80 + k);
    }
    return '?';
}

// Walks UTF-16 code points; a lone surrogate yields 0xFFFFFFFF.
template <typename F>
void ForEachCodePoint(std::u16string_view text, F&& f)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            f(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            f(0xFFFFFFFF);
        } else {
            f(u);
        }
    }
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (DecodeUtf8(bytes, i) == 0xFFFFFFFF)
            return false;
    }
    return true;
}

std::u16string ToUtf16(std::string_view bytes, TextEncoding encoding)
{
    std::u16string out;
    out.reserve(bytes.size());
    if (encoding == TextEncoding::Windows1252) {
        for (char c : bytes)
            out.push_back(FromWindows1252(static_cast<unsigned char>(c)));
        return out;
    }
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = DecodeUtf8(bytes, i);
        if (cp == 0xFFFFFFFF)
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string FromUtf16(std::u16string_view text, TextEncoding encoding)
{
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t cp) {
        if (encoding == TextEncoding::Windows1252)
            out.push_back(cp == 0xFFFFFFFF ? '?' : ToWindows1252(cp));
        else if (cp == 0xFFFFFFFF)
            out.push_back('?');
        else
            AppendUtf8(out, cp);
    });
    return out;
}

std::string ToUtf8(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(c)));
    return out;
}

std::size_t TextLength(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return bytes.size();
    std::size_t count = 0;
    for (char c : bytes) {
        // Count every byte that does not continue a sequence.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

bool FitsEncoding(std::u16string_view text, TextEncoding encoding)
{
    bool fits = true;
    ForEachCodePoint(text, [&](char32_t cp) {
        if (cp == 0xFFFFFFFF || (encoding == TextEncoding::Windows1252 && ToWindows1252(cp) == '?' && cp != '?'))
            fits = false;
    });
    return fits;
}

bool IsAscii(std::string_view bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}
