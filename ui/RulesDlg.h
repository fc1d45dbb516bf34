// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/SeriesRules.h"

#include <QDialog>
#include <QString>

#include <memory>

class CHandicapBox;
class CPlatform;
class CTournament;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLineEdit;
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
    ~CRulesDlg() override;

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

    // How each round counts (RulesDlgCounting.cpp): the counting, its points table with the
    // table's refusal beside it, the other places' points, the points for taking part, the
    // round's direction, and a line that counts round 1 of the tournament by them.
    QComboBox* m_comboCounting = nullptr;
    QLineEdit* m_editPlacePoints = nullptr;
    QLabel* m_labelPlacePoints = nullptr;
    QSpinBox* m_spinOther = nullptr;
    QSpinBox* m_spinEntry = nullptr;
    QCheckBox* m_checkLowest = nullptr;
    QLabel* m_labelPreview = nullptr;
    // The preview counts round 1 of `tournament` (copied) with the rules as set.
    void ShowPreview(const CTournament& tournament);

    void accept() override;

private:
    void BuildCounting(QBoxLayout* layout);
    Counting ChosenCounting() const;
    // Reads the table into `rules` when the counting uses one; the refusal, or empty.
    QString PlacePointsRefusal(CSeriesRules& rules) const;
    void CountingInto(CSeriesRules& rules) const;
    void UpdateCounting();
    void UpdatePreview();
    // False, with the message shown and the focus on the table, when the table is refused.
    bool CountingAccepted();
    std::unique_ptr<CTournament> m_preview;

    // Moves the current criterion `by` places up (-1) or down (1).
    void MoveCriterion(int by);
    void UpdateMoveButtons();

    CPlatform& m_platform;
    CSeriesRules m_given; // as the dialog opened: the keys it does not show are kept from it
};
