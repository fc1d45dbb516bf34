// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Appends `text` to `out` as HTML shows it as text: '&', '<', '>' and '"' become character
// references, every other byte stays as it is (so either encoding passes through whole).
void AppendHtmlText(std::string& out, std::string_view text);

// `text` as AppendHtmlText writes it.
std::string HtmlText(std::string_view text);
