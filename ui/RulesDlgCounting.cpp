// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog "Regler": how each round counts, with a preview on the tournament's first round.
#include "files/QtText.h"
#include "report/Counting.h"
#include "ui/Platform.h"
#include "ui/RulesDlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <climits>

namespace {

const std::pair<Counting, const char*> kCountings[] = {
    {Counting::Points, "Poäng, högst vinner"},
    {Counting::Strokes, "Slag, lägst vinner"},
    {Counting::Placing, "Poäng efter placering"},
    {Counting::Place, "Placering som poäng, lägst vinner"},
};

QSpinBox* PointsBox(const std::optional<int>& value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, INT_MAX);
    box->setValue(value.value_or(0));
    box->setAccelerated(true);
    return box;
}

// 0 is the same as none; a 0 the file sets stays set.
std::optional<int> PointsOf(const QSpinBox* box, const std::optional<int>& given)
{
    if (box->value() == 0)
        return given == 0 ? given : std::nullopt;
    return box->value();
}

} // namespace

void CRulesDlg::BuildCounting(QBoxLayout* layout)
{
    auto* group = new QGroupBox(QStringLiteral("Räkning"), this);
    auto* form = new QFormLayout(group);
    m_comboCounting = new QComboBox(group);
    for (const auto& [counting, text] : kCountings)
        m_comboCounting->addItem(QString::fromUtf8(text), static_cast<int>(counting));
    m_comboCounting->setCurrentIndex(static_cast<int>(m_given.m_counting));
    form->addRow(QStringLiteral("&Räkning:"), m_comboCounting);

    auto* table = new QHBoxLayout;
    m_editPlacePoints = new QLineEdit(group);
    m_editPlacePoints->setPlaceholderText(QStringLiteral("25 21 18 16 … eller slagna"));
    if (m_given.m_pointsForBeaten) {
        m_editPlacePoints->setText(QStringLiteral("slagna"));
    } else {
        QStringList points;
        for (const int p : m_given.m_placePoints)
            points << QString::number(p);
        m_editPlacePoints->setText(points.join(QLatin1Char(' ')));
    }
    m_labelPlacePoints = new QLabel(group);
    m_labelPlacePoints->setWordWrap(true);
    table->addWidget(m_editPlacePoints, 1);
    table->addWidget(m_labelPlacePoints, 1);
    form->addRow(QStringLiteral("Placeringspo&äng:"), table);
    m_spinOther = PointsBox(m_given.m_otherPoints, group);
    form->addRow(QStringLiteral("&Övriga placeringar:"), m_spinOther);
    m_spinEntry = PointsBox(m_given.m_entryPoints, group);
    form->addRow(QStringLiteral("D&eltagarpoäng:"), m_spinEntry);
    m_checkLowest = new QCheckBox(QStringLiteral("Lägst resultat vinner &omgången"), group);
    m_checkLowest->setChecked(m_given.m_lowestWins);
    form->addRow(QString(), m_checkLowest);
    m_labelPreview = new QLabel(group);
    m_labelPreview->setWordWrap(true);
    form->addRow(m_labelPreview);
    layout->addWidget(group, 0, Qt::AlignTop);

    connect(m_comboCounting, &QComboBox::currentIndexChanged, this, &CRulesDlg::UpdateCounting);
    connect(m_editPlacePoints, &QLineEdit::textChanged, this, &CRulesDlg::UpdateCounting);
    connect(m_spinOther, &QSpinBox::valueChanged, this, &CRulesDlg::UpdateCounting);
    connect(m_spinEntry, &QSpinBox::valueChanged, this, &CRulesDlg::UpdateCounting);
    connect(m_checkLowest, &QCheckBox::toggled, this, &CRulesDlg::UpdateCounting);
    UpdateCounting();
}

Counting CRulesDlg::ChosenCounting() const
{
    return static_cast<Counting>(m_comboCounting->currentData().toInt());
}

