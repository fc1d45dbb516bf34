// SPDX-License-Identifier: GPL-3.0-or-later
// The handicap's fields in the "Regler" dialog.
#include "ui/HandicapBox.h"

#include "ui/Platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include <climits>

namespace {

QSpinBox* NumberBox(int low, int high, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    box->setAccelerated(true);
    return box;
}

} // namespace

CHandicapBox::CHandicapBox(const CHandicapRules& rules, QWidget* parent)
    : QGroupBox(QStringLiteral("&Handikapp efter tidigare omgångar"), parent)
{
    setCheckable(true);
    setChecked(rules.m_on);
    auto* form = new QFormLayout(this);
    m_spinBase = NumberBox(1, 100000, rules.m_on ? rules.m_base : 200, this);
    m_labelBase = new QLabel(this);
    m_labelBase->setBuddy(m_spinBase);
    form->addRow(m_labelBase, m_spinBase);
    SetLowerBetter(false);
    m_spinPercent = NumberBox(1, 100, rules.m_percent, this);
    m_spinPercent->setSuffix(QStringLiteral(" %"));
    form->addRow(QStringLiteral("Procen&t av skillnaden:"), m_spinPercent);

    m_comboWindow = new QComboBox(this);
    m_comboWindow->addItems({QStringLiteral("alla spelade omgångar"), QStringLiteral("de senaste N omgångarna"),
                             QStringLiteral("de bästa K av de senaste N")});
    m_comboWindow->setCurrentIndex(static_cast<int>(rules.m_window));
    m_spinWindowBest = NumberBox(1, INT_MAX, rules.m_windowBest > 0 ? rules.m_windowBest : 4, this);
    m_spinWindowRounds = NumberBox(1, INT_MAX, rules.m_windowRounds > 0 ? rules.m_windowRounds : 5, this);
    m_spinWindowBest->setPrefix(QStringLiteral("K = "));
    m_spinWindowRounds->setPrefix(QStringLiteral("N = "));
    auto* window = new QHBoxLayout;
    window->addWidget(m_comboWindow, 1);
    window->addWidget(m_spinWindowBest);
    window->addWidget(m_spinWindowRounds);
    form->addRow(QStringLiteral("&Snitt av:"), window);

    m_spinMinimum = NumberBox(1, INT_MAX, rules.m_minimum, this);
    form->addRow(QStringLiteral("Egna omgångar före eget sn&itt:"), m_spinMinimum);
    m_spinCap = NumberBox(0, INT_MAX, rules.m_cap.value_or(0), this);
    m_spinCap->setSpecialValueText(QStringLiteral("inget tak"));
    form->addRow(QStringLiteral("Högsta handikapp (ta&k):"), m_spinCap);
    m_comboRounding = new QComboBox(this);
    m_comboRounding->addItems({QStringLiteral("utan decimaler (nedåt)"), QStringLiteral("till närmaste heltal")});
    m_comboRounding->setCurrentIndex(rules.m_roundNearest ? 1 : 0);
    form->addRow(QStringLiteral("Avrundnin&g:"), m_comboRounding);
    m_checkAverageFloor = new QCheckBox(QStringLiteral("Snittet utan de&cimaler före formeln"), this);
    m_checkAverageFloor->setChecked(rules.m_averageFloor);
    m_checkNegative = new QCheckBox(QStringLiteral("Tillåt handikapp under &0"), this);
    m_checkNegative->setChecked(rules.m_negative);
    m_checkGross = new QCheckBox(QStringLiteral("Visa också en tabell utan handikapp (b&rutto)"), this);
    m_checkGross->setChecked(rules.m_grossTable);
    form->addRow(m_checkAverageFloor);
    form->addRow(m_checkNegative);
    form->addRow(m_checkGross);

    connect(m_comboWindow, &QComboBox::currentIndexChanged, this, &CHandicapBox::UpdateWindowFields);
    UpdateWindowFields();
}

void CHandicapBox::SetLowerBetter(bool lowerBetter)
{
    m_labelBase->setText(lowerBetter ? QStringLiteral("P&ar (slag):") : QStringLiteral("B&as (poäng):"));
}

void CHandicapBox::UpdateWindowFields()
{
    const auto window = static_cast<CHandicapRules::Window>(m_comboWindow->currentIndex());
    m_spinWindowRounds->setVisible(window != CHandicapRules::Window::All);
    m_spinWindowBest->setVisible(window == CHandicapRules::Window::Best);
}

CHandicapRules CHandicapBox::Rules() const
{
    CHandicapRules rules;
    if (!isChecked())
        return rules;
    rules.m_on = true;
    rules.m_base = m_spinBase->value();
    rules.m_percent = m_spinPercent->value();
    rules.m_window = static_cast<CHandicapRules::Window>(m_comboWindow->currentIndex());
    if (rules.m_window != CHandicapRules::Window::All)
        rules.m_windowRounds = m_spinWindowRounds->value();
    if (rules.m_window == CHandicapRules::Window::Best)
        rules.m_windowBest = m_spinWindowBest->value();
    rules.m_minimum = m_spinMinimum->value();
    if (m_spinCap->value() > 0)
        rules.m_cap = m_spinCap->value();
    rules.m_negative = m_checkNegative->isChecked();
    rules.m_roundNearest = m_comboRounding->currentIndex() == 1;
    rules.m_averageFloor = m_checkAverageFloor->isChecked();
    rules.m_grossTable = m_checkGross->isChecked();
    return rules;
}

bool CHandicapBox::Check(CPlatform& platform)
{
    const CHandicapRules rules = Rules();
    if (rules.m_window != CHandicapRules::Window::Best || rules.m_windowBest <= rules.m_windowRounds)
        return true;
    platform.ErrorBox(window(), QStringLiteral("K får inte vara större än N i de bästa K av de senaste N."));
    m_spinWindowBest->setFocus();
    m_spinWindowBest->selectAll();
    return false;
}
