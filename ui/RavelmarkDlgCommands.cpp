// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: the round commands, "Skapa Tabell" and the close request.
#include "ui/RavelmarkDlg.h"

#include "model/Text.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/RoundDlg.h"

#include <QPushButton>

void CRavelmarkDlg::OnNewRound()
{
    CRound round;
    NormalizeName(round.m_name);
    CRoundDlg editor(round, SIZE_MAX, m_playerNames, m_text, m_platform, this);
    editor.DoModal();
    // The editor lets an unnamed round go only when it has no results: nothing to keep.
    if (round.m_name.empty())
        return;
    m_doc.AddRound(std::move(round));
    FillRoundList();
}

void CRavelmarkDlg::OnEditRound()
{
    const int index = m_listRounds->GetSelectionMark();
    const auto& rounds = m_doc.Tournament().m_rounds;
    if (index < 0 || static_cast<std::size_t>(index) >= rounds.size())
        return;
    // The editor works on a copy, which takes the stored round's place when the editor is done;
    // nothing else can touch the rounds meanwhile.
    CRound round = rounds[static_cast<std::size_t>(index)];
    CRoundDlg editor(round, static_cast<std::size_t>(index), m_playerNames, m_text, m_platform, this);
    editor.DoModal();
    if (editor.m_changed)
        m_doc.ReplaceRound(static_cast<std::size_t>(index), std::move(round));
    FillRoundList();
}

void CRavelmarkDlg::OnRemoveRound()
{
    const int index = m_listRounds->GetSelectionMark();
    if (index < 0 || static_cast<std::size_t>(index) >= m_doc.Tournament().m_rounds.size())
        return;
    const QString question = QStringLiteral("Vill du ta bort omgång ") + m_listRounds->GetItemText(index, 0) +
                             QStringLiteral(" ?");
    if (!m_platform.Question(this, question, QStringLiteral("Ta bort omgång")))
        return;
    m_doc.RemoveRound(static_cast<std::size_t>(index));
    FillRoundList();
}

void CRavelmarkDlg::OnCreateTable()
{
    QString path;
    // A page that could not be written whole is not worth showing.
    if (ShowResult(m_doc.WritePage(path)))
        OpenReport(path);
}

void CRavelmarkDlg::OpenReport(const QString& path)
{
    m_platform.OpenReport(path);
}

bool CRavelmarkDlg::SaveTournament()
{
    // Only the stored title is trimmed; the field goes on showing what was typed.
    const CFileResult result = m_doc.Save();
    const bool saved = ShowResult(result);
    if (result.m_kind == CFileResult::Refused)
        m_editTitle->setFocus();
    return saved;
}

void CRavelmarkDlg::OnClose()
{
    if (!m_doc.Changed()) {
        EndDialog(IDCANCEL);
        return;
    }
    // A failed save keeps the window and the changes, so the user can mend the cause and close
    // again; the old file is still complete under its own name.
    if (SaveTournament())
        EndDialog(IDCANCEL);
}
