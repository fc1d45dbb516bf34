// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's undo: the keys, what the window shows after a step, and the two steps that
// put a whole tournament in place (the file read again, a version brought back).
#include "ui/RavelmarkDlg.h"

#include "files/QtText.h"
#include "files/TournamentFile.h"
#include "model/Difference.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/PlayersDlg.h"
#include "ui/UndoSteps.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <algorithm>
#include <tuple>

namespace {

// Whether two rounds of two tournaments hold the same results (names as text, points), in order.
bool SameResults(const CTournament& a, const CRound& ra, const CTournament& b, const CRound& rb)
{
    return std::equal(ra.m_results.begin(), ra.m_results.end(), rb.m_results.begin(), rb.m_results.end(),
                      [&](const CResult& x, const CResult& y) {
                          return x.m_points == y.m_points &&
                                 ToUtf8(a.PlayerName(x), a.m_encoding) == ToUtf8(b.PlayerName(y), b.m_encoding);
                      });
}

} // namespace

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
    // Rounds in their order: the selected one a place up or down, by keys or the list's menu.
    for (const auto& [text, key, by] : {std::tuple{"Flytta upp", Qt::Key_Up, -1}, {"Flytta ned", Qt::Key_Down, 1}}) {
        auto* move = new QAction(QString::fromUtf8(text), this);
        move->setShortcut(QKeySequence(Qt::ALT | key));
        connect(move, &QAction::triggered, this, [this, by = by] { MoveSelectedRound(by); });
        addAction(move);
        m_listRounds->addAction(move);
    }
    m_listRounds->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_btnHistory->setToolTip(QStringLiteral("Ångra (Ctrl+Z) och gör om ändringar, se och återställ sparade versioner"));
}

void CRavelmarkDlg::OnUndoStep()
{
    if (!m_shown)
        return;
    // Away from where the file was read or saved; steps of the rules or players file alone leave
    // it there, as that file is written at once.
    if (!AsOnDisk())
        m_doc.MarkChanged();
    else
        m_doc.ClearChanged();
    const QString title = ToDisplay(m_doc.Tournament().m_title);
    if (m_editTitle->text() != title)
        m_editTitle->Restore(title);
    // Typing in the title keeps the round list and its selection as they are.
    if (m_roundsStale)
        FillRoundList();
    m_roundsStale = false;
    // A move taken back or made again: the moved round stays the selected one.
    const int index = m_undo.index();
    const bool back = index < m_stepIndex;
    m_stepIndex = index;
    if (const auto* move = dynamic_cast<const CMoveRoundStep*>(m_undo.command(back ? index : index - 1)))
        SelectRound(static_cast<int>(back ? move->From() : move->To()));
}

bool CRavelmarkDlg::AsOnDisk() const
{
    const int clean = m_undo.cleanIndex(), now = m_undo.index();
    if (clean < 0)
        return false;
    for (int i = std::min(clean, now); i < std::max(clean, now); ++i)
        if (const auto* players = dynamic_cast<const CPlayersStep*>(m_undo.command(i));
            !dynamic_cast<const CRulesStep*>(m_undo.command(i)) && !(players && players->FileOnly()))
            return false;
    return true;
}

void CRavelmarkDlg::MoveSelectedRound(int by)
{
    const int from = m_listRounds->GetSelectionMark(), to = from + by;
    const int count = static_cast<int>(m_doc.Tournament().m_rounds.size());
    if (!m_shown || from < 0 || from >= count || to < 0 || to >= count)
        return;
    const QString step = QStringLiteral("Flytta omgång ") + m_listRounds->GetItemText(from, 0);
    m_undo.push(new CMoveRoundStep(m_doc, static_cast<std::size_t>(from), static_cast<std::size_t>(to), step));
    // The round goes on being the selected one, for the next move.
    m_listRounds->SelectRow(to);
    UpdateRoundButtons();
}

bool CRavelmarkDlg::RestoreRound(const QString& path, std::size_t round)
{
    CLoadedTournament loaded;
    if (!ShowResult(LoadTournamentFile(path, loaded)))
        return false;
    const CTournament& version = loaded.m_tournament;
    if (round >= version.m_rounds.size())
        return false;
    const std::vector<std::size_t> counterparts = RoundCounterparts(version, m_doc.Tournament());
    // The version's text in the window's encoding, its players the window's.
    const CRound& old = version.m_rounds[round];
    CRound restored;
    // A conversion to UTF-8 on the way takes the round along.
    if (!m_text.FromDisplay(this, ToQString(old.m_name, version.m_encoding), restored.m_name, &restored))
        return false;
    for (const CResult& result : old.m_results) {
        std::string name;
        if (!m_text.FromDisplay(this, ToQString(version.PlayerName(result), version.m_encoding), name, &restored))
            return false;
        restored.m_results.emplace_back(m_doc.AddPlayer(name), result.m_points);
    }
    const QString step = QStringLiteral("Återställ omgång ") + ToQString(old.m_name, version.m_encoding);
    if (const std::size_t same = counterparts[round]; same != SIZE_MAX) {
        const CRound& now = m_doc.Tournament().m_rounds[same];
        if (now.m_name != restored.m_name || now.m_results != restored.m_results)
            m_undo.push(new CEditRoundStep(m_doc, same, std::move(restored), step));
        return true;
    }
    // Where it stood: after the nearest round before it that the window still has.
    std::size_t place = 0;
    for (std::size_t before = round; before-- > 0;)
        if (counterparts[before] != SIZE_MAX) {
            place = counterparts[before] + 1;
            break;
        }
    m_undo.push(new CInsertRoundStep(m_doc, place, std::move(restored), step));
    return true;
}

bool CRavelmarkDlg::RestoreRulesVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(QStringLiteral("Kan inte öppna filen: ") + path);
        return false;
    }
    CRulesStep::Bytes before = m_doc.RulesFileBytes(), after = file.readAll().toStdString();
    if (after == before)
        return true;
    m_undo.push(new CRulesStep(
        m_doc, std::move(before), std::move(after), [this](const CFileResult& result) { ShowResult(result); }, false,
        QStringLiteral("Återställ ") + QFileInfo(path).fileName()));
    return true;
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
    // Rounds entered or changed since the version was saved are named before they go.
    const CTournament& version = loaded.m_tournament;
    const std::vector<std::size_t> there = RoundCounterparts(shown, version);
    QStringList lost;
    for (std::size_t i = 0; i < shown.m_rounds.size(); ++i) {
        const CRound& now = shown.m_rounds[i];
        const QString name = now.m_name.empty() ? QStringLiteral("Omgång %1").arg(i + 1) : ToDisplay(now.m_name);
        if (there[i] == SIZE_MAX)
            lost << QStringLiteral("%1 (%2 resultat) försvinner").arg(name).arg(now.m_results.size());
        else if (!SameResults(shown, now, version, version.m_rounds[there[i]]))
            lost << QStringLiteral("%1 ändras").arg(name);
    }
    if (!lost.isEmpty() && !m_platform.QuestionDefaultNo(
                               this, lost.join(QStringLiteral(". ")) + QStringLiteral(". Återställa hela versionen?"),
                               QStringLiteral("Återställ")))
        return false;
    m_undo.push(new CSwapStep(m_doc, std::move(loaded.m_tournament),
                              QStringLiteral("Återställ ") + QFileInfo(path).fileName(), false));
    return true;
}
