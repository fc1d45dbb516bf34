// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's undo: the keys, what the window shows after a step, and the two steps that
// put a whole tournament in place (the file read again, a version brought back).
#include "ui/RavelmarkDlg.h"

#include "files/TournamentFile.h"
#include "model/Difference.h"
#include "ui/Controls.h"
#include "ui/UndoSteps.h"

#include <QFileInfo>
#include <QPushButton>

void CRavelmarkDlg::SetUpUndo()
{
    m_undoKeys = new CUndoKeys(this, m_undo, {m_editTitle});
    m_text.SetUndoStack(&m_undo);
    connect(&m_doc, &CTournamentDoc::roundsChanged, this, [this] { m_roundsStale = true; });
    connect(&m_undo, &QUndoStack::indexChanged, this, &CRavelmarkDlg::OnUndoStep);
    // A change made outside the steps (unsaved work brought back, say) leaves nothing for undo to
    // reach that is as on disk: the close must save. Looked at once the change is done.
    connect(
        &m_doc, &CTournamentDoc::changedFlagChanged, this,
        [this](bool changed) {
            if (changed && m_shown && m_doc.Changed() && m_undo.isClean())
                m_undo.resetClean();
        },
        Qt::QueuedConnection);
    // Back where the file was read or saved: nothing to save. Only the flag: the save trims the
    // stored title, but the field goes on showing what was typed.
    connect(&m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (m_shown && clean)
            m_doc.ClearChanged();
    });
    m_btnHistory->setToolTip(QStringLiteral("Ångra (Ctrl+Z) och gör om ändringar, se och återställ sparade versioner"));
}

void CRavelmarkDlg::OnUndoStep()
{
    if (!m_shown)
        return;
    // Away from where the file was read or saved (back there, the clean state clears the flag).
    if (!m_undo.isClean())
        m_doc.MarkChanged();
    const QString title = ToDisplay(m_doc.Tournament().m_title);
    if (m_editTitle->text() != title)
        m_editTitle->Restore(title);
    // Typing in the title keeps the round list and its selection as they are.
    if (m_roundsStale)
        FillRoundList();
    m_roundsStale = false;
}

void CRavelmarkDlg::ReloadTournament()
{
    // As "Välj Turnering" reads a file, but what the window showed stays a step back.
    CTournament shown = m_doc.Tournament();
    const QString path = m_doc.Path();
    ResetTournament();
    UpdateTitle();
    OpenTournament(path);
    if (!m_shown)
        return;
    m_undo.push(new CSwapStep(m_doc, std::move(shown), QStringLiteral("Läs in filen igen"), true));
    m_undo.setClean();
}

bool CRavelmarkDlg::RestoreVersion(const QString& path)
{
    CLoadedTournament loaded;
    if (!ShowResult(LoadTournamentFile(path, loaded)))
        return false;
    // A version that reads as the window's tournament changes nothing: no step, nothing to save.
    const CTournament& shown = m_doc.Tournament();
    if (loaded.m_tournament.m_encoding == shown.m_encoding &&
        loaded.m_tournament.m_byteOrderMark == shown.m_byteOrderMark && Differences(shown, loaded.m_tournament).empty())
        return true;
    m_undo.push(new CSwapStep(m_doc, std::move(loaded.m_tournament),
                              QStringLiteral("Återställ ") + QFileInfo(path).fileName(), false));
    return true;
}
