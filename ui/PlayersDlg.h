// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/TournamentDoc.h"
#include "ui/UndoSteps.h"

#include <QDialog>
#include <QString>

#include <map>
#include <utility>
#include <vector>

class CPlatform;
class CTextEntry;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QUndoStack;

// A player's results given to another name in every round ("Byt namn…"), as one step.
class CRenameStep : public CDocStep
{
public:
    CRenameStep(CTournamentDoc& doc, PlayerId from, PlayerId to, const QString& text);
    void redo() override;
    void undo() override;

private:
    PlayerId m_from, m_to;
    std::optional<CPlayerRename> m_rename; // once made
};

// The new name for "Byt namn…": a field and OK/Avbryt.
class CRenameDlg : public QDialog
{
    Q_OBJECT
public:
    CRenameDlg(const QString& name, QWidget* parent);
    QLineEdit* m_editName = nullptr;
    QPushButton* m_btnOK = nullptr;
};

// The dialog "Spelare": every player with rounds played and total, and the club's known players,
// each with a class and a team to choose or type; sortable by any column, filtered by typing or
// to the names likely one player's ("Liknande namn"). "Byt namn…" renames or merges a player in
// every round at once, as a step of the window's undo. A dialog of the desktop's kind: OK and
// Avbryt, Escape for Avbryt. ClubPlayers() is what OK is to write.
class CPlayersDlg : public QDialog
{
    Q_OBJECT
public:
    CPlayersDlg(CTournamentDoc& doc, CTextEntry& text, QUndoStack& undo, CPlatform& platform,
                QWidget* parent = nullptr);

    // The players file as the dialog leaves it: the file in force with the classes and teams
    // set here and the renames made here.
    CClubPlayers ClubPlayers() const;

    enum Column { Name, Played, Total, Class, Team, Start, Handicap };
    QLineEdit* m_editFilter = nullptr;
    QCheckBox* m_checkSimilar = nullptr; // "Liknande namn"
    QTableWidget* m_table = nullptr;
    QComboBox* m_comboClass = nullptr;
    QComboBox* m_comboTeam = nullptr;
    QPushButton* m_btnRename = nullptr; // "Byt namn…"
    // The selected players' start value for the handicap: none, an average or a handicap, and its number.
    QComboBox* m_comboStart = nullptr;
    QSpinBox* m_spinStart = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;

private:
    // A player's class and team as shown (empty for none).
    using CGroupsOf = std::pair<QString, QString>;

    void Refill();
    void ApplyFilter();
    void OnCurrentChanged();
    // Sets the class (`team` false) or team of the selected players.
    void SetGroup(bool team, const QString& value);
    void OnRename();
    // The start value's controls (PlayersDlgHandicap.cpp): made, shown for the selected row, set
    // on the selected players, and the handicap each player has for the next round with them.
    QLayout* MakeStartControls();
    void FillStart(int row, PlayerId player);
    void ShowStart(int row);
    void SetStart();
    void ShowHandicaps();
    void ApplyStarts(CClubPlayers& players) const;

    CTournamentDoc& m_doc;
    CTextEntry& m_text;
    QUndoStack& m_undo;
    CPlatform& m_platform;
    std::map<PlayerId, CGroupsOf> m_initial, m_assigned;
    std::map<PlayerId, CStartValue> m_initialStart, m_assignedStart;
    // The renames made here, as the tournament's names: from, to.
    std::vector<std::pair<std::string, std::string>> m_renames;
    bool m_filling = false;
};
