// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: the round commands, "Skapa Tabell" and the close request.
#include "ui/RavelmarkDlg.h"

#include "model/Messages.h"
#include "model/Text.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/RoundDlg.h"

#include <QPushButton>


void CRavelmarkDlg::OnNewRound()
{
    CRound round;
    NormalizeName(round.m_name);
    CRoundDlg editor(round, m_playerNames, m_text, m_platform, this);
    editor.DoModal();
    // The editor lets an unnamed round go only when it has no results: nothing to keep.
    if (round.m_name.empty())
        return;
    m_tournament.AddRound(round);
    FillRoundList();
    // The last round only adds to what the others gave: no rebuild from the first round on.
    AddToStandings(m_standings, m_tournament.m_rounds.back(), static_cast<int>(m_tournament.m_rounds.size() - 1));
    m_playerNames.Update();
    m_changed = true;
    UpdateTitle();
}

void CRavelmarkDlg::OnEditRound()
{
    const int index = m_listRounds->GetSelectionMark();
    if (index < 0 || static_cast<std::size_t>(index) >= m_tournament.m_rounds.size())
        return;
    // The editor changes the stored round in place; nothing else can touch m_rounds meanwhile.
    CRoundDlg editor(m_tournament.m_rounds[static_cast<std::size_t>(index)], m_playerNames, m_text, m_platform, this);
    editor.DoModal();
    FillRoundList();
    // The standings hang on the results alone, not on the round's name.
    if (editor.ResultsChanged())
        RebuildStandings();
    m_changed = m_changed || editor.m_changed;
    UpdateTitle();
}

void CRavelmarkDlg::OnRemoveRound()
{
    const int index = m_listRounds->GetSelectionMark();
    if (index < 0 || static_cast<std::size_t>(index) >= m_tournament.m_rounds.size())
        return;
    const QString question = QStringLiteral("Vill du ta bort omgång ") + m_listRounds->GetItemText(index, 0) +
                             QStringLiteral(" ?");
    if (!m_platform.Question(this, question, QStringLiteral("Ta bort omgång")))
        return;
    m_tournament.m_rounds.erase(m_tournament.m_rounds.begin() + index);
    FillRoundList();
    RebuildStandings();
    m_changed = true;
    UpdateTitle();
}

void CRavelmarkDlg::OnCreateTable()
{
    QString path;
    // A page that could not be written whole is not worth showing.
    m_standings.BuildRanking();
    if (!ShowResult(WriteStandingsPage(m_filePath, CStandingsView(m_tournament, m_standings), path)))
        return;
    m_reportPath = path;
    OpenReport(m_reportPath);
}

void CRavelmarkDlg::OpenReport(const QString& path)
{
    m_platform.OpenReport(path);
}

bool CRavelmarkDlg::SaveTournament()
{
    // Only the stored title is trimmed; the field goes on showing what was typed.
    const CFileResult result = SaveTournamentFile(m_tournament, m_filePath, m_fileStatus);
    const bool saved = ShowResult(result);
    if (result.m_kind == CFileResult::Refused)
        m_editTitle->setFocus();
    return saved;
}

void CRavelmarkDlg::OnClose()
{
    if (!m_changed) {
        EndDialog(IDCANCEL);
        return;
    }
    // A failed save keeps the window and m_changed, so the user can mend the cause and close
    // again; the old file is still complete under its own name.
    if (SaveTournament())
        EndDialog(IDCANCEL);
}
