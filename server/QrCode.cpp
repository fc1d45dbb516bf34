// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/QrCode.h"

#include <qrencode.h>

CQrCode MakeQrCode(const std::string& text)
{
    CQrCode code;
    QRcode* made = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
    if (!made)
        return code;
    code.m_size = made->width;
    const std::size_t count = static_cast<std::size_t>(made->width) * static_cast<std::size_t>(made->width);
    code.m_dark.resize(count);
    // The lowest bit of each byte is the module's colour; the others describe its role.
    for (std::size_t i = 0; i < count; ++i)
        code.m_dark[i] = (made->data[i] & 1) != 0;
    QRcode_free(made);
    return code;
}
