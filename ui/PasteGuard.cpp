// SPDX-License-Identifier: GPL-3.0-or-later
// What reaches a text box by pasting: never a tab or a line break, which no line of the
// tournament file can hold.
#include "ui/Controls.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <memory>

namespace {

bool IsPasteKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Paste) || (key->key() == Qt::Key_Insert && key->modifiers() == Qt::ShiftModifier);
}

// The paste command of a line edit's standard menu: named so from Qt 6.5 on; before, the sixth
// entry of an editable field's menu (undo, redo, a separator, cut, copy, paste).
QAction* PasteAction(const QMenu& menu)
{
    if (auto* named = menu.findChild<QAction*>(QStringLiteral("edit-paste")))
        return named;
    const QList<QAction*> actions = menu.actions();
    return actions.size() > 5 && actions[2]->isSeparator() ? actions[5] : nullptr;
}

} // namespace

bool HoldsControlChar(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

CPasteGuard::CPasteGuard(QWidget* box, QLineEdit* edit, std::function<void(const QString&)> insert)
    : QObject(box)
    , m_box(box)
    , m_edit(edit)
    , m_insert(std::move(insert))
{
    // A combo box takes the keys and the keyboard's menu itself and hands them to its field
    // directly, past the field's filters: both are watched.
    box->installEventFilter(this);
    if (edit != box)
        edit->installEventFilter(this);
}

CPasteGuard* CPasteGuard::Of(QWidget* boxOrEdit)
{
    // A guard belongs to its box; a combo box's field is the box's child.
    if (auto* guard = boxOrEdit->findChild<CPasteGuard*>(QString(), Qt::FindDirectChildrenOnly))
        return guard;
    QWidget* box = boxOrEdit->parentWidget();
    auto* guard = box ? box->findChild<CPasteGuard*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return guard && guard->m_edit == boxOrEdit ? guard : nullptr;
}

void CPasteGuard::TakeOverPaste(QMenu& menu)
{
    if (QAction* paste = PasteAction(menu)) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, [this] { Paste(false); });
    }
}

bool CPasteGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            // The keyboard's menu by Shift+F10 as by the Menu key, which not every platform gives.
            const QPoint at = m_edit->rect().center();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, m_edit->mapToGlobal(at));
            QApplication::sendEvent(m_edit, &menu);
            return true;
        }
        if (!IsPasteKey(key) || m_edit->isReadOnly())
            return false;
        Paste(false);
        return true;
    }
    case QEvent::ContextMenu: {
        if (watched != m_edit) {
            // The menu Menu or Shift+F10 asks of the combo box is its field's, with whatever
            // else watches the field.
            QApplication::sendEvent(m_edit, event);
            return true;
        }
        auto* menu = m_edit->createStandardContextMenu();
        TakeOverPaste(*menu);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::MouseButtonRelease:
        // The middle button pastes the selection.
        if (watched != m_edit || static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton ||
            m_edit->isReadOnly() || !QApplication::clipboard()->supportsSelection())
            return false;
        Paste(true);
        return true;
    default:
        return false;
    }
}

void CPasteGuard::Paste(bool selection)
{
    const QString text = QApplication::clipboard()->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
    // A cell copied from a spreadsheet ends in a line break: the cell alone is meant.
    const QString line = text.trimmed();
    if (line.isEmpty())
        return;
    if (!HoldsControlChar(line))
        m_insert(line);
    else if (m_block)
        m_block(text);
    else
        QApplication::beep(); // refused, as what does not fit is
    // The focus stays where it was: in the box.
}
