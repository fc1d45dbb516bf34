// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Encoding.h"

#include <string>
#include <string_view>

// Appends `text` to `out` as HTML shows it as text: '&', '<', '>' and '"' become character
// references, every other byte stays as it is (so either encoding passes through whole).
void AppendHtmlText(std::string& out, std::string_view text);

// `text` as AppendHtmlText writes it.
std::string HtmlText(std::string_view text);

// A built-in text of the page (Windows-1252) in the page's encoding, which is the tournament's.
std::string PageText(std::string_view windows1252, TextEncoding encoding);
