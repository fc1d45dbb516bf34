// SPDX-License-Identifier: GPL-3.0-or-later
// The round editor's "Ta emot resultat": results the players send from their phones, waiting in
// the list "Förslag" until the keeper enters them (as "Lägg Till" would) or rejects them.
#include "ui/RoundDlgProposals.h"

#include "model/Encoding.h"
#include "server/PageServer.h"
#include "ui/Controls.h"
#include "ui/MobileDlg.h"
#include "ui/NameList.h"
#include "ui/PasteResultsDlg.h"
#include "ui/TextEntry.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// The panel's width beside the template's controls, in average characters.
constexpr int kPanelChars = 48;

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Enterable(const CProposal& proposal, const CResultImport::CWord& word)
{
    return proposal.m_state == CProposal::State::Waiting && word.m_tone != CResultImport::Tone::Refused;
}

// What "Godkänn alla kända" takes: a known player's result, new or the same as before.
bool KnownWord(const CResultImport::CWord& word)
{
    return word.m_tone == CResultImport::Tone::Known;
}

} // namespace

void CRoundDlg::InstallProposals()
{
    // Below the template's controls and beside them, never over them: the dialog grows.
    const QSize base = size();
    m_checkProposals = new QCheckBox(QStringLiteral("Ta emot resultat"), this);
    m_checkProposals->setToolTip(QStringLiteral("Spelarna skickar resultat från sina telefoner; du godkänner dem."));
    const QSize box = m_checkProposals->sizeHint();
    m_checkProposals->setGeometry(m_editName->x(), base.height(), box.width(), box.height());
    m_checkProposals->show();
    const int height = base.height() + box.height() + m_editName->x();
    setFixedSize(base.width(), height);
    m_proposals = new CProposalPanel(*this);
    m_proposals->setGeometry(base.width(), 0, fontMetrics().averageCharWidth() * kPanelChars, height);
    m_proposals->hide();
    connect(m_checkProposals, &QCheckBox::toggled, this, [this, base, height](bool on) {
        if (on && m_proposals->isHidden()) {
            setFixedSize(base.width() + m_proposals->width(), height);
            m_proposals->show();
        }
        m_proposals->Take(on);
    });
    // Closing the editor ends the round's code.
    connect(this, &QDialog::finished, m_proposals, [this] { m_proposals->Take(false); });
}

