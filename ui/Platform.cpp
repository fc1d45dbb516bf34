// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Platform.h"

#include "opener/ReportOpener.h"
#include "server/LocalNetwork.h"
#include "ui/Passwords.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

void CQtPlatform::ErrorBox(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, AppName(), text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

namespace {

int AskInBox(QWidget* owner, const QString& text, const QString& title, QMessageBox::StandardButtons buttons,
             QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::Question, title, text, buttons, owner);
    // Names in the text are the users' own (or a phone's): never read as markup.
    box.setTextFormat(Qt::PlainText);
    // Debian's Qt has no Swedish texts for these buttons; the program is Swedish whatever the locale.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nej"));
    if (buttons & QMessageBox::Cancel) {
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Avbryt"));
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

bool CPlatform::QuestionDefaultNo(QWidget* owner, const QString& text, const QString& title)
{
    return Question(owner, text, title);
}

CPlatform::Answer CPlatform::YesNoCancel(QWidget* owner, const QString& text, const QString& title)
{
    return Question(owner, text, title) ? Answer::Yes : Answer::No;
}

bool CQtPlatform::Question(QWidget* owner, const QString& text, const QString& title)
{
    return AskInBox(owner, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool CQtPlatform::QuestionDefaultNo(QWidget* owner, const QString& text, const QString& title)
{
    return AskInBox(owner, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

CPlatform::Answer CQtPlatform::YesNoCancel(QWidget* owner, const QString& text, const QString& title)
{
    switch (AskInBox(owner, text, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool CQtPlatform::ChooseFile(QWidget* owner, const QString& filter, QString& path)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist yet is taken too: it starts a new tournament.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Qt's own dialog only; a desktop's dialog (portal, platform theme) speaks the user's language.
    dialog.setWindowTitle(QStringLiteral("Öppna"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Leta i:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Filnamn:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Filformat:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Öppna"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Avbryt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    return true;
}

void CQtPlatform::OpenReport(const QString& path)
{
    ::OpenReport(path);
}

std::vector<std::string> CPlatform::LocalAddresses()
{
    return LocalNetworkAddresses();
}

CPasswords& CPlatform::Passwords()
{
    static CKeyringPasswords keyring;
    return keyring;
}
