// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/SeriesRules.h"

#include <QDialog>
#include <QString>

class CHandicapBox;
class CPlatform;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

// The dialog "Regler": sets the series rules of the open tournament. A dialog of the desktop's
// own kind: OK and Avbryt, Enter for OK and Escape for Avbryt. Rules() is what the user set.
class CRulesDlg : public QDialog
{
    Q_OBJECT
public:
    // `rules`: those in force; `refused`: the message of a rules file that was refused, or empty.
    CRulesDlg(const CSeriesRules& rules, const QString& refused, CPlatform& platform, QWidget* parent = nullptr);

    CSeriesRules Rules() const;

    // 0 shows as the special text: no rule.
    QSpinBox* m_spinBest = nullptr;
    QSpinBox* m_spinPlanned = nullptr;
    QSpinBox* m_spinMinimum = nullptr;
    // Every criterion, in the order they apply; the ticked ones are in force.
    QListWidget* m_listCriteria = nullptr;
    QPushButton* m_btnUp = nullptr;
    QPushButton* m_btnDown = nullptr;
    // What the page shows besides the table.
    QCheckBox* m_checkChange = nullptr;
    QCheckBox* m_checkChart = nullptr;
    // The team table (classes and teams set in "Spelare"): how many results of a team count in
    // each round, 0 for no team table; and whether the overall table shows beside the classes.
    QSpinBox* m_spinTeam = nullptr;
    QCheckBox* m_checkOverall = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QLabel* m_labelRefused = nullptr; // shown only for a refused file
    CHandicapBox* m_boxHandicap = nullptr;

    void accept() override;

private:
    // Moves the current criterion `by` places up (-1) or down (1).
    void MoveCriterion(int by);
    void UpdateMoveButtons();

    CPlatform& m_platform;
    CSeriesRules m_given; // as the dialog opened: the keys it does not show are kept from it
};
