// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Controls.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

#include <limits>

QCollator NameCollator()
{
    QCollator collator(QLocale(QLocale::Swedish, QLocale::Sweden));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

CEditField::CEditField(QWidget* parent)
    : QLineEdit(parent)
{
    // A title or a round name may be longer than Qt's default limit of 32767 characters.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &CEditField::changed);
}

void CEditField::SetText(const QString& text)
{
    if (text == QLineEdit::text())
        emit changed();
    else
        setText(text);
}

void CEditField::Restore(const QString& stored)
{
    const QSignalBlocker blocker(this);
    setText(stored);
    setCursorPosition(static_cast<int>(stored.size()));
}

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
    UpdateTabStop();
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
    UpdateTabStop();
}

void CListView::Change(const std::function<void()>& change)
{
    ForgetSelection();
    const int before = GetItemCount();
    change();
    m_rows->Appended(before);
    m_rows->Changed(before);
    UpdateTabStop();
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
    UpdateTabStop();
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

void CListView::SkipWhileEmpty()
{
    m_skipWhileEmpty = true;
    UpdateTabStop();
}

void CListView::UpdateTabStop()
{
    if (m_skipWhileEmpty)
        setFocusPolicy(GetItemCount() > 0 ? Qt::StrongFocus : Qt::ClickFocus);
}

int CListView::ClientWidth() const
{
    // Also right before the list is first shown, when the viewport has no size yet.
    const_cast<CListView*>(this)->ensurePolished();
    return contentsRect().width();
}

void CListView::OnSelectionChanged()
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    // Deselecting (a click on the empty area) keeps the mark, as the platform's list does.
    if (!selected.isEmpty())
        m_selectionMark = selected.first().row();
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

namespace {

// The combo box's text field. It tells its validator whether a change comes from the user
// (typing, pasting, dropping) and what the text was before it.
class CComboEdit : public QLineEdit
{
public:
    explicit CComboEdit(QWidget* parent)
        : QLineEdit(parent)
    {
    }

    // True when `text` shows whole in the field without scrolling.
    bool Fits(const QString& text) const { return MissingWidth(text) == 0; }

    int MissingWidth(const QString& text) const
    {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect contents =
            style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
        // QLineEdit keeps a margin of 2 pixels on each side and scrolls once the text
        // plus one pixel is wider than what is left.
        const int room = contents.width() - 2 * 2;
        return std::max(0, qRound(QFontMetricsF(font()).horizontalAdvance(text)) + 1 - room);
    }

    // Whether the text ends in a completion the user has not taken yet: it is selected.
    bool Completing() const
    {
        return m_completedAt > 0 && hasSelectedText() && selectionStart() == m_completedAt &&
               selectionEnd() == text().size();
    }

    // After the user's edit, which left `edited`: completes what the user typed when the edit
    // added to its end, or shows what was typed.
    void Complete(const QString& edited, const std::function<QString(const QString&)>& find)
    {
        // The edit replaced or removed the selected completion: what was typed goes on from the
        // user's own letters, whose case the completion may have shown otherwise.
        QString typed = edited;
        if (m_wasCompleting && edited.startsWith(m_shownBefore.left(m_completedAt)))
            typed = m_typed + edited.mid(m_completedAt);
        const QString before = m_wasCompleting ? m_typed : m_before;
        m_completedAt = -1;
        const bool added =
            typed.size() > before.size() && typed.startsWith(before) && cursorPosition() == edited.size();
        const QString found = added ? find(typed) : QString();
        const bool userEdit = m_userEdit;
        m_userEdit = false; // what the program shows need not fit
        if (found.size() > typed.size()) {
            setText(found);
            setSelection(static_cast<int>(typed.size()), static_cast<int>(found.size() - typed.size()));
            m_typed = typed;
            m_completedAt = static_cast<int>(typed.size());
        } else if (edited != typed) {
            setText(typed);
        }
        m_userEdit = userEdit;
    }

    void ForgetCompletion() { m_completedAt = -1; }

    bool m_userEdit = false;
    QString m_before; // for the fit: what the user had typed before the change

protected:
    bool event(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::Drop:
        case QEvent::ContextMenu:
        case QEvent::MouseButtonRelease: {
            // Nested events (a context menu's own loop) keep the outermost text as "before".
            const bool outer = !m_userEdit;
            if (outer) {
                m_userEdit = true;
                m_wasCompleting = Completing();
                m_shownBefore = text();
                m_before = m_wasCompleting ? m_typed : text();
            }
            const bool result = QLineEdit::event(event);
            if (outer)
                m_userEdit = false;
            return result;
        }
        default:
            return QLineEdit::event(event);
        }
    }

private:
    QString m_typed;        // while completing: the user's own letters before the completion
    int m_completedAt = -1; // while completing: where the completion starts
    bool m_wasCompleting = false;
    QString m_shownBefore; // the text before the user's change
};

// Refuses a user's change that makes the text overflow the field. A change that does not
// make an overflowing text (set by the program) wider is let through, so it can be shortened.
class CFitValidator : public QValidator
{
public:
    explicit CFitValidator(CComboEdit* edit)
        : QValidator(edit)
        , m_edit(edit)
    {
    }

    State validate(QString& input, int&) const override
    {
        if (!m_edit->m_userEdit || m_edit->Fits(input))
            return Acceptable;
        const QFontMetricsF metrics(m_edit->font());
        if (metrics.horizontalAdvance(input) <= metrics.horizontalAdvance(m_edit->m_before))
            return Acceptable;
        // A refused key is heard, as in the platform's own fields.
        QApplication::beep();
        return Invalid;
    }

private:
    CComboEdit* m_edit;
};

} // namespace

