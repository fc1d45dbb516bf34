#include "Controls.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

#include <limits>

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

CListView::CListView(QWidget* parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setColumnCount(0);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The selection stays visible while another control has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CListView::OnSelectionChanged);
}

void CListView::InsertColumn(int column, const QString& header, Qt::Alignment alignment, int width)
{
    if (columnCount() <= column)
        setColumnCount(column + 1);
    QTreeWidgetItem* headerItem = this->headerItem();
    headerItem->setText(column, header);
    headerItem->setTextAlignment(column, alignment | Qt::AlignVCenter);
    setColumnWidth(column, width);
    m_columnAlignment.resize(std::max<qsizetype>(m_columnAlignment.size(), column + 1));
    m_columnAlignment[column] = alignment;
}

void CListView::InsertItem(int row, const QString& text)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, text);
    for (int c = 0; c < m_columnAlignment.size(); ++c)
        item->setTextAlignment(c, m_columnAlignment[c] | Qt::AlignVCenter);
    insertTopLevelItem(row, item);
}

void CListView::SetItemText(int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

QString CListView::GetItemText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

int CListView::GetItemCount() const
{
    return topLevelItemCount();
}

void CListView::DeleteAllItems()
{
    clear();
    m_selectionMark = -1;
}

int CListView::ClientWidth() const
{
    // Also right before the list is first shown, when the viewport has no size yet.
    const_cast<CListView*>(this)->ensurePolished();
    return contentsRect().width();
}

void CListView::OnSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    // Deselecting (a click on the empty area) keeps the mark, as the platform's list does.
    if (!selected.isEmpty())
        m_selectionMark = indexOfTopLevelItem(selected.first());
}

void CListView::mousePressEvent(QMouseEvent* event)
{
    m_leftPressed = event->button() == Qt::LeftButton;
    QTreeWidget::mousePressEvent(event);
}

void CListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_leftPressed && viewport()->rect().contains(event->position().toPoint()))
        emit clicked();
    m_leftPressed = false;
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
    bool Fits(const QString& text) const
    {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect contents =
            style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
        // QLineEdit keeps a margin of 2 pixels on each side and scrolls once the text
        // plus one pixel is wider than what is left.
        const int room = contents.width() - 2 * 2;
        return qRound(QFontMetricsF(font()).horizontalAdvance(text)) + 1 <= room;
    }

    bool m_userEdit = false;
    QString m_before;

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
                m_before = text();
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
        return metrics.horizontalAdvance(input) <= metrics.horizontalAdvance(m_edit->m_before) ? Acceptable : Invalid;
    }

private:
    CComboEdit* m_edit;
};

} // namespace

CComboBox::CComboBox(bool sorted, QWidget* parent)
    : QComboBox(parent)
    , m_sorted(sorted)
    , m_collator(QLocale(QLocale::Swedish, QLocale::Sweden))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto* edit = new CComboEdit(this);
    edit->setPalette(palette());
    edit->setValidator(new CFitValidator(edit));
    setLineEdit(edit);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setCompleter(nullptr);
    connect(this, &QComboBox::activated, this, &CComboBox::selectionChanged);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBox::textEdited);
}

void CComboBox::AddString(const QString& text)
{
    AddStrings({text});
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

void CComboBox::SetText(const QString& text)
{
    lineEdit()->setText(text);
}

QString CComboBox::Text() const
{
    return lineEdit()->text();
}
