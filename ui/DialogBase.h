// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Controls.h"
#include "ui/DialogTemplate.h"
#include "ui/Resource.h"

#include <QDialog>
#include <QPushButton>

#include <type_traits>

// A modal dialog built from a template, with the platform's dialog keys: Escape and Enter
// never end it (they reach OnCancel/OnOK), Enter on a focused push button presses it, and
// the close request (close box, system menu, Alt+F4) reaches OnClose, which alone may end it.
class CDialogBase : public QDialog
{
    Q_OBJECT
public:
    // The result every dialog ends with.
    static constexpr int IDCANCEL = 2;

    CDialogBase(int templateId, QWidget* parent);

    // Runs the dialog modally; OnInitDialog runs first, once the controls exist.
    int DoModal();
    // Runs OnInitDialog (once); for showing the dialog without a modal loop, as tests do.
    void InitDialog();

protected:
    // Binds the template's controls to the dialog's members, and their signals to its handlers;
    // runs once, right before OnInitDialog.
    virtual void DoDataExchange() {}
    virtual void OnInitDialog() {}
    // Enter outside a push button and Escape: a trace line ("--- CRoundDlg::OnOK()") and nothing else.
    virtual void OnOK();
    virtual void OnCancel();
    // The close request; call EndDialog to end the dialog.
    virtual void OnClose() { EndDialog(IDCANCEL); }
    void EndDialog(int result);
    // Cuts the controls' signals to this dialog and the lists' rows from its members. Derived
    // dialogs call it in their destructor: hiding the window while QDialog is destroyed moves
    // the focus and may make a control signal a handler, or a list read a row, of the part
    // already destroyed.
    void ReleaseControls();

    // Binds `control` to the template's control `id`.
    template <typename T>
    void DDX_Control(int id, T*& control) const
    {
        control = static_cast<T*>(m_template.Control(id));
    }
    // Binds it, and its notification (a button's or a list's click, an edit field's change, a
    // combo box's pick or edit by the user) to `handler`.
    template <typename T, typename Dialog>
    void DDX_Control(int id, T*& control, void (Dialog::*handler)())
    {
        DDX_Control(id, control);
        if constexpr (std::is_same_v<T, CComboBox>) {
            connect(control, &CComboBox::selectionChanged, static_cast<Dialog*>(this), handler);
            connect(control, &CComboBox::textEdited, static_cast<Dialog*>(this), handler);
        } else {
            connect(control, Notification(control), static_cast<Dialog*>(this), handler);
        }
    }

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    static auto Notification(QPushButton*) { return &QPushButton::clicked; }
    static auto Notification(CListView*) { return &CListView::clicked; }
    static auto Notification(CEditField*) { return &CEditField::changed; }

    CDialogTemplate m_template;
    bool m_initialized = false;
    bool m_ending = false;
};

// Hands one trace line to the trace category "ravelmark.trace", which is off unless enabled
// (QT_LOGGING_RULES="ravelmark.trace.debug=true").
void Trace(const char* line);
