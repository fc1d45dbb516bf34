// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UndoSteps.h"

#include "ui/Controls.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QUndoStack>
#include <QWidget>

#include <utility>

CAddRoundStep::CAddRoundStep(CTournamentDoc& doc, CRound round, const QString& text)
    : CDocStep(doc, text)
    , m_round(std::move(round))
{
}

void CAddRoundStep::redo()
{
    m_doc.AddRound(std::move(m_round));
    m_round = CRound();
}

void CAddRoundStep::undo()
{
    m_round = m_doc.TakeRound(m_doc.Tournament().m_rounds.size() - 1);
}

CRemoveRoundStep::CRemoveRoundStep(CTournamentDoc& doc, std::size_t index, const QString& text)
    : CDocStep(doc, text)
    , m_index(index)
{
}

void CRemoveRoundStep::redo()
{
    m_round = m_doc.TakeRound(m_index);
}

void CRemoveRoundStep::undo()
{
    m_doc.InsertRound(m_index, std::move(m_round));
    m_round = CRound();
}

CInsertRoundStep::CInsertRoundStep(CTournamentDoc& doc, std::size_t index, CRound round, const QString& text)
    : CDocStep(doc, text)
    , m_index(index)
    , m_round(std::move(round))
{
}

void CInsertRoundStep::redo()
{
    m_doc.InsertRound(m_index, std::move(m_round));
    m_round = CRound();
}

void CInsertRoundStep::undo()
{
    m_round = m_doc.TakeRound(m_index);
}

CMoveRoundStep::CMoveRoundStep(CTournamentDoc& doc, std::size_t from, std::size_t to, const QString& text)
    : CDocStep(doc, text)
    , m_from(from)
    , m_to(to)
{
}

CEditRoundStep::CEditRoundStep(CTournamentDoc& doc, std::size_t index, CRound edited, const QString& text)
    : CDocStep(doc, text)
    , m_index(index)
    , m_delta(doc.Tournament().m_rounds[index], edited)
    , m_edited(std::move(edited))
{
}

void CEditRoundStep::redo()
{
    if (m_edited) {
        m_doc.ReplaceRound(m_index, std::move(*m_edited));
        m_edited.reset();
    } else {
        m_doc.ChangeRound(m_index, m_delta, false);
    }
}

void CEditRoundStep::undo()
{
    m_doc.ChangeRound(m_index, m_delta, true);
}

bool CEditRoundStep::mergeWith(const QUndoCommand* other)
{
    // Done already: the round as it is now, against what it was before this step.
    const auto* next = static_cast<const CEditRoundStep*>(other);
    if (next->m_index != m_index)
        return false;
    const CRound& now = m_doc.Tournament().m_rounds[m_index];
    CRound before = now;
    next->m_delta.Undo(before);
    m_delta.Undo(before);
    if (before.m_name != now.m_name || before.m_results != now.m_results)
        return false;
    setObsolete(true);
    return true;
}

CTitleStep::CTitleStep(CTournamentDoc& doc, std::string title, int visit)
    : CDocStep(doc, QStringLiteral("Titeln"))
    , m_before(doc.Tournament().m_title)
    , m_after(std::move(title))
    , m_visit(visit)
{
}

void CTitleStep::redo()
{
    m_doc.SetTitle(m_after);
}

void CTitleStep::undo()
{
    m_doc.SetTitle(m_before);
}

bool CTitleStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const CTitleStep*>(other);
    if (next->m_visit != m_visit && next->m_after != m_before)
        return false;
    m_after = next->m_after;
    setObsolete(m_after == m_before);
    return true;
}

CConvertStep::CConvertStep(CTournamentDoc& doc, bool byteOrderMark)
    : CDocStep(doc, QStringLiteral("Spara som UTF-8"))
    , m_byteOrderMark(byteOrderMark)
{
}

void CConvertStep::redo()
{
    if (m_other) {
        m_doc.SwapText(*m_other);
        return;
    }
    const CTournament& tournament = m_doc.Tournament();
    CTournamentText before{
        tournament.m_title, {}, tournament.m_players, tournament.m_encoding, tournament.m_byteOrderMark};
    for (const CRound& round : tournament.m_rounds)
        before.m_roundNames.push_back(round.m_name);
    m_doc.ConvertToUtf8(m_byteOrderMark);
    m_other = std::move(before);
}

void CConvertStep::undo()
{
    m_doc.SwapText(*m_other);
}

CSwapStep::CSwapStep(CTournamentDoc& doc, CTournament other, const QString& text, bool done)
    : CDocStep(doc, text)
    , m_other(std::move(other))
    , m_skip(done)
{
}

void CSwapStep::redo()
{
    if (m_skip)
        m_skip = false;
    else
        m_doc.SwapTournament(m_other);
}

void CSwapStep::undo()
{
    m_doc.SwapTournament(m_other);
}

CRulesStep::CRulesStep(CTournamentDoc& doc, Bytes before, Bytes after, std::function<void(const CFileResult&)> report,
                       bool done, const QString& text)
    : CDocStep(doc, text)
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_report(std::move(report))
    , m_skip(done)
{
}

void CRulesStep::redo()
{
    if (!std::exchange(m_skip, false))
        m_report(m_doc.PutRulesFile(m_after));
}

void CRulesStep::undo()
{
    m_report(m_doc.PutRulesFile(m_before));
}

namespace {

bool IsUndoKey(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Z &&
            (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))) ||
           (key->key() == Qt::Key_Y && modifiers == Qt::ControlModifier);
}

} // namespace

CUndoKeys::CUndoKeys(QWidget* dialog, QUndoStack& stack, std::initializer_list<QWidget*> fields)
    : QObject(dialog)
    , m_stack(stack)
{
    QAction* undo = stack.createUndoAction(dialog);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = stack.createRedoAction(dialog);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    dialog->addActions({undo, redo});
    for (QWidget* field : fields)
        field->installEventFilter(this);
}

QMenu* CUndoKeys::ContextMenu(QLineEdit* field) const
{
    QMenu* menu = field->createStandardContextMenu();
    if (CPasteGuard* guard = CPasteGuard::Of(field))
        guard->TakeOverPaste(*menu);
    // An editable field's menu starts with its Undo and Redo.
    const QList<QAction*> actions = menu->actions();
    for (int i = 0; i < 2 && i < actions.size() && !field->isReadOnly(); ++i) {
        const bool undo = i == 0;
        QAction* action = actions[i];
        action->disconnect();
        action->setObjectName(undo ? QStringLiteral("edit-undo") : QStringLiteral("edit-redo"));
        action->setEnabled(undo ? m_stack.canUndo() : m_stack.canRedo());
        connect(action, &QAction::triggered, &m_stack, undo ? &QUndoStack::undo : &QUndoStack::redo);
    }
    return menu;
}

bool CUndoKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (auto* field = qobject_cast<QLineEdit*>(watched)) {
            QMenu* menu = ContextMenu(field);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        return false;
    case QEvent::FocusIn:
        ++m_visit;
        return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        // Not offered to the field, so the dialog's shortcut takes it (or, with nothing to
        // undo, nobody does).
        return IsUndoKey(static_cast<QKeyEvent*>(event));
    default:
        return false;
    }
}
