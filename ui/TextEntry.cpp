// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TextEntry.h"

#include "model/Encoding.h"
#include "ui/Platform.h"

#include <QApplication>

#include <algorithm>

CTextEntry::CTextEntry(CTournament& tournament, CPlatform& platform)
    : m_tournament(tournament)
    , m_platform(platform)
{
}

QString CTextEntry::ToDisplay(std::string_view bytes) const
{
    return ToQString(bytes, m_tournament.m_encoding);
}

bool CTextEntry::FromDisplay(QWidget* owner, const QString& text, std::string& bytes, CRound* editing)
{
    const std::u16string utf16 = text.toStdU16String();
    if (!FitsEncoding(utf16, m_tournament.m_encoding) && !ConvertToUtf8(owner, editing))
        return false;
    bytes = FromUtf16(utf16, m_tournament.m_encoding);
    return true;
}

bool CTextEntry::ConvertToUtf8(QWidget* owner, CRound* editing)
{
    if (m_tournament.m_encoding == TextEncoding::Utf8 || m_refused) {
        // Nothing to gain from UTF-8 (a lone surrogate), or the user said no already.
        QApplication::beep();
        return false;
    }
    const auto& rounds = m_tournament.m_rounds;
    const bool pending = editing && std::none_of(rounds.begin(), rounds.end(),
                                                 [&](const CRound& round) { return &round == editing; });
    // Plain ASCII is already UTF-8: nothing to ask, nothing to convert, no mark needed.
    const bool ascii = IsAscii(m_tournament) && (!pending || IsAscii(editing->m_name));
    if (!ascii &&
        !m_platform.Question(owner,
                             QStringLiteral("Filen är sparad i Windows-1252, som inte kan lagra alla tecken du "
                                            "skrev. Spara turneringen som UTF-8?"),
                             QStringLiteral("Spara som UTF-8"))) {
        m_refused = true;
        return false;
    }
    ::ConvertToUtf8(m_tournament, !ascii);
    // Its results name players of the tournament, converted already.
    if (pending)
        editing->m_name = ToUtf8(editing->m_name, TextEncoding::Windows1252);
    return true;
}