QString CRulesDlg::PlacePointsRefusal(CSeriesRules& rules) const
{
    rules.m_placePoints.clear();
    rules.m_pointsForBeaten = false;
    if (ChosenCounting() != Counting::Placing)
        return {};
    // The rules file's own reading of the table, so the dialog refuses what the file would.
    CSeriesRules read;
    CRulesRefusal refusal;
    const std::string text =
        "r\xC3\xA4kning = placering\nplaceringspo\xC3\xA4ng = " + m_editPlacePoints->text().simplified().toStdString() +
        "\n";
    if (!ParseSeriesRules(text, read, refusal))
        return BuiltInText(refusal.m_message);
    rules.m_placePoints = read.m_placePoints;
    rules.m_pointsForBeaten = read.m_pointsForBeaten;
    return {};
}

void CRulesDlg::CountingInto(CSeriesRules& rules) const
{
    const Counting counting = ChosenCounting();
    rules.m_counting = counting;
    PlacePointsRefusal(rules);
    const bool placing = counting == Counting::Placing;
    rules.m_otherPoints = placing ? PointsOf(m_spinOther, m_given.m_otherPoints) : std::nullopt;
    rules.m_entryPoints =
        placing || counting == Counting::Points ? PointsOf(m_spinEntry, m_given.m_entryPoints) : std::nullopt;
    rules.m_lowestWins = (placing || counting == Counting::Place) && m_checkLowest->isChecked();
}

void CRulesDlg::UpdateCounting()
{
    const Counting counting = ChosenCounting();
    const bool placing = counting == Counting::Placing;
    m_editPlacePoints->setEnabled(placing);
    m_spinOther->setEnabled(placing);
    m_spinEntry->setEnabled(placing || counting == Counting::Points);
    m_checkLowest->setEnabled(placing || counting == Counting::Place);
    CSeriesRules rules;
    m_labelPlacePoints->setText(PlacePointsRefusal(rules));
    UpdatePreview();
}

void CRulesDlg::ShowPreview(const CTournament& tournament)
{
    // Round 1 alone is counted, however long the tournament.
    m_preview = std::make_unique<CTournament>();
    m_preview->m_players = tournament.m_players;
    m_preview->m_encoding = tournament.m_encoding;
    if (!tournament.m_rounds.empty())
        m_preview->m_rounds.push_back(tournament.m_rounds.front());
    UpdatePreview();
}

void CRulesDlg::UpdatePreview()
{
    if (!m_preview || m_preview->m_rounds.empty() || m_preview->m_rounds.front().m_results.empty()) {
        m_labelPreview->clear();
        return;
    }
    CSeriesRules rules = m_given;
    CountingInto(rules);
    if (!PlacePointsRefusal(rules).isEmpty()) {
        m_labelPreview->setText(QStringLiteral("Omgång 1: rätta placeringspoängen först."));
        return;
    }
    const CCounting counting(*m_preview, rules);
    const std::vector<CResult>& results = m_preview->m_rounds.front().m_results;
    QStringList shown;
    for (std::size_t i = 0; i < std::min<std::size_t>(results.size(), 3); ++i) {
        QString text = ToQString(m_preview->PlayerName(results[i]), m_preview->m_encoding) + QLatin1Char(' ') +
                       QString::number(results[i].m_points);
        if (rules.m_counting == Counting::Strokes)
            text += QStringLiteral(" slag");
        if (!counting.Plain())
            text += QStringLiteral(" → plats %1").arg(counting.Place(0, i));
        if (rules.m_counting != Counting::Strokes)
            text += QStringLiteral(" → %1 p").arg(counting.Points(0, i));
        shown << text;
    }
    m_labelPreview->setText(QStringLiteral("Omgång 1: ") + shown.join(QStringLiteral("; ")));
}

bool CRulesDlg::CountingAccepted()
{
    CSeriesRules rules;
    const QString refused = PlacePointsRefusal(rules);
    if (refused.isEmpty())
        return true;
    m_platform.ErrorBox(this, refused);
    m_editPlacePoints->setFocus();
    m_editPlacePoints->selectAll();
    return false;
}
