// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/TournamentDoc.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CPlatform;
class QUndoStack;
class QWidget;

// Typed text on its way into the open tournament, stored exactly as typed: text its encoding
// cannot hold turns the tournament into UTF-8 rather than losing a character.
class CTextEntry
{
public:
    CTextEntry(CTournamentDoc& doc, CPlatform& platform);

    CTournamentDoc& Document() const { return m_doc; }
    TextEncoding Encoding() const { return m_doc.Encoding(); }
    QString ToDisplay(std::string_view bytes) const;

    // `text` in the tournament's encoding, into `bytes`. When the encoding cannot hold it, an
    // all-ASCII tournament becomes UTF-8 at once; any other asks the user, once per tournament.
    // `editing` is the round open in the editor, a copy that is converted too; it is to take the
    // place of round `replaces`, or to be added (SIZE_MAX). False when the text is refused:
    // `bytes` untouched, a beep when nobody was asked.
    bool FromDisplay(QWidget* owner, const QString& text, std::string& bytes, CRound* editing = nullptr,
                     std::size_t replaces = SIZE_MAX);

    // From now on a conversion is a step of `stack`, which can take it back.
    void SetUndoStack(QUndoStack* stack) { m_undo = stack; }

private:
    bool ConvertToUtf8(QWidget* owner, CRound* editing, std::size_t replaces, bool renaming);

    CTournamentDoc& m_doc;
    CPlatform& m_platform;
    QUndoStack* m_undo = nullptr;
};
