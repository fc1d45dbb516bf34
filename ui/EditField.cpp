// SPDX-License-Identifier: GPL-3.0-or-later
// The single-line field of the window and the editor.
#include "ui/Controls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QValidator>

#include <algorithm>
#include <limits>

// Refuses a change that adds a control character (a drop, an input method; pastes are guarded
// before): the file has no place for one inside a line. Text set by the program stays as it is.
class CControlValidator : public QValidator
{
public:
    explicit CControlValidator(CEditField* field)
        : QValidator(field)
        , m_field(field)
    {
    }

    State validate(QString& input, int&) const override
    {
        if (!HoldsControlChar(input) || Controls(input) <= Controls(m_field->m_shown))
            return Acceptable;
        QApplication::beep();
        return Invalid;
    }

private:
    static qsizetype Controls(const QString& text)
    {
        return std::count_if(text.begin(), text.end(), [](QChar c) { return HoldsControlChar(QStringView(&c, 1)); });
    }

    CEditField* m_field;
};

namespace {

class CCursorAtEnd : public QObject
{
public:
    explicit CCursorAtEnd(QLineEdit* field)
        : QObject(field)
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
            return false;
        // The field's own handling (which selects all when tabbed onto) first, then the cursor at the end.
        auto* field = static_cast<QLineEdit*>(watched);
        field->removeEventFilter(this);
        QCoreApplication::sendEvent(field, event);
        field->installEventFilter(this);
        field->deselect();
        field->end(false);
        return true;
    }
};

} // namespace

CEditField::CEditField(QWidget* parent)
    : QLineEdit(parent)
    , m_paste(new CPasteGuard(this, this, [this](const QString& text) { insert(text); }))
{
    // A title or a round name may be longer than Qt's default limit of 32767 characters.
    setMaxLength(std::numeric_limits<int>::max());
    setValidator(new CControlValidator(this));
    new CCursorAtEnd(this);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_shown = text;
        emit changed();
    });
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
    m_shown = stored;
    setText(stored);
    setCursorPosition(static_cast<int>(stored.size()));
}
