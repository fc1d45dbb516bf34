// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/ResultImport.h"

#include <QColor>
#include <QDialog>

#include <memory>
#include <string>

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

// The dialog "Klistra in resultat": the rows of a pasted block before they go into the round,
// each with the player it goes to, its points and what it does, in a word and a colour. Rows
// can be unticked and sent to another player; with more than two columns the user picks the
// name's and the points' column. A dialog of the desktop's own kind: OK and Avbryt, Escape
// for Avbryt. After OK the caller enters the rows that Entered() says.
// The background of a row's word, light under dark text so that it reads the same on a dark
// desktop; the round editor's proposals from phones wear the same colours.
QColor ToneBackground(CResultImport::Tone tone);

class CPasteResultsDlg : public QDialog
{
    Q_OBJECT
public:
    // `text`: what was pasted. `round`: the round as it is now, of `tournament`. `names`: the
    // known players offered in a row's player box.
    CPasteResultsDlg(const QString& text, const CRound& round, const CTournament& tournament, CNameMatcher& matcher,
                     QAbstractItemModel* names, const CResultImport::CLimits& limits, QWidget* parent = nullptr);
    ~CPasteResultsDlg() override;

    const CResultImport& Import() const { return *m_import; }

    // Columns: the tick and the pasted name, the player, the points, what the row does.
    enum Column { kPasted, kPlayer, kPoints, kWord, kColumns };
    QTableView* m_listRows = nullptr;
    QComboBox* m_comboNameColumn = nullptr;   // shown with more than two columns
    QComboBox* m_comboPointsColumn = nullptr; // likewise
    QLabel* m_labelSummary = nullptr;         // how many rows go in, and how many are refused
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;

private:
    class CRows;
    class CPlayerDelegate;

    // Reads the rows anew from the columns picked.
    void TakeColumns();
    void UpdateSummary();

    CResultTable m_table;
    const CRound& m_round;
    const CTournament& m_tournament;
    CNameMatcher& m_matcher;
    CResultImport::CLimits m_limits;
    std::unique_ptr<CResultImport> m_import;
    CRows* m_rows = nullptr;
};
