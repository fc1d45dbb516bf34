// The main window's commands: the round commands, "Skapa Tabell" and the close request.
#include "RavelmarkDlg.h"

#include "Controls.h"
#include "FileError.h"
#include "Messages.h"
#include "Platform.h"
#include "RoundDlg.h"
#include "Text.h"

#include <QPushButton>

#include <algorithm>

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
    const std::size_t last = m_tournament.m_rounds.size() - 1;
    CRound& added = m_tournament.m_rounds[last];
    added.m_bestPoints = 0;
    for (const CResult& result : added.m_results) {
        m_standings.AddResult(static_cast<int>(last), result.m_player, result.m_points);
        added.m_bestPoints = std::max(added.m_bestPoints, result.m_points);
    }
    m_playerNames.Update();
    m_changed = true;
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
}

void CRavelmarkDlg::OnCreateTable()
{
    QString path;
    if (!ReportPath(m_filePath, path) || !m_outFile.Create(path, CTextFileWriter::Mode::Replace)) {
        ShowError(BuiltInText(msg::kCannotCreate) + path);
        return;
    }
    m_reportPath = m_outFile.FilePath();
    m_standings.BuildRanking();
    m_standings.WriteHtml(*this, m_tournament);
    CFileError error;
    if (!m_outFile.Close(error)) {
        // A page cut short is not worth showing.
        m_platform.ReportFileError(this, error);
        return;
    }
    OpenReport(m_reportPath);
}

void CRavelmarkDlg::OpenReport(const QString& path)
{
    m_platform.OpenReport(path);
}

bool CRavelmarkDlg::SaveTournament()
{
    const int width = m_standings.LongestNameLength(m_tournament);
    CFileError error;
    const SaveStatus status = SaveTournamentFile(
        m_outFile, m_filePath, m_fileStatus, [&] { m_tournament.Write(*this, width); }, error);
    switch (status) {
    case SaveStatus::Saved:
        return true;
    case SaveStatus::CannotCreate:
        ShowError(BuiltInText(msg::kCannotCreate) + m_filePath);
        return false;
    case SaveStatus::Failed:
        m_platform.ReportFileError(this, error);
        return false;
    }
    return false;
}

void CRavelmarkDlg::OnClose()
{
    if (!m_changed) {
        EndDialog(IDCANCEL);
        return;
    }
    // Only the stored title is trimmed; the field goes on showing what was typed.
    TrimSpaces(m_tournament.m_title);
    if (m_tournament.m_title.empty()) {
        ShowError(BuiltInText(msg::kEmptyTournamentName));
        m_editTitle->setFocus();
        return;
    }
    // A failed save keeps the window and m_changed, so the user can mend the cause and close
    // again; the old file is still complete under its own name.
    if (SaveTournament())
        EndDialog(IDCANCEL);
}