CComboBox::CComboBox(bool sorted, QWidget* parent)
    : QComboBox(parent)
    , m_sorted(sorted)
    , m_collator(NameCollator())
{
    auto* edit = new CComboEdit(this);
    edit->setPalette(palette());
    edit->setValidator(new CFitValidator(edit));
    setLineEdit(edit);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setCompleter(nullptr);
    // Nothing is measured per entry: a box may offer a few hundred thousand names.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    connect(this, &QComboBox::activated, this, &CComboBox::selectionChanged);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBox::OnTextEdited);
}

void CComboBox::OnTextEdited(const QString& text)
{
    if (m_complete)
        static_cast<CComboEdit*>(lineEdit())->Complete(text, [this](const QString& typed) {
            return FindCompletion(typed);
        });
    emit textEdited();
}

QString CComboBox::FindCompletion(const QString& typed) const
{
    if (typed.isEmpty())
        return {};
    const QAbstractItemModel* entries = model();
    const QModelIndex root = rootModelIndex();
    const QString listed = FindIn(typed, entries->rowCount(root), [&](int row) {
        return entries->index(row, modelColumn(), root).data(Qt::EditRole).toString();
    });
    if (m_moreNames.isEmpty())
        return listed;
    const QString more =
        FindIn(typed, static_cast<int>(m_moreNames.size()), [this](int row) { return m_moreNames[row]; });
    // Of the two, the one in the typed letters' own case, then the first in the box's order.
    if (listed.isNull() || more.isNull())
        return listed.isNull() ? more : listed;
    if (listed.startsWith(typed) != more.startsWith(typed))
        return listed.startsWith(typed) ? listed : more;
    return m_collator.compare(more, listed) < 0 ? more : listed;
}

QString CComboBox::FindIn(const QString& typed, int count, const std::function<QString(int)>& entry) const
{
    // The entries that begin with `typed` follow the first one not before it.
    int first = 0;
    const int rows = count;
    while (count > 0) {
        const int half = count / 2;
        if (m_collator.compare(entry(first + half), typed) < 0) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    // Names equal but for case are different players: the one typed in its own case, if near.
    constexpr int kLook = 32;
    QString found;
    for (int row = first; row < rows && row < first + kLook; ++row) {
        QString name = entry(row);
        if (m_collator.compare(QStringView(name).left(typed.size()), typed) != 0)
            break;
        if (name.startsWith(typed))
            return name;
        if (found.isNull())
            found = name;
    }
    return found;
}

void CComboBox::AddCompletion(const QString& name)
{
    const auto at =
        std::lower_bound(m_moreNames.begin(), m_moreNames.end(), name,
                         [this](const QString& a, const QString& b) { return m_collator.compare(a, b) < 0; });
    for (auto same = at; same != m_moreNames.end() && m_collator.compare(*same, name) == 0; ++same)
        if (*same == name)
            return;
    m_moreNames.insert(at, name);
}

void CComboBox::AddStrings(const QStringList& texts)
{
    QStringList entries;
    entries.reserve(count() + texts.size());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    entries.append(texts);
    if (m_sorted) {
        // Swedish alphabetical order (å ä ö after z); equal entries keep the order they came in.
        std::stable_sort(entries.begin(), entries.end(),
                         [this](const QString& a, const QString& b) { return m_collator.compare(a, b) < 0; });
    }
    // Adding entries never changes the text the user sees (Qt would show the first entry).
    const QString kept = Text();
    const QSignalBlocker blocker(this);
    clear();
    addItems(entries);
    setCurrentIndex(-1);
    lineEdit()->setText(kept);
}

void CComboBox::SetListModel(QAbstractItemModel* model)
{
    const QString kept = Text();
    const QSignalBlocker blocker(this);
    setModel(model);
    setCurrentIndex(-1);
    lineEdit()->setText(kept);
}

int CComboBox::MissingWidth(const QString& text) const
{
    // The field gets its place only when the box is first shown; measure it at that place.
    QStyleOptionComboBox option;
    initStyleOption(&option);
    lineEdit()->resize(
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).size());
    return static_cast<const CComboEdit*>(lineEdit())->MissingWidth(text);
}

void CComboBox::SetText(const QString& text)
{
    static_cast<CComboEdit*>(lineEdit())->ForgetCompletion();
    lineEdit()->setText(text);
}

QString CComboBox::Text() const
{
    return lineEdit()->text();
}
