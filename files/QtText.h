// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <QString>

#include <string>
#include <string_view>

// Text crosses into Qt here: the model's bytes in the tournament's encoding, and the
// program's own messages, which are Windows-1252. Every byte comes back as it was; a typed
// character the encoding cannot hold becomes '?'.
QString ToQString(std::string_view bytes, TextEncoding encoding);
std::string FromQString(const QString& text, TextEncoding encoding);
QString BuiltInText(std::string_view windows1252);
