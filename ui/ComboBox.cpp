// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's combo boxes: a list to pick from, completion, and only what fits the box.
#include "ui/Controls.h"

#include <QApplication>
#include <QListView>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

QCollator NameCollator()
{
    QCollator collator(QLocale(QLocale::Swedish, QLocale::Sweden));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
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

    // Pastes `pasted` as the user's own change: it has to fit, as typing does.
    void InsertTyped(const QString& pasted)
    {
        const bool outer = !m_userEdit;
        if (outer)
            Begin();
        insert(pasted);
        if (outer)
            m_userEdit = false;
    }

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
            if (outer)
                Begin();
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
    void Begin()
    {
        m_userEdit = true;
        m_wasCompleting = Completing();
        m_shownBefore = text();
        m_before = m_wasCompleting ? m_typed : text();
    }

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
        if (!m_edit->m_userEdit)
            return Acceptable;
        // Nor can a name or points hold a control character (a drop; pastes are guarded before).
        if (HoldsControlChar(input) && !HoldsControlChar(m_edit->m_before)) {
            QApplication::beep();
            return Invalid;
        }
        if (m_edit->Fits(input))
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
    m_paste = new CPasteGuard(this, edit, [edit](const QString& text) { edit->InsertTyped(text); });
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
