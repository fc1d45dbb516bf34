// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/QtText.h"

#include "model/Encoding.h"

QString ToQString(std::string_view bytes, TextEncoding encoding)
{
    return QString::fromStdU16String(ToUtf16(bytes, encoding));
}

std::string FromQString(const QString& text, TextEncoding encoding)
{
    return FromUtf16(text.toStdU16String(), encoding);
}

QString BuiltInText(std::string_view windows1252)
{
    return ToQString(windows1252, TextEncoding::Windows1252);
}
