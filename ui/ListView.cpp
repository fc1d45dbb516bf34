// SPDX-License-Identifier: GPL-3.0-or-later
// The report-style list of the window and the editor, over the caller's rows.
#include "ui/Controls.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

// The list's rows as a model over the caller's data.
class CListView::CRows : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The rows the view was told of: the source may hold more (a file read only in part)
    // until the next refill.
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_shown; }
    int SourceCount() const { return m_count ? m_count() : 0; }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        // Also guards a row that the source dropped before the view was told.
        if (!index.isValid() || index.row() >= rowCount() || index.row() >= SourceCount() || !m_text)
            return {};
        if (role == Qt::DisplayRole)
            return m_text(index.row(), index.column());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_alignment.value(index.column()) | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_headers[section];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_alignment[section] | Qt::AlignVCenter);
        return {};
    }

    void Reset(const std::function<void()>& change = {})
    {
        beginResetModel();
        if (change)
            change();
        m_shown = SourceCount();
        endResetModel();
    }
    void Appended(int before)
    {
        const int after = SourceCount();
        if (after > before) {
            beginInsertRows({}, before, after - 1);
            m_shown = after;
            endInsertRows();
        }
    }
    void Changed(int rows)
    {
        if (rows > 0)
            emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::DisplayRole});
    }
    void Remove(int row, const std::function<void()>& remove)
    {
        beginRemoveRows({}, row, row);
        remove();
        m_shown = SourceCount();
        endRemoveRows();
    }

    RowCount m_count;
    CellText m_text;
    int m_shown = 0;
    QStringList m_headers;
    QList<Qt::Alignment> m_alignment;
};

CListView::CListView(QWidget* parent)
    : QTableView(parent)
    , m_rows(new CRows(this))
{
    setModel(m_rows);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Every row has the one height, so none is measured.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FitRowHeight();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The selection stays visible while another control has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CListView::OnSelectionChanged);
}

void CListView::FitRowHeight()
{
    // The height the item delegate asks for a line of text in the list's font.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = QStringLiteral("Åg");
    option.features |= QStyleOptionViewItem::HasDisplay;
    const int height = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

void CListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FitRowHeight();
}

bool CListView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex name = indexAt(help->pos()).siblingAtColumn(0);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    // A name the column shows whole needs no tooltip; one it cuts short is read there.
    if (name.isValid() && itemDelegate()->sizeHint(option, name).width() > columnWidth(0))
        QToolTip::showText(help->globalPos(), name.data().toString(), viewport(), visualRect(indexAt(help->pos())));
    else
        QToolTip::hideText();
    return true;
}

QModelIndex CListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // A row is one item: Home and End go to the first and last row, left and right only scroll.
    switch (action) {
    case MoveHome:
    case MoveEnd:
        return QTableView::moveCursor(action, modifiers | Qt::ControlModifier);
    case MoveLeft:
    case MoveRight:
        horizontalScrollBar()->triggerAction(action == MoveLeft ? QAbstractSlider::SliderSingleStepSub
                                                                : QAbstractSlider::SliderSingleStepAdd);
        return currentIndex();
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void CListView::SetSource(RowCount count, CellText text)
{
    m_rows->Reset([&] {
        m_rows->m_count = std::move(count);
        m_rows->m_text = std::move(text);
    });
    m_selectionMark = -1;
}

void CListView::InsertColumn(int column, const QString& header, Qt::Alignment alignment, int width)
{
    m_rows->Reset([&] {
        m_rows->m_headers.resize(std::max<qsizetype>(m_rows->m_headers.size(), column + 1));
        m_rows->m_alignment.resize(m_rows->m_headers.size());
        m_rows->m_headers[column] = header;
        m_rows->m_alignment[column] = alignment;
    });
    setColumnWidth(column, width);
}

QString CListView::GetItemText(int row, int column) const
{
    return m_rows->index(row, column).data().toString();
}

int CListView::GetItemCount() const
{
    return m_rows->rowCount();
}

void CListView::ForgetSelection()
{
    selectionModel()->clear();
    m_selectionMark = -1;
}

void CListView::Refill()
{
    ForgetSelection();
    m_rows->Reset();
}

void CListView::Change(const std::function<void()>& change)
{
    ForgetSelection();
    const int before = GetItemCount();
    change();
    m_rows->Appended(before);
    m_rows->Changed(before);
}

void CListView::RemoveRow(int row, const std::function<void()>& remove)
{
    ForgetSelection();
    if (row < 0 || row >= GetItemCount()) {
        remove();
        m_rows->Reset();
    } else {
        m_rows->Remove(row, remove);
    }
}

void CListView::SelectRow(int row)
{
    const QModelIndex index = m_rows->index(row, 0);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void CListView::ScrollToRow(int row)
{
    // The scroll range follows new rows only at the next layout, which has to come first; the
    // scroll bars that the new range brings take their room later, and then the row is shown again.
    executeDelayedItemsLayout();
    const QPersistentModelIndex index = m_rows->index(row, 0);
    scrollTo(index, EnsureVisible);
    QTimer::singleShot(0, this, [this, index] {
        if (index.isValid())
            scrollTo(index, EnsureVisible);
    });
}

int CListView::ClientWidth() const
{
    // Also right before the list is first shown, when the viewport has no size yet.
    const_cast<CListView*>(this)->ensurePolished();
    return contentsRect().width();
}

void CListView::OnSelectionChanged()
{
    // The mark is the row selected: a click on the empty area leaves none, so that the buttons
    // that act on it are not left enabled on a row the user no longer sees selected.
    const QModelIndexList selected = selectionModel()->selectedRows();
    m_selectionMark = selected.isEmpty() ? -1 : selected.first().row();
}

void CListView::mousePressEvent(QMouseEvent* event)
{
    m_leftPressed = event->button() == Qt::LeftButton;
    QTableView::mousePressEvent(event);
}

void CListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_leftPressed && viewport()->rect().contains(event->position().toPoint()))
        emit clicked();
    m_leftPressed = false;
}

void CListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit deletePressed();
        return;
    }
    QTableView::keyPressEvent(event);
    // A move that stays on the row with the focus frame (Home on the first) selects it too.
    static const QList<int> kMoves = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                      Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    if (!selectionModel()->hasSelection() && currentIndex().isValid() && kMoves.contains(event->key()))
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (selectionModel()->hasSelection())
        emit keySelected();
}
