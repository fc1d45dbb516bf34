// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/QtText.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

class CPasswords;
class QWidget;

// The application's name, as the user knows it: the main window's caption, the title of every
// error box and of the program's own questions.
inline QString AppName()
{
    return QStringLiteral("Ravelmark");
}

// The platform services the dialogs call for everything that waits on the user or leaves the
// program: message boxes, the file-open dialog and opening the page. Tests replace it.
class CPlatform
{
public:
    virtual ~CPlatform() = default;

    // Error box: stop icon, OK, the application's name as title.
    virtual void ErrorBox(QWidget* owner, const QString& text) = 0;
    // Question box with its own title, Yes and No, question icon; true only for Yes.
    virtual bool Question(QWidget* owner, const QString& text, const QString& title) = 0;
    // As Question, with No as the default button: Enter alone answers No.
    virtual bool QuestionDefaultNo(QWidget* owner, const QString& text, const QString& title);
    // A question with a way back: Yes, No and Cancel ("Ja", "Nej", "Avbryt"); Escape and the
    // close box answer Cancel.
    enum class Answer { Yes, No, Cancel };
    virtual Answer YesNoCancel(QWidget* owner, const QString& text, const QString& title);
    // The file-open dialog: one filter, no read-only box; it also takes the name of a file that
    // does not exist yet. True with the chosen file's full path when the user confirmed one.
    virtual bool ChooseFile(QWidget* owner, const QString& filter, QString& path) = 0;
    // Shows the page in the program the desktop uses for it; nothing is reported on failure.
    virtual void OpenReport(const QString& path) = 0;
    // The computer's IPv4 addresses on its local network, best first (none without a network).
    virtual std::vector<std::string> LocalAddresses();
    // Where the publishing passwords are kept: the desktop's keyring.
    virtual CPasswords& Passwords();
};

// The real services, over Qt's message boxes and file dialog.
class CQtPlatform : public CPlatform
{
public:
    void ErrorBox(QWidget* owner, const QString& text) override;
    bool Question(QWidget* owner, const QString& text, const QString& title) override;
    bool QuestionDefaultNo(QWidget* owner, const QString& text, const QString& title) override;
    Answer YesNoCancel(QWidget* owner, const QString& text, const QString& title) override;
    bool ChooseFile(QWidget* owner, const QString& filter, QString& path) override;
    void OpenReport(const QString& path) override;
};
