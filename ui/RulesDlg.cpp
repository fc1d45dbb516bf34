// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the series rules, and the dialog it opens.
#include "ui/RulesDlg.h"

#include "files/QtText.h"
#include "ui/HandicapBox.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"
#include "ui/UndoSteps.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

const std::pair<Tiebreak, const char*> kCriteria[] = {
    {Tiebreak::Wins, "segrar: flest omgångssegrar"},
    {Tiebreak::Highest, "högsta: högsta enskilda omgång"},
    {Tiebreak::Dropped, "struket: högsta strukna resultat"},
    {Tiebreak::Latest, "senaste: poängen i senaste omgångarna"},
};

QSpinBox* CountBox(const QString& none, const std::optional<int>& value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, INT_MAX);
    box->setSpecialValueText(none);
    box->setValue(value.value_or(0));
    box->setAccelerated(true);
    return box;
}

std::optional<int> CountOf(const QSpinBox* box)
{
    return box->value() > 0 ? std::optional<int>(box->value()) : std::nullopt;
}

} // namespace

CRulesDlg::CRulesDlg(const CSeriesRules& rules, const QString& refused, CPlatform& platform, QWidget* parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_given(rules)
{
    setWindowTitle(QStringLiteral("Regler"));
    auto* layout = new QVBoxLayout(this);
    if (!refused.isEmpty()) {
        m_labelRefused =
            new QLabel(QStringLiteral("Regelfilen avvisades och gäller inte:\n%1\nOK skriver den på nytt med "
                                      "reglerna här.")
                           .arg(refused),
                       this);
        m_labelRefused->setWordWrap(true);
        layout->addWidget(m_labelRefused);
    }
    auto* form = new QFormLayout;
    m_spinBest = CountBox(QStringLiteral("alla"), rules.m_best, this);
    m_spinPlanned = CountBox(QStringLiteral("ej bestämt"), rules.m_planned, this);
    m_spinMinimum = CountBox(QStringLiteral("inget krav"), rules.m_minimum, this);
    form->addRow(QStringLiteral("&Bästa omgångar som räknas:"), m_spinBest);
    form->addRow(QStringLiteral("&Planerade omgångar:"), m_spinPlanned);
    form->addRow(QStringLiteral("&Minst spelade för placering:"), m_spinMinimum);
    layout->addLayout(form);

    auto* criteriaLabel =
        new QLabel(QStringLiteral("&Lika summa skiljs av, uppifrån (bocka för de som gäller):"), this);
    layout->addWidget(criteriaLabel);
    auto* row = new QHBoxLayout;
    m_listCriteria = new QListWidget(this);
    criteriaLabel->setBuddy(m_listCriteria);
    // The criteria in force first, in their order; the others after them.
    std::vector<Tiebreak> order = rules.m_tiebreak;
    for (const auto& [criterion, text] : kCriteria) {
        if (std::find(order.begin(), order.end(), criterion) == order.end())
            order.push_back(criterion);
    }
    for (Tiebreak criterion : order) {
        const auto* known = std::find_if(std::begin(kCriteria), std::end(kCriteria),
                                         [criterion](const auto& c) { return c.first == criterion; });
        auto* item = new QListWidgetItem(QString::fromUtf8(known->second), m_listCriteria);
        item->setData(Qt::UserRole, static_cast<int>(criterion));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool inForce =
            std::find(rules.m_tiebreak.begin(), rules.m_tiebreak.end(), criterion) != rules.m_tiebreak.end();
        item->setCheckState(inForce ? Qt::Checked : Qt::Unchecked);
    }
    m_listCriteria->setCurrentRow(0);
    // All four at once, whole: nothing to scroll.
    m_listCriteria->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_listCriteria->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listCriteria->setFixedHeight(m_listCriteria->sizeHintForRow(0) * m_listCriteria->count() +
                                   2 * m_listCriteria->frameWidth());
    row->addWidget(m_listCriteria);
    auto* moves = new QVBoxLayout;
    m_btnUp = new QPushButton(QStringLiteral("&Upp"), this);
    m_btnDown = new QPushButton(QStringLiteral("&Ned"), this);
    m_btnUp->setAutoDefault(false);
    m_btnDown->setAutoDefault(false);
    moves->addWidget(m_btnUp);
    moves->addWidget(m_btnDown);
    moves->addStretch();
    row->addLayout(moves);
    layout->addLayout(row);

    m_checkChange = new QCheckBox(QStringLiteral("Visa &förändring sedan omgången före (+/−)"), this);
    m_checkChart = new QCheckBox(QStringLiteral("Visa &diagram över de tio främstas poäng"), this);
    m_checkChange->setChecked(rules.m_change);
    m_checkChart->setChecked(rules.m_chart);
    layout->addWidget(m_checkChange);
    layout->addWidget(m_checkChart);
    // The team table and the overall one, page options as the two above.
    auto* teams = new QFormLayout;
    m_spinTeam = CountBox(QStringLiteral("ingen lagtabell"), rules.m_team, this);
    m_spinTeam->setToolTip(QStringLiteral("Så många av lagets bästa resultat räknas i varje omgång"));
    teams->addRow(QStringLiteral("Lag, resultat som räknas per omg&ång:"), m_spinTeam);
    layout->addLayout(teams);
    m_checkOverall = new QCheckBox(QStringLiteral("&Visa totaltabellen också när klasser finns"), this);
    m_checkOverall->setChecked(rules.m_overall);
    layout->addWidget(m_checkOverall);

    // How each round counts and the handicap, side by side, so that the dialog stays within a
    // laptop screen's height.
    auto* groups = new QHBoxLayout;
    BuildCounting(groups);
    m_boxHandicap = new CHandicapBox(rules.m_handicap, this);
    groups->addWidget(m_boxHandicap, 0, Qt::AlignTop);
    layout->addLayout(groups);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_btnOK = buttons->button(QDialogButtonBox::Ok);
    m_btnCancel = buttons->button(QDialogButtonBox::Cancel);
    m_btnOK->setText(QStringLiteral("OK"));
    m_btnCancel->setText(QStringLiteral("Avbryt"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CRulesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CRulesDlg::reject);
    connect(m_btnUp, &QPushButton::clicked, this, [this] { MoveCriterion(-1); });
    connect(m_btnDown, &QPushButton::clicked, this, [this] { MoveCriterion(1); });
    connect(m_listCriteria, &QListWidget::currentRowChanged, this, &CRulesDlg::UpdateMoveButtons);
    UpdateMoveButtons();
    m_spinBest->setFocus();
}

CRulesDlg::~CRulesDlg() = default;

CSeriesRules CRulesDlg::Rules() const
{
    // The file's other keys, which the dialog does not show, stay as they are.
    CSeriesRules rules = m_given;
    rules.m_best = CountOf(m_spinBest);
    rules.m_planned = CountOf(m_spinPlanned);
    rules.m_minimum = CountOf(m_spinMinimum);
    rules.m_tiebreak.clear();
    for (int i = 0; i < m_listCriteria->count(); ++i) {
        const QListWidgetItem* item = m_listCriteria->item(i);
        if (item->checkState() == Qt::Checked)
            rules.m_tiebreak.push_back(static_cast<Tiebreak>(item->data(Qt::UserRole).toInt()));
    }
    rules.m_change = m_checkChange->isChecked();
    rules.m_chart = m_checkChart->isChecked();
    rules.m_team = CountOf(m_spinTeam);
    rules.m_overall = m_checkOverall->isChecked();
    CountingInto(rules);
    rules.m_handicap = m_boxHandicap->Rules();
    return rules;
}

void CRulesDlg::accept()
{
    // The rules file refuses these, so the dialog does too, and says where to mend.
    if (!CountingAccepted())
        return;
    const CSeriesRules rules = Rules();
    for (const auto& [value, box, text] : {std::tuple{rules.m_best, m_spinBest, "bästa omgångar"},
                                           std::tuple{rules.m_minimum, m_spinMinimum, "minst spelade"}}) {
        if (rules.m_planned && value > rules.m_planned) {
            m_platform.ErrorBox(this, QStringLiteral("Antalet %1 får inte vara större än de planerade omgångarna.")
                                          .arg(QString::fromUtf8(text)));
            box->setFocus();
            box->selectAll();
            return;
        }
    }
    if (!m_boxHandicap->Check(m_platform))
        return;
    // Whatever else the file would refuse, the dialog refuses too: the keys it writes must read back.
    CSeriesRules read;
    CRulesRefusal refusal;
    if (!ParseSeriesRules(SeriesRulesText(rules), read, refusal)) {
        m_platform.ErrorBox(this, BuiltInText(refusal.m_message));
        m_comboCounting->setFocus();
        return;
    }
    QDialog::accept();
}

void CRulesDlg::MoveCriterion(int by)
{
    const int from = m_listCriteria->currentRow(), to = from + by;
    if (from < 0 || to < 0 || to >= m_listCriteria->count())
        return;
    QListWidgetItem* item = m_listCriteria->takeItem(from);
    m_listCriteria->insertItem(to, item);
    m_listCriteria->setCurrentRow(to);
}

void CRulesDlg::UpdateMoveButtons()
{
    const int row = m_listCriteria->currentRow();
    m_btnUp->setEnabled(row > 0);
    m_btnDown->setEnabled(row >= 0 && row + 1 < m_listCriteria->count());
}

void CRavelmarkDlg::OnRules()
{
    // What is on disk now: the file may have been mended or changed since the tournament was read.
    const CFileResult& read = m_doc.ReloadRules();
    CRulesDlg dialog(m_doc.Rules(), read.Ok() ? QString() : ResultMessage(read, m_doc.Encoding()), m_platform, this);
    dialog.ShowPreview(m_doc.Tournament());
    if (dialog.exec() != QDialog::Accepted)
        return;
    CRulesStep::Bytes before = m_doc.RulesFileBytes();
    if (!ShowResult(m_doc.SetRules(dialog.Rules())))
        return;
    // One step of the window's undo, which puts the file back as it was.
    if (CRulesStep::Bytes after = m_doc.RulesFileBytes(); after != before)
        m_undo.push(new CRulesStep(
            m_doc, std::move(before), std::move(after), [this](const CFileResult& result) { ShowResult(result); }, true,
            QStringLiteral("Ändra regler")));
}
