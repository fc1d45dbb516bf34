// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: the round commands, "Skapa Tabell" and the close request.
#include "ui/RavelmarkDlg.h"

#include "model/Text.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/RoundDlg.h"
#include "ui/UndoSteps.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QPushButton>

void CRavelmarkDlg::OnNewRound()
{
    CRound round;
    NormalizeName(round.m_name);
    CRoundDlg editor(round, SIZE_MAX, m_playerNames, m_text, m_platform, this);
    FollowEditor(editor, round, SIZE_MAX);
    editor.DoModal();
    // The editor lets an unnamed round go only when it has no results: nothing to keep.
    if (round.m_name.empty())
        return;
    const QString step = QStringLiteral("Ny omgång ") + ToDisplay(round.m_name);
    m_undo.push(new CAddRoundStep(m_doc, std::move(round), step));
    FillRoundList();
    SelectRound(m_listRounds->GetItemCount() - 1);
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
    FollowEditor(editor, round, static_cast<std::size_t>(index));
    editor.DoModal();
    // A round closed as it was is no change: no step, nothing to save.
    const CRound& stored = rounds[static_cast<std::size_t>(index)];
    if (editor.m_changed && (round.m_name != stored.m_name || round.m_results != stored.m_results)) {
        const QString step = QStringLiteral("Redigera omgång ") + ToDisplay(round.m_name);
        m_undo.push(new CEditRoundStep(m_doc, static_cast<std::size_t>(index), std::move(round), step));
    }
    FillRoundList();
    SelectRound(index);
}

void CRavelmarkDlg::OnRemoveRound()
{
    const int index = m_listRounds->GetSelectionMark();
    if (index < 0 || static_cast<std::size_t>(index) >= m_doc.Tournament().m_rounds.size())
        return;
    const QString question =
        QStringLiteral("Vill du ta bort omgång ") + m_listRounds->GetItemText(index, 0) + QStringLiteral(" ?");
    if (!m_platform.Question(this, question, QStringLiteral("Ta bort omgång")))
        return;
    m_undo.push(new CRemoveRoundStep(m_doc, static_cast<std::size_t>(index),
                                     QStringLiteral("Ta bort omgång ") + m_listRounds->GetItemText(index, 0)));
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
    // Another program's version of the file is replaced only when the user says so; a title
    // that is refused anyway asks nothing.
    const QString name = QFileInfo(m_doc.Path()).fileName();
    const CTournamentDoc::DiskState disk =
        Trimmed(m_doc.Tournament().m_title).empty() ? CTournamentDoc::DiskState::Same : m_doc.FileOnDisk();
    if (disk == CTournamentDoc::DiskState::Changed &&
        !m_platform.Question(
            this,
            QStringLiteral("Filen %1 har ändrats av ett annat program sedan den lästes in. Spara ändå? "
                           "Den ändrade filen sparas då som säkerhetskopia.")
                .arg(name),
            AppName()))
        return false;
    if (disk == CTournamentDoc::DiskState::Gone &&
        !m_platform.Question(this, QStringLiteral("Filen %1 finns inte längre. Spara turneringen där igen?").arg(name),
                             AppName()))
        return false;
    // Only the stored title is trimmed; the field goes on showing what was typed.
    const CFileResult result = m_doc.Save(disk == CTournamentDoc::DiskState::Gone);
    const bool saved = ShowResult(result);
    if (saved) {
        m_undo.setClean();
        // What is printed or copied from the page is what was saved; the save does not open it.
        ShowResult(m_doc.RefreshPage());
    }
    if (result.m_kind == CFileResult::Refused)
        m_editTitle->setFocus();
    return saved;
}

void CRavelmarkDlg::OnFileChangedOnDisk()
{
    // Unsaved changes stay in the window: the close request asks about the file.
    if (!m_shown || m_doc.Changed() || m_doc.FileOnDisk() != CTournamentDoc::DiskState::Changed)
        return;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        m_diskChangePending = true; // asked when the window is in front again
        return;
    }
    m_diskChangePending = false;
    CFileStatus now;
    if (ReadFileStatus(m_doc.Path(), now) && now == m_declined)
        return;
    const QString question = QStringLiteral("Filen %1 har ändrats av ett annat program. Läsa in den igen?")
                                 .arg(QFileInfo(m_doc.Path()).fileName());
    if (!m_platform.Question(this, question, AppName())) {
        // An editor may have gone on writing while the box was open: all of that was declined.
        ReadFileStatus(m_doc.Path(), m_declined);
        return;
    }
    ReloadTournament();
}

void CRavelmarkDlg::changeEvent(QEvent* event)
{
    CDialogBase::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_diskChangePending)
        OnFileChangedOnDisk();
}

void CRavelmarkDlg::OnClose()
{
    // A failed save keeps the window and the changes, so the user can mend the cause and close
    // again; the old file is still complete under its own name.
    if (m_doc.Changed() && !SaveTournament())
        return;
    FinishPublishing();
    EndDialog(IDCANCEL);
}
