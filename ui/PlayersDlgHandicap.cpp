// SPDX-License-Identifier: GPL-3.0-or-later
// The "Spelare" dialog's start values for the handicap, and each player's handicap for the next round.
#include "ui/PlayersDlg.h"

#include "model/Encoding.h"
#include "report/Handicap.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QTableWidget>

namespace {

QString StartText(CStartValue start)
{
    switch (start.m_kind) {
    case CStartValue::None:
        break;
    case CStartValue::Average:
        return QStringLiteral("snitt %1").arg(start.m_value);
    case CStartValue::Handicap:
        return QStringLiteral("handikapp %1").arg(start.m_value);
    }
    return {};
}

} // namespace

QLayout* CPlayersDlg::MakeStartControls()
{
    const CTournament& tournament = m_doc.Tournament();
    const std::vector<CStartValue> starts = StartValuesOf(m_doc.ClubPlayers(), tournament);
    for (PlayerId id = 0; id < tournament.m_players.Size(); ++id)
        m_initialStart[id] = starts[id];
    m_assignedStart = m_initialStart;

    m_comboStart = new QComboBox(this);
    m_comboStart->addItems({QStringLiteral("inget"), QStringLiteral("snitt"), QStringLiteral("handikapp")});
    m_spinStart = new QSpinBox(this);
    m_spinStart->setRange(0, CStartValue::kLargest);
    m_spinStart->setAccelerated(true);
    auto* row = new QHBoxLayout;
    row->addWidget(m_comboStart);
    row->addWidget(m_spinStart, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("S&tartvärde:"), row);
    connect(m_comboStart, &QComboBox::currentIndexChanged, this, &CPlayersDlg::SetStart);
    connect(m_spinStart, &QSpinBox::valueChanged, this, &CPlayersDlg::SetStart);
    return form;
}

void CPlayersDlg::FillStart(int row, PlayerId player)
{
    m_table->setItem(row, Start, new QTableWidgetItem(StartText(m_assignedStart[player])));
    auto* handicap = new QTableWidgetItem;
    handicap->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_table->setItem(row, Handicap, handicap);
}

void CPlayersDlg::ShowStart(int row)
{
    const auto id = static_cast<PlayerId>(m_table->item(row, Name)->data(Qt::UserRole).toUInt());
    const CStartValue start = m_assignedStart[id];
    m_filling = true;
    m_comboStart->setCurrentIndex(static_cast<int>(start.m_kind));
    m_spinStart->setValue(start.m_value);
    m_spinStart->setEnabled(start.m_kind != CStartValue::None);
    m_filling = false;
}

void CPlayersDlg::SetStart()
{
    if (m_filling)
        return;
    const CStartValue start{static_cast<CStartValue::Kind>(m_comboStart->currentIndex()),
                            m_comboStart->currentIndex() > 0 ? m_spinStart->value() : 0};
    m_spinStart->setEnabled(start.m_kind != CStartValue::None);
    m_table->setSortingEnabled(false);
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        const auto id = static_cast<PlayerId>(m_table->item(index.row(), Name)->data(Qt::UserRole).toUInt());
        m_assignedStart[id] = start;
        m_table->item(index.row(), Start)->setText(StartText(start));
    }
    ShowHandicaps();
    m_table->setSortingEnabled(true);
}

void CPlayersDlg::ShowHandicaps()
{
    // Worked out afresh with the start values set here: the column shows what OK would give.
    const CSeriesRules& rules = m_doc.Rules();
    m_table->setColumnHidden(Handicap, !rules.m_handicap.m_on);
    if (!rules.m_handicap.m_on)
        return;
    const CTournament& tournament = m_doc.Tournament();
    std::vector<CStartValue> starts(tournament.m_players.Size());
    for (const auto& [id, start] : m_assignedStart) {
        if (id < starts.size())
            starts[id] = start;
    }
    const CHandicapTable table(tournament, rules.m_handicap, HandicapLowerBetter(rules), std::move(starts));
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const auto id = static_cast<PlayerId>(m_table->item(r, Name)->data(Qt::UserRole).toUInt());
        const CHandicapExplained explained = table.Explain(id, tournament.m_rounds.size());
        QTableWidgetItem* item = m_table->item(r, Handicap);
        if (explained.m_handicap.m_source == CHandicap::NotYet)
            item->setData(Qt::DisplayRole, QString());
        else
            item->setData(Qt::DisplayRole, explained.m_handicap.m_value);
        item->setToolTip(
            QString::fromStdString(HandicapText(explained, rules.m_handicap, table.LowerBetter(), tournament)));
    }
}

void CPlayersDlg::ApplyStarts(CClubPlayers& players) const
{
    for (const auto& [id, start] : m_assignedStart) {
        const auto before = m_initialStart.find(id);
        if (start != (before == m_initialStart.end() ? CStartValue() : before->second))
            SetStartValue(players, ToUtf8(m_doc.Tournament().PlayerName(id), m_doc.Encoding()), start);
    }
}
