// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TextEntry.h"

#include "model/Encoding.h"
#include "model/TournamentEncoding.h"
#include "ui/Platform.h"
#include "ui/UndoSteps.h"

#include <QApplication>
#include <QUndoStack>

CTextEntry::CTextEntry(CTournamentDoc& doc, CPlatform& platform)
    : m_doc(doc)
    , m_platform(platform)
{
}

QString CTextEntry::ToDisplay(std::string_view bytes) const
{
    return ToQString(bytes, m_doc.Encoding());
}

bool CTextEntry::FromDisplay(QWidget* owner, const QString& text, std::string& bytes, CRound* editing,
                             std::size_t replaces)
{
    const std::u16string utf16 = text.toStdU16String();
    // Text for the editor's round name replaces that name: the name stored so far does not count.
    const bool renaming = editing && &bytes == &editing->m_name;
    if (!FitsEncoding(utf16, m_doc.Encoding()) && !ConvertToUtf8(owner, editing, replaces, renaming))
        return false;
    bytes = FromUtf16(utf16, m_doc.Encoding());
    return true;
}

bool CTextEntry::ConvertToUtf8(QWidget* owner, CRound* editing, std::size_t replaces, bool renaming)
{
    if (m_doc.Encoding() == TextEncoding::Utf8 || m_doc.Utf8Refused()) {
        // Nothing to gain from UTF-8 (a lone surrogate), or the user said no already.
        QApplication::beep();
        return false;
    }
    // Plain ASCII is already UTF-8: nothing to ask, nothing to convert, no mark needed. The
    // round in the editor counts with its name as typed, not as stored; a name being typed over
    // counts as the new text alone.
    const bool ascii = IsAscii(m_doc.Tournament(), replaces) && (!editing || renaming || IsAscii(editing->m_name));
    if (!ascii &&
        !m_platform.Question(owner,
                             QStringLiteral("Filen är sparad i Windows-1252, som inte kan lagra alla tecken du "
                                            "skrev. Spara turneringen som UTF-8?"),
                             QStringLiteral("Spara som UTF-8"))) {
        m_doc.RefuseUtf8();
        return false;
    }
    if (m_undo)
        m_undo->push(new CConvertStep(m_doc, !ascii));
    else
        m_doc.ConvertToUtf8(!ascii);
    // Its results name players of the tournament, converted already.
    if (editing)
        editing->m_name = ToUtf8(editing->m_name, TextEncoding::Windows1252);
    return true;
}
