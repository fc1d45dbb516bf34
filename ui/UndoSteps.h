// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/TournamentDoc.h"

#include <QObject>
#include <QUndoCommand>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QMenu;
class QUndoStack;
class QWidget;

// The main window's steps, each a change of the document that can be taken back and done
// again. A step keeps only what it changed: a round edit its delta, a removed round that
// round, so that a hundred steps on a big tournament cost little beside it.

class CDocStep : public QUndoCommand
{
public:
    CDocStep(CTournamentDoc& doc, const QString& text)
        : QUndoCommand(text)
        , m_doc(doc)
    {
    }

protected:
    CTournamentDoc& m_doc;
};

// A round added at the end ("Ny" closed with a round).
class CAddRoundStep : public CDocStep
{
public:
    CAddRoundStep(CTournamentDoc& doc, CRound round, const QString& text);
    void redo() override;
    void undo() override;

private:
    CRound m_round; // while it is not in the tournament
};

class CRemoveRoundStep : public CDocStep
{
public:
    CRemoveRoundStep(CTournamentDoc& doc, std::size_t index, const QString& text);
    void redo() override;
    void undo() override;

private:
    std::size_t m_index;
    CRound m_round; // while it is not in the tournament
};

// A round put back at its old place ("Återställ omgången" of a round the window lacks).
class CInsertRoundStep : public CDocStep
{
public:
    CInsertRoundStep(CTournamentDoc& doc, std::size_t index, CRound round, const QString& text);
    void redo() override;
    void undo() override;

private:
    std::size_t m_index;
    CRound m_round; // while it is not in the tournament
};

// A round moved one or more places ("Flytta upp", "Flytta ned").
class CMoveRoundStep : public CDocStep
{
public:
    CMoveRoundStep(CTournamentDoc& doc, std::size_t from, std::size_t to, const QString& text);
    void redo() override { m_doc.MoveRound(m_from, m_to); }
    void undo() override { m_doc.MoveRound(m_to, m_from); }
    std::size_t From() const { return m_from; }
    std::size_t To() const { return m_to; }

private:
    std::size_t m_from, m_to;
};

// "Redigera" closed with the round changed: the edited round first, its delta ever after. An
// edit that brings the round back to what it was before the step under it takes both away.
class CEditRoundStep : public CDocStep
{
public:
    CEditRoundStep(CTournamentDoc& doc, std::size_t index, CRound edited, const QString& text);
    void redo() override;
    void undo() override;
    int id() const override { return 3; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    std::size_t m_index;
    CRoundDelta m_delta;
    std::optional<CRound> m_edited; // until it first takes its place
};

// Typing in the title: consecutive typing in one visit of the field is one step, and typing
// back to where the step began (in this visit or the next) leaves no step.
class CTitleStep : public CDocStep
{
public:
    CTitleStep(CTournamentDoc& doc, std::string title, int visit);
    void redo() override;
    void undo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    std::string m_before, m_after;
    int m_visit;
};

// The tournament turned into UTF-8; taking it back restores the names as they were.
class CConvertStep : public CDocStep
{
public:
    CConvertStep(CTournamentDoc& doc, bool byteOrderMark);
    void redo() override;
    void undo() override;

private:
    bool m_byteOrderMark;
    std::optional<CTournamentText> m_other; // the text not in the tournament, once converted
};

// The whole tournament exchanged: a version brought back, the file read again. `done` when the
// document holds the new tournament already and `other` is the one it replaced.
class CSwapStep : public CDocStep
{
public:
    CSwapStep(CTournamentDoc& doc, CTournament other, const QString& text, bool done);
    void redo() override;
    void undo() override;

private:
    CTournament m_other;
    bool m_skip;
};

// "Regler…" closed with OK: the rules file as it was and as it became, each put back whole by
// the safe replace (or removed, where there was none). The file is on disk at once either way,
// so the step leaves the tournament as it is on disk. `report` shows a write that failed.
class CRulesStep : public CDocStep
{
public:
    using Bytes = std::optional<std::string>;
    // `done` when the file holds `after` already.
    CRulesStep(CTournamentDoc& doc, Bytes before, Bytes after, std::function<void(const CFileResult&)> report,
               bool done, const QString& text);
    void redo() override;
    void undo() override;

private:
    Bytes m_before, m_after;
    std::function<void(const CFileResult&)> m_report;
    bool m_skip;
};

// Ctrl+Z undoes and Ctrl+Shift+Z and Ctrl+Y redo the dialog's own steps from anywhere in it:
// the text fields' own undo, which would take the keys first, is kept out. Counts the visits of
// the fields, which end a typing step.
class CUndoKeys : public QObject
{
public:
    // Actions for `stack` on `dialog`, and the fields whose keys are taken over.
    CUndoKeys(QWidget* dialog, QUndoStack& stack, std::initializer_list<QWidget*> fields);
    int Visit() const { return m_visit; }
    // The field's context menu, its Undo and Redo being the dialog's.
    QMenu* ContextMenu(QLineEdit* field) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QUndoStack& m_stack;
    int m_visit = 0;
};
