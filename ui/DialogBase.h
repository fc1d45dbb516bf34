// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/DialogTemplate.h"

#include <QDialog>

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
    virtual void OnInitDialog() {}
    virtual void OnOK() {}
    virtual void OnCancel() {}
    // The close request; call EndDialog to end the dialog.
    virtual void OnClose() { EndDialog(IDCANCEL); }
    void EndDialog(int result);
    // Cuts the controls' signals to this dialog. Derived dialogs call it in their destructor:
    // hiding the window while QDialog is destroyed moves the focus and may make a control
    // signal a handler of the part already destroyed.
    void DisconnectControls();

    template <typename T>
    T* Control(int id) const
    {
        return static_cast<T*>(m_template.Control(id));
    }

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    CDialogTemplate m_template;
    bool m_initialized = false;
    bool m_ending = false;
};

// Hands one trace line to the trace category "ravelmark.trace", which is off unless enabled
// (QT_LOGGING_RULES="ravelmark.trace.debug=true").
void Trace(const char* line);
