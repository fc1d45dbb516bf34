// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/Versions.h"

#include <QDialog>

#include <vector>

class CRavelmarkDlg;
class QLabel;
class QListWidget;
class QPushButton;
class QUndoView;

// "Historik": this session's steps, to undo and redo, and the saved versions of the tournament
// beside its file, each compared with the window's tournament and brought back as one step.
// The history itself never deletes or overwrites a file.
class CHistoryDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CHistoryDlg(CRavelmarkDlg& window);

    QUndoView* m_steps = nullptr;
    QPushButton* m_btnUndo = nullptr;         // "Ångra"
    QPushButton* m_btnRedo = nullptr;         // "Gör om"
    QListWidget* m_versions = nullptr;        // newest first
    QListWidget* m_differences = nullptr;     // of the selected version against the window, a line each
    QPushButton* m_btnRestore = nullptr;      // "Återställ"
    QPushButton* m_btnRestoreRound = nullptr; // "Återställ omgången": the round of the selected difference
    QPushButton* m_btnClose = nullptr;        // "Stäng"

    const std::vector<CVersion>& Versions() const { return m_list; }
    // The differences as shown, one a line.
    QString DifferencesText() const;

private:
    // The selected version against the window's tournament.
    void ShowDifferences();
    void OnRestore();
    void OnRestoreRound();
    void ShowLines(const QStringList& lines);
    const CVersion* Selected() const;

    CRavelmarkDlg& m_window;
    std::vector<CVersion> m_list;
};
