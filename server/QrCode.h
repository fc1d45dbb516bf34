// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// A QR code's modules, row by row, without the quiet zone around them.
struct CQrCode
{
    int m_size = 0;
    std::vector<bool> m_dark;

    bool Dark(int x, int y) const { return m_dark[static_cast<std::size_t>(y * m_size + x)]; }
};

// The QR code of `text` (libqrencode, error correction M, the smallest version that holds it);
// empty (size 0) when it cannot be made.
CQrCode MakeQrCode(const std::string& text);
