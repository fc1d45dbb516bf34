// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogBase.h"

#include "ui/Controls.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPushButton>

Q_LOGGING_CATEGORY(lcTrace, "ravelmark.trace", QtInfoMsg)

void Trace(const char* line)
{
    qCDebug(lcTrace, "%s", line);
}

CDialogBase::CDialogBase(int templateId, QWidget* parent)
    : QDialog(parent)
    , m_template(templateId)
{
    m_template.Build(*this);
}

int CDialogBase::DoModal()
{
    InitDialog();
    return exec();
}

void CDialogBase::InitDialog()
{
    if (m_initialized)
        return;
    m_initialized = true;
    DoDataExchange();
    OnInitDialog();
}

void CDialogBase::EndDialog(int result)
{
    m_ending = true;
    done(result);
}

void CDialogBase::OnOK()
{
    Trace((QByteArray("--- ") + metaObject()->className() + "::OnOK()\n").constData());
}

void CDialogBase::OnCancel()
{
    Trace((QByteArray("--- ") + metaObject()->className() + "::OnCancel()\n").constData());
}

void CDialogBase::ReleaseControls()
{
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    for (CListView* list : findChildren<CListView*>())
        list->SetSource({}, {});
}

void CDialogBase::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        OnCancel();
        return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        else
            OnOK();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CDialogBase::closeEvent(QCloseEvent* event)
{
    if (m_ending) {
        event->accept();
        return;
    }
    // The dialog decides; it ends only through EndDialog.
    event->ignore();
    OnClose();
}

void CDialogBase::reject()
{
    // Reached by Escape through QDialog's own handling; never ends the dialog.
    OnCancel();
}
