// SPDX-License-Identifier: GPL-3.0-or-later
// The single-line field of the window and the editor.
#include "ui/Controls.h"

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

void CEditField::Restore(const QString& stored)
{
    const QSignalBlocker blocker(this);
    setText(stored);
    setCursorPosition(static_cast<int>(stored.size()));
}
