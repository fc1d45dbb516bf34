// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/HandicapRules.h"

#include <QGroupBox>

class CPlatform;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// The "Regler" dialog's group "Handikapp": ticked, the handicap is on, and its fields say the
// club's formula. Rules() is what they set; off, none.
class CHandicapBox : public QGroupBox
{
    Q_OBJECT
public:
    CHandicapBox(const CHandicapRules& rules, QWidget* parent);

    CHandicapRules Rules() const;
    // The basis is worked against the par when the numbers entered are strokes: the label says so.
    void SetLowerBetter(bool lowerBetter);
    // What the rules file would refuse: told in a box, the focus on the field to mend; false then.
    bool Check(CPlatform& platform);

    QSpinBox* m_spinBase = nullptr;
    QLabel* m_labelBase = nullptr;
    QSpinBox* m_spinPercent = nullptr;
    QComboBox* m_comboWindow = nullptr;     // alla, senaste N, bästa K av N
    QSpinBox* m_spinWindowBest = nullptr;   // K
    QSpinBox* m_spinWindowRounds = nullptr; // N
    QSpinBox* m_spinMinimum = nullptr;
    QSpinBox* m_spinCap = nullptr; // 0 shows as the special text: no cap
    QCheckBox* m_checkNegative = nullptr;
    QComboBox* m_comboRounding = nullptr; // fraction dropped, nearest
    QCheckBox* m_checkAverageFloor = nullptr;
    QCheckBox* m_checkGross = nullptr;

private:
    void UpdateWindowFields();
};