CProposalPanel::CProposalPanel(CRoundDlg& dlg)
    : QWidget(&dlg)
    , m_dlg(dlg)
{
    auto* layout = new QVBoxLayout(this);
    m_qr = new QLabel(this);
    m_qr->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_qr);
    m_address = new QLabel(this);
    m_address->setTextFormat(Qt::PlainText);
    m_address->setAlignment(Qt::AlignCenter);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_address->setWordWrap(true);
    layout->addWidget(m_address);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    layout->addWidget(m_text);
    auto* heading = new QLabel(QStringLiteral("Förslag:"), this);
    layout->addWidget(heading);
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(kColumns);
    m_list->setHeaderLabels(
        {QStringLiteral("Namn"), QStringLiteral("Poäng"), QStringLiteral("Gör"), QStringLiteral("Från")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->installEventFilter(this);
    heading->setBuddy(m_list);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    m_btnAccept = new QPushButton(QStringLiteral("Godkänn"), this);
    m_btnReject = new QPushButton(QStringLiteral("Avvisa"), this);
    m_btnAcceptKnown = new QPushButton(QStringLiteral("Godkänn alla kända"), this);
    for (QPushButton* button : {m_btnAccept, m_btnReject, m_btnAcceptKnown}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(m_btnAccept, &QPushButton::clicked, this, [this] { Accept(CurrentRow()); });
    connect(m_btnReject, &QPushButton::clicked, this, [this] { Reject(CurrentRow()); });
    connect(m_btnAcceptKnown, &QPushButton::clicked, this, &CProposalPanel::AcceptKnown);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CProposalPanel::UpdateButtons);
    const int width = fontMetrics().averageCharWidth();
    m_list->setColumnWidth(kName, 16 * width);
    m_list->setColumnWidth(kPoints, 6 * width);
    m_list->setColumnWidth(kWord, 14 * width);
    // Proposals that arrive together are shown together; the window never waits for a phone.
    m_arrivals.setSingleShot(true);
    m_arrivals.setInterval(50);
    connect(&m_arrivals, &QTimer::timeout, this, &CProposalPanel::Refresh);
    UpdateButtons();
}

CProposalPanel::~CProposalPanel()
{
    if (m_box && m_host.m_owner)
        m_box->End();
}

void CProposalPanel::Take(bool on)
{
    if (!on) {
        if (m_box && m_host.m_owner)
            m_box->End();
        m_url.clear();
        m_qrImage = QImage();
        m_qr->clear();
        m_address->setText(QStringLiteral("Tar inte emot resultat."));
        m_text->clear();
        return;
    }
    m_host = m_dlg.m_proposalHost ? m_dlg.m_proposalHost() : CRoundDlg::CProposalHost{};
    if (!m_host.m_server || !m_host.m_owner) {
        m_address->setText(m_host.m_problem.isEmpty() ? QStringLiteral("Resultat kan inte tas emot här.")
                                                      : m_host.m_problem);
        const QSignalBlocker quiet(m_dlg.m_checkProposals);
        m_dlg.m_checkProposals->setChecked(false);
        return;
    }
    if (m_box != &m_host.m_server->Proposals()) {
        m_box = &m_host.m_server->Proposals();
        connect(
            m_box, &CProposalBox::arrived, this, [this] { m_arrivals.start(); }, Qt::QueuedConnection);
    }
    const TextEncoding encoding = m_dlg.m_text.Encoding();
    const std::string round = ToUtf8(m_dlg.m_round.m_name, encoding);
    m_box->SetLog(m_host.m_log);
    const std::string code = m_box->Open(round, OfferedNames(m_dlg.m_tournament), encoding);
    // What was still waiting when the program last ended comes back.
    m_box->RestoreFromLog(round);
    m_url = m_host.m_pageUrl + QStringLiteral("r/") + QString::fromStdString(code);
    m_qrImage = QrImage(m_url.toStdString());
    m_qr->setPixmap(QPixmap::fromImage(m_qrImage));
    m_address->setText(m_url);
    m_text->setText(QStringLiteral("Skanna för att rapportera resultat i %1. Det som skickas är förslag som du "
                                   "godkänner här; de går okrypterat över det lokala nätverket.")
                        .arg(FromUtf8(round)));
    Refresh();
}

void CProposalPanel::Refresh()
{
    if (!m_box || !m_host.m_owner)
        return;
    std::vector<CProposal> all = m_box->Proposals();
    // The waiting ones as the paste reads its rows, to be worded as it words them; a later one
    // for the same player replaces an earlier one.
    CResultImport::CLimits limits;
    limits.m_nameFits = [this](std::string_view name) { return m_dlg.m_comboName->MissingWidth(FromUtf8(name)) == 0; };
    limits.m_pointsFits = [this](std::string_view points) {
        return m_dlg.m_comboPoints->MissingWidth(FromUtf8(points)) == 0;
    };
    std::vector<CResultImport::CWord> waitingWords;
    std::vector<std::size_t> waiting;
    for (int pass = 0; pass < 2; ++pass) {
        CResultTable table;
        table.m_columns = 2;
        waiting.clear();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].m_state == CProposal::State::Waiting) {
                waiting.push_back(i);
                table.m_rows.push_back({all[i].m_name, all[i].m_points});
            }
        }
        const CResultImport import(table, m_dlg.m_tournament, m_dlg.m_players.Matcher(), limits);
        waitingWords = import.Words(m_dlg.m_round);
        bool replaced = false;
        for (std::size_t w = 0; w < waiting.size(); ++w) {
            if (waitingWords[w].m_text.starts_with("ers\xC3\xA4tts av rad")) {
                m_box->Decide(all[waiting[w]].m_id, CProposal::State::Replaced);
                all[waiting[w]].m_state = CProposal::State::Replaced;
                replaced = true;
            }
        }
        if (!replaced)
            break;
    }
    std::vector<CResultImport::CWord> words(all.size());
    for (std::size_t w = 0; w < waiting.size(); ++w)
        words[waiting[w]] = waitingWords[w];
    for (std::size_t i = 0; i < all.size(); ++i) {
        const CProposal& p = all[i];
        if (p.m_state == CProposal::State::Rejected)
            words[i] = {CResultImport::Tone::Refused, p.m_reason.empty() ? "avvisat" : "avvisat: " + p.m_reason};
        else if (p.m_state != CProposal::State::Waiting)
            words[i] = {CResultImport::Tone::Idle, StateWord(p.m_state)};
    }
    // Waiting first, in the order they came; then the rest.
    std::vector<std::size_t> order(all.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t i) { return all[i].m_state == CProposal::State::Waiting; });
    const QTreeWidgetItem* current = m_list->currentItem();
    const std::string selected = current && CurrentRow() < static_cast<int>(m_shown.size())
                                     ? m_shown[static_cast<std::size_t>(CurrentRow())].m_id
                                     : std::string();
    m_shown.clear();
    m_words.clear();
    for (std::size_t i : order) {
        m_shown.push_back(all[i]);
        m_words.push_back(words[i]);
    }
    // Every text from a phone is shown as plain text: an item never reads markup.
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    int select = -1;
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        const CProposal& p = m_shown[i];
        const CResultImport::CWord& word = m_words[i];
        auto* item = new QTreeWidgetItem;
        item->setText(kName, FromUtf8(p.m_name));
        item->setText(kPoints, FromUtf8(p.m_points));
        item->setText(kWord, FromUtf8(word.m_text));
        item->setText(kFrom, QString::fromStdString(p.m_address) + QLatin1Char(' ') +
                                 QDateTime::fromSecsSinceEpoch(p.m_time).toString(QStringLiteral("HH:mm")));
        const QColor text = word.m_tone == CResultImport::Tone::Refused ? QColor(0xA0, 0, 0)
                            : word.m_tone == CResultImport::Tone::Idle  ? QColor(0x60, 0x60, 0x60)
                                                                        : QColor(Qt::black);
        for (int c = 0; c < kColumns; ++c) {
            item->setBackground(c, ToneBackground(word.m_tone));
            item->setForeground(c, text);
        }
        items.append(item);
        if (p.m_id == selected)
            select = static_cast<int>(i);
    }
    m_list->addTopLevelItems(items);
    Select(select >= 0 ? select : 0);
}

