// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How the tournament file's bytes are to be read as characters. Decided when the file is
// read; the model keeps bytes either way.
enum class TextEncoding { Windows1252, Utf8 };

// The UTF-8 byte-order mark.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsValidUtf8(std::string_view bytes);

// Bytes to UTF-16. Windows-1252 is lossless for every byte: the five bytes it leaves
// undefined map to the C1 controls of the same value, as Windows does.
std::u16string ToUtf16(std::string_view bytes, TextEncoding encoding);

// UTF-16 to bytes. A character Windows-1252 cannot hold becomes '?'; so does a lone surrogate.
std::string FromUtf16(std::u16string_view text, TextEncoding encoding);

// True when FromUtf16 keeps every character of `text`: a lone surrogate never fits, and
// Windows-1252 holds only its own 256 characters.
bool FitsEncoding(std::u16string_view text, TextEncoding encoding);

bool IsAscii(std::string_view bytes);

// Bytes to UTF-8, for terminals and the UTF-8 page.
std::string ToUtf8(std::string_view bytes, TextEncoding encoding);

// Length in characters: bytes for Windows-1252, code points for UTF-8.
std::size_t TextLength(std::string_view bytes, TextEncoding encoding);
