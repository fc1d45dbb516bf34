// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/TournamentDoc.h"
#include "ui/UndoSteps.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>
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

// "Spelare" closed with OK, as one step of the window's undo: the renames and merges made in
// it, and the players file as it was and as it became (each put back whole, or removed where
// there was none). `report` shows a write of the file that failed.
class CPlayersStep : public CDocStep
{
public:
    using Bytes = std::optional<std::string>;
    // Made once the dialog has done it all.
    CPlayersStep(CTournamentDoc& doc, std::vector<CPlayerRename> renames, Bytes before, Bytes after,
                 std::function<void(const CFileResult&)> report, const QString& text);
    void redo() override;
    void undo() override;
    // Only the players file: the tournament stays as on disk.
    bool FileOnly() const { return m_renames.empty(); }

private:
    std::vector<CPlayerRename> m_renames;
    Bytes m_before, m_after;
    std::function<void(const CFileResult&)> m_report;
    bool m_skip = true;
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
// every round at once. Ctrl+Z and Ctrl+Y take back and make again what was done in it; Avbryt
// (Escape) takes it all back, OK keeps it. A dialog of the desktop's kind: OK and Avbryt,
// Escape for Avbryt. ClubPlayers() is what OK is to write, Renames() what it made.
class CPlayersDlg : public QDialog
{
    Q_OBJECT
public:
    CPlayersDlg(CTournamentDoc& doc, CTextEntry& text, CPlatform& platform, QWidget* parent = nullptr);

    // The players file as the dialog leaves it: the file in force with the classes and teams
    // set here and the renames made here.
    CClubPlayers ClubPlayers() const;
    // The renames and merges made here and not taken back, in the order they were made.
    std::vector<CPlayerRename> Renames() const;
    // The same as the tournament's names: from, to.
    const std::vector<std::pair<std::string, std::string>>& RenamedNames() const { return m_renames; }
    void reject() override;

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
    QUndoStack* m_steps = nullptr; // the dialog's own

private:
    friend class CPlayersRenameStep;
    friend class CPlayersGroupStep;

    // A player's class and team as shown (empty for none).
    using CGroupsOf = std::pair<QString, QString>;

    void Refill();
    void ApplyFilter();
    void OnCurrentChanged();
    // Sets the class (`team` false) or team of the selected players.
    void SetGroup(bool team, const QString& value);
    // Shows the class and team of `players` as m_assigned has them.
    void ShowGroups(const std::vector<PlayerId>& players);
    void SelectPlayer(PlayerId player);
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
    CPlatform& m_platform;
    std::map<PlayerId, CGroupsOf> m_initial, m_assigned;
    std::map<PlayerId, CStartValue> m_initialStart, m_assignedStart;
    // The renames made here, as the tournament's names: from, to.
    std::vector<std::pair<std::string, std::string>> m_renames;
    bool m_filling = false;
    bool m_typing = false; // a class or team being typed: its box is left as it is
};