int CProposalPanel::CurrentRow() const
{
    QTreeWidgetItem* item = m_list->currentItem();
    return item ? m_list->indexOfTopLevelItem(item) : -1;
}

void CProposalPanel::Select(int row)
{
    if (row >= 0 && row < m_list->topLevelItemCount())
        m_list->setCurrentItem(m_list->topLevelItem(row));
    UpdateButtons();
}

void CProposalPanel::UpdateButtons()
{
    const int row = CurrentRow();
    const bool waiting = row >= 0 && row < static_cast<int>(m_shown.size()) &&
                         m_shown[static_cast<std::size_t>(row)].m_state == CProposal::State::Waiting;
    m_btnAccept->setEnabled(waiting &&
                            Enterable(m_shown[static_cast<std::size_t>(row)], m_words[static_cast<std::size_t>(row)]));
    m_btnReject->setEnabled(waiting);
    bool known = false;
    for (std::size_t i = 0; i < m_shown.size() && !known; ++i)
        known = Enterable(m_shown[i], m_words[i]) && KnownWord(m_words[i]);
    m_btnAcceptKnown->setEnabled(known);
}

bool CProposalPanel::Accept(int row)
{
    if (row < 0 || row >= static_cast<int>(m_shown.size()) ||
        !Enterable(m_shown[static_cast<std::size_t>(row)], m_words[static_cast<std::size_t>(row)])) {
        QApplication::beep();
        return false;
    }
    if (!m_host.m_owner)
        return false;
    const CProposal proposal = m_shown[static_cast<std::size_t>(row)];
    // Through "Lägg Till" itself: its checks, "Menar du …?" and the question about the encoding.
    const QString name = m_dlg.m_comboName->Text(), points = m_dlg.m_comboPoints->Text();
    m_dlg.m_comboName->SetText(FromUtf8(proposal.m_name));
    m_dlg.m_comboPoints->SetText(FromUtf8(proposal.m_points));
    // A result of its own: never the correction of one the keeper loaded by "Redigera".
    const std::optional<PlayerId> editing = std::exchange(m_dlg.m_editing, std::nullopt);
    m_dlg.OnAddResult();
    // Entered when "Lägg Till" emptied the boxes; refused, they show where to mend it.
    if (!m_dlg.m_comboName->Text().isEmpty() || !m_dlg.m_comboPoints->Text().isEmpty())
        return false;
    // What the keeper had begun to type stays, and what was loaded for a correction.
    m_dlg.m_comboName->SetText(name);
    m_dlg.m_comboPoints->SetText(points);
    m_dlg.m_editing = editing;
    m_box->Decide(proposal.m_id, CProposal::State::Accepted);
    m_box->SetEncoding(m_dlg.m_text.Encoding());
    Refresh();
    // The next waiting proposal, for the next Enter.
    Select(0);
    m_list->setFocus();
    return true;
}

void CProposalPanel::AcceptKnown()
{
    std::vector<std::string> ids;
    bool changes = false;
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        if (Enterable(m_shown[i], m_words[i]) && KnownWord(m_words[i])) {
            ids.push_back(m_shown[i].m_id);
            changes = changes || m_words[i].m_text != "samma som f\xC3\xB6rut";
        }
    }
    if (ids.empty()) {
        QApplication::beep();
        return;
    }
    // One step of undo for them all (none when nothing changes).
    if (changes)
        m_dlg.m_undo.beginMacro(QStringLiteral("Godkänn %1 förslag").arg(ids.size()));
    for (const std::string& id : ids) {
        const auto at = std::find_if(m_shown.begin(), m_shown.end(), [&](const CProposal& p) { return p.m_id == id; });
        if (at != m_shown.end())
            Accept(static_cast<int>(at - m_shown.begin()));
    }
    if (changes)
        m_dlg.m_undo.endMacro();
}

void CProposalPanel::Reject(int row)
{
    if (row < 0 || row >= static_cast<int>(m_shown.size()) ||
        m_shown[static_cast<std::size_t>(row)].m_state != CProposal::State::Waiting || !m_host.m_owner) {
        QApplication::beep();
        return;
    }
    m_box->Decide(m_shown[static_cast<std::size_t>(row)].m_id, CProposal::State::Rejected);
    Refresh();
    Select(row);
    m_list->setFocus();
}

bool CProposalPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                Accept(CurrentRow());
                return true;
            }
            if (key->key() == Qt::Key_Delete) {
                Reject(CurrentRow());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
