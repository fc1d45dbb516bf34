// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PasteResultsDlg.h"

#include "model/Encoding.h"

#include <QComboBox>
#include <QConcatenateTablesProxyModel>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QColor ToneBackground(CResultImport::Tone tone)
{
    switch (tone) {
    case CResultImport::Tone::Known:
        return {0xD4, 0xED, 0xDA};
    case CResultImport::Tone::New:
        return {0xD6, 0xE4, 0xF5};
    case CResultImport::Tone::Look:
        return {0xFD, 0xE8, 0xB4};
    case CResultImport::Tone::Refused:
        return {0xF5, 0xC6, 0xCB};
    case CResultImport::Tone::Idle:
        break;
    }
    return {0xEE, 0xEE, 0xEE};
}

class CPasteResultsDlg::CRows : public QAbstractTableModel
{
public:
    CRows(CPasteResultsDlg& dlg)
        : QAbstractTableModel(&dlg)
        , m_dlg(dlg)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_words.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const kHeaders[kColumns] = {"Inklistrat", "Spelare", "Po\xC3\xA4ng", "G\xC3\xB6r"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
            return {};
        return QString::fromUtf8(kHeaders[section]);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const CResultImport::CRow& row = Row(index);
        if (index.column() == kPasted && !row.m_refusal)
            flags |= Qt::ItemIsUserCheckable;
        if (index.column() == kPlayer && !row.m_refusal)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const CResultImport::CRow& row = Row(index);
        const CResultImport::CWord& word = m_words[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            switch (index.column()) {
            case kPasted:
                return FromUtf8(row.m_name);
            case kPlayer:
                return row.m_refusal ? QString() : FromUtf8(m_dlg.m_import->TargetName(row));
            case kPoints:
                return FromUtf8(row.m_pointsText);
            default:
                return FromUtf8(word.m_text);
            }
        case Qt::CheckStateRole:
            if (index.column() == kPasted)
                return CResultImport::Entered(row) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::BackgroundRole:
            return QBrush(ToneBackground(word.m_tone));
        case Qt::ForegroundRole:
            return QBrush(word.m_tone == CResultImport::Tone::Idle ? QColor(0x60, 0x60, 0x60) : QColor(Qt::black));
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || !(flags(index) & (Qt::ItemIsUserCheckable | Qt::ItemIsEditable)))
            return false;
        CResultImport::CRow& row = m_dlg.m_import->Rows()[static_cast<std::size_t>(index.row())];
        if (role == Qt::CheckStateRole && index.column() == kPasted) {
            row.m_ticked = value.value<Qt::CheckState>() == Qt::Checked;
        } else if (role == Qt::EditRole && index.column() == kPlayer) {
            // The pasted name as it is, or a known player; nothing else is a player to send it to.
            const QString name = value.toString().trimmed();
            std::string bytes;
            PlayerId player = 0;
            if (name == FromUtf8(row.m_name))
                row.m_player = row.m_exact;
            else if (ToTournamentText(name.toStdString(), m_dlg.m_tournament.m_encoding, bytes) &&
                     m_dlg.m_tournament.m_players.Find(bytes, player))
                row.m_player = player;
            else
                return false;
        } else {
            return false;
        }
        Refresh();
        return true;
    }

