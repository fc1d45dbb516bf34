// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <QString>

#include <string>
#include <string_view>

class CPlatform;
class QWidget;

// Typed text on its way into the open tournament, stored exactly as typed: text its encoding
// cannot hold turns the tournament into UTF-8 rather than losing a character.
class CTextEntry
{
public:
    CTextEntry(CTournament& tournament, CPlatform& platform);

    CTournament& Tournament() const { return m_tournament; }
    TextEncoding Encoding() const { return m_tournament.m_encoding; }
    QString ToDisplay(std::string_view bytes) const;

    // `text` in the tournament's encoding, into `bytes`. When the encoding cannot hold it, an
    // all-ASCII tournament becomes UTF-8 at once; any other asks the user, once per tournament.
    // `editing` is the round open in the editor, converted too when it is not in the tournament
    // yet. False when the text is refused: `bytes` untouched, a beep when nobody was asked.
    bool FromDisplay(QWidget* owner, const QString& text, std::string& bytes, CRound* editing = nullptr);

    // Another tournament: ask again.
    void Reset() { m_refused = false; }

private:
    bool ConvertToUtf8(QWidget* owner, CRound* editing);

    CTournament& m_tournament;
    CPlatform& m_platform;
    bool m_refused = false;
};