    // What the rows do, worked out again: a change of one row may change another's word.
    void Refresh()
    {
        m_words = m_dlg.m_import->Words(m_dlg.m_round);
        if (!m_words.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
        m_dlg.UpdateSummary();
    }

    void Reset()
    {
        beginResetModel();
        m_words = m_dlg.m_import->Words(m_dlg.m_round);
        endResetModel();
        m_dlg.UpdateSummary();
    }

    const std::vector<CResultImport::CWord>& Words() const { return m_words; }

private:
    const CResultImport::CRow& Row(const QModelIndex& index) const
    {
        return m_dlg.m_import->Rows()[static_cast<std::size_t>(index.row())];
    }

    CPasteResultsDlg& m_dlg;
    std::vector<CResultImport::CWord> m_words;
};

// A row's player: a box with the pasted name first, then the known players.
class CPasteResultsDlg::CPlayerDelegate : public QStyledItemDelegate
{
public:
    CPlayerDelegate(QAbstractItemModel* names, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_names(names)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // Nothing measured per entry: a tournament may have many players.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        auto* entries = new QConcatenateTablesProxyModel(box);
        auto* pasted = new QStringListModel({index.siblingAtColumn(kPasted).data().toString()}, box);
        entries->addSourceModel(pasted);
        if (m_names)
            entries->addSourceModel(m_names);
        box->setModel(entries);
        // A pick from the list is the choice made. Enter, which picks too, then goes no further.
        connect(box, &QComboBox::activated, this, [this, box] {
            auto* self = const_cast<CPlayerDelegate*>(this);
            if (box->property(kDone).toBool())
                return;
            box->setProperty(kDone, true);
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }
    bool eventFilter(QObject* editor, QEvent* event) override
    {
        if (editor->property(kDone).toBool())
            return true;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                editor->setProperty(kDone, true);
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(-1);
        box->setEditText(index.data().toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }

private:
    static constexpr const char* kDone = "ravelmarkDone";
    QAbstractItemModel* m_names;
};

CPasteResultsDlg::CPasteResultsDlg(const QString& text, const CRound& round, const CTournament& tournament,
                                   CNameMatcher& matcher, QAbstractItemModel* names,
                                   const CResultImport::CLimits& limits, QWidget* parent)
    : QDialog(parent)
    , m_table(ReadResultTable(text.toStdString(), ToUtf8(round.m_name, tournament.m_encoding)))
    , m_round(round)
    , m_tournament(tournament)
    , m_matcher(matcher)
    , m_limits(limits)
{
    setWindowTitle(QStringLiteral("Klistra in resultat"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Raderna förs in i omgången som med Lägg Till. Bocka ur det som inte "
                                            "ska med; dubbelklicka på en spelare för att välja en annan."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    if (m_table.m_columns > 2) {
        auto* form = new QFormLayout;
        m_comboNameColumn = new QComboBox(this);
        m_comboPointsColumn = new QComboBox(this);
        for (std::size_t c = 0; c < m_table.m_columns; ++c) {
            // A column by its heading, or else by its first field.
            const std::vector<std::string>& first =
                m_table.m_headings.empty() && !m_table.m_rows.empty() ? m_table.m_rows.front() : m_table.m_headings;
            const QString sample = c < first.size() ? FromUtf8(first[c]) : QString();
            const QString item = QStringLiteral("%1: %2").arg(c + 1).arg(sample);
            m_comboNameColumn->addItem(item);
            m_comboPointsColumn->addItem(item);
        }
        m_comboNameColumn->setCurrentIndex(static_cast<int>(m_table.m_nameColumn));
        m_comboPointsColumn->setCurrentIndex(static_cast<int>(m_table.m_pointsColumn));
        form->addRow(QStringLiteral("&Namn i kolumn:"), m_comboNameColumn);
        form->addRow(QStringLiteral("&Poäng i kolumn:"), m_comboPointsColumn);
        layout->addLayout(form);
        connect(m_comboNameColumn, &QComboBox::activated, this, &CPasteResultsDlg::TakeColumns);
        connect(m_comboPointsColumn, &QComboBox::activated, this, &CPasteResultsDlg::TakeColumns);
    }

    m_listRows = new QTableView(this);
    m_listRows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listRows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listRows->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_listRows->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_listRows->horizontalHeader()->setStretchLastSection(true);
    m_listRows->setItemDelegateForColumn(kPlayer, new CPlayerDelegate(names, this));
    m_import = std::make_unique<CResultImport>(m_table, tournament, matcher, limits);
    m_rows = new CRows(*this);
    m_listRows->setModel(m_rows);
    layout->addWidget(m_listRows, 1);

    m_labelSummary = new QLabel(this);
    layout->addWidget(m_labelSummary);
    auto* buttons = new QDialogButtonBox(this);
    m_btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_btnCancel = buttons->addButton(QStringLiteral("Avbryt"), QDialogButtonBox::RejectRole);
    m_btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_rows->Reset();
    const int width = m_listRows->fontMetrics().averageCharWidth();
    m_listRows->setColumnWidth(kPasted, 22 * width);
    m_listRows->setColumnWidth(kPlayer, 22 * width);
    m_listRows->setColumnWidth(kPoints, 7 * width);
    resize(80 * width, 36 * m_listRows->fontMetrics().height());
    m_listRows->setFocus();
    if (m_rows->rowCount() > 0)
        m_listRows->setCurrentIndex(m_rows->index(0, kPasted));
}

CPasteResultsDlg::~CPasteResultsDlg() = default;

void CPasteResultsDlg::TakeColumns()
{
    m_table.m_nameColumn = static_cast<std::size_t>(m_comboNameColumn->currentIndex());
    m_table.m_pointsColumn = static_cast<std::size_t>(m_comboPointsColumn->currentIndex());
    m_import = std::make_unique<CResultImport>(m_table, m_tournament, m_matcher, m_limits);
    m_rows->Reset();
}

void CPasteResultsDlg::UpdateSummary()
{
    const std::vector<CResultImport::CRow>& rows = m_import->Rows();
    const auto entered = std::count_if(rows.begin(), rows.end(), CResultImport::Entered);
    const auto refused = std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.m_refusal; });
    m_labelSummary->setText(
        QStringLiteral("%1 rader: %2 förs in, %3 avvisas.").arg(rows.size()).arg(entered).arg(refused));
    m_btnOK->setEnabled(entered > 0);
}
