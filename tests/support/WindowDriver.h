// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drives the real dialogs as a user would, on a fake platform, and reads what they leave on disk.
#include "FileHelpers.h"
#include "ui/Controls.h"
#include "ui/Passwords.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"
#include "ui/RoundDlg.h"

#include <QApplication>
#include <QPushButton>
#include <QQueue>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

// The platform services: records every box, answers from queues, never blocks.
struct CFakePlatform : CPlatform
{
    QStringList m_errors;    // error boxes in order, file-error reports included
    QStringList m_questions; // "text|title"
    QStringList m_filters;   // one per opening of the file dialog
    QStringList m_openedReports;
    QQueue<bool> m_answers;  // an empty queue answers No
    QQueue<Answer> m_choices; // for the questions with Avbryt; an empty queue answers No
    QQueue<QString> m_files; // an empty queue or path cancels the file dialog

    void ErrorBox(QWidget*, const QString& text) override { m_errors << text; }
    bool Question(QWidget*, const QString& text, const QString& title) override
    {
        m_questions << text + '|' + title;
        return !m_answers.isEmpty() && m_answers.dequeue();
    }
    // Marked, so that a test sees that Enter alone would have answered No.
    bool QuestionDefaultNo(QWidget* owner, const QString& text, const QString& title) override
    {
        return Question(owner, text, title + "|Nej");
    }
    Answer YesNoCancel(QWidget*, const QString& text, const QString& title) override
    {
        m_questions << text + '|' + title + "|Avbryt";
        return m_choices.isEmpty() ? Answer::No : m_choices.dequeue();
    }
    bool ChooseFile(QWidget*, const QString& filter, QString& path) override
    {
        m_filters << filter;
        path = m_files.isEmpty() ? QString() : m_files.dequeue();
        return !path.isEmpty();
    }
    void OpenReport(const QString& path) override { m_openedReports << path; }
    // The page on phones is served on loopback only in tests.
    std::vector<std::string> m_addresses{"127.0.0.1"};
    std::vector<std::string> LocalAddresses() override { return m_addresses; }
    // The keyring's stand-in: in memory.
    struct CMemoryPasswords : CPasswords
    {
        QHash<QString, std::string> m_kept;
        bool Read(const QString& key, std::string& password) override
        {
            password = m_kept.value(key);
            return m_kept.contains(key);
        }
        void Write(const QString& key, const std::string& password) override { m_kept.insert(key, password); }
    } m_passwords;
    CPasswords& Passwords() override { return m_passwords; }
};

// Key by key, any character included (QTest::keyClicks takes Latin-1 only).
inline void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

inline void TypeOver(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    Type(field, text);
}

inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// A click on a row, or on the empty area below the rows for -1.
inline void ClickRow(CListView* list, int row, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = row < 0 ? QPoint(5, list->viewport()->height() - 5)
                              : list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), button, {}, at);
}

inline QString Joined(int count, const std::function<QString(int)>& item)
{
    QStringList items;
    for (int i = 0; i < count; ++i)
        items << item(i);
    return items.join(',');
}

// The rows as "name", or "name=points" in a list of two columns, joined by commas.
inline QString Rows(const CListView* list)
{
    return Joined(list->GetItemCount(), [list](int i) {
        return list->GetItemText(i, 0) + (list->model()->columnCount() > 1 ? '=' + list->GetItemText(i, 1) : QString());
    });
}

inline QString Items(const QComboBox* box) { return Joined(box->count(), [box](int i) { return box->itemText(i); }); }

// "1" for each enabled widget, "0" for each disabled one.
inline QString Enabled(std::initializer_list<const QWidget*> widgets)
{
    QString states;
    for (const QWidget* widget : widgets)
        states += widget->isEnabled() ? '1' : '0';
    return states;
}

// What the main window shows: "title|rows|enabled Skapa Tabell, title, Ny, Redigera, Ta Bort".
inline QString Shown(const CRavelmarkDlg& d)
{
    return d.m_editTitle->text() + '|' + Rows(d.m_listRounds) + '|' +
           Enabled({d.m_btnCreateTable, d.m_editTitle, d.m_btnNew, d.m_btnEdit, d.m_btnRemove});
}

// Clicks `button` and plays `action` in the round editor it opens; true when one opened and the
// action closed it. An editor left open is ended by force: a refused close fails, not hangs.
inline bool WithEditor(QPushButton* button, const std::function<void(CRoundDlg&)>& action)
{
    bool closed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* editor = qobject_cast<CRoundDlg*>(QApplication::activeModalWidget())) {
            poll.stop();
            // The action may look at the focus, which follows the application's active window.
            const bool active = QTest::qWaitFor([editor] { return QApplication::activeWindow() == editor; });
            if (active)
                action(*editor);
            closed = active && !editor->isVisible();
            if (!closed)
                editor->done(CDialogBase::IDCANCEL);
        }
    });
    poll.start(5);
    Click(button);
    return closed;
}

// Plays `action` in the modal dialog of type D that `button` opens; false when none opened.
template <typename D>
inline bool WithModal(QPushButton* button, const std::function<void(D&)>& action)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll.stop();
            seen = true;
            action(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    poll.start(5);
    Click(button);
    return seen;
}

// Runs `trigger`, which opens a modal dialog of the desktop's kind (T), and plays `action` in
// it once it is the active window; true when one opened and the action closed it. A dialog
// left open is rejected.
template <typename T>
bool WithDialog(const std::function<void()>& trigger, const std::function<void(T&)>& action)
{
    bool closed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll.stop();
            if (QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }))
                action(*dialog);
            closed = !dialog->isVisible();
            if (!closed)
                dialog->reject();
        }
    });
    poll.start(5);
    trigger();
    return closed;
}

// "Lägg Till" clicked, or with `byKey` pressed by Enter.
inline void AddResult(CRoundDlg& editor, const QString& name, const QString& points, bool byKey = false)
{
    TypeOver(editor.m_comboName->lineEdit(), name);
    TypeOver(editor.m_comboPoints->lineEdit(), points);
    editor.m_btnAddResult->setFocus();
    byKey ? QTest::keyClick(editor.m_btnAddResult, Qt::Key_Return) : Click(editor.m_btnAddResult);
}

// The main window on a fake platform, shown and active; with `bytes`, a tournament file in a
// temporary folder read into it.
struct CWindow
{
    explicit CWindow(const QByteArray& bytes = {}, const QString& name = "cup.txt")
    {
        m_dlg.InitDialog();
        m_dlg.show();
        m_dlg.activateWindow();
        m_ready = QTest::qWaitForWindowActive(&m_dlg);
        if (!bytes.isEmpty())
            Choose(m_path = Write(name, bytes));
    }
    // "Välj Turnering" with `path` chosen in the file dialog; an empty path cancels it.
    void Choose(const QString& path) { m_platform.m_files.enqueue(path); Click(m_dlg.m_btnChoose); }
    // The close box; true when the window closed.
    bool Close() { m_dlg.close(); return !m_dlg.isVisible(); }
    QString Folder() const { return m_dir.path(); }
    QString File(const QString& name) const { return m_dir.filePath(name); }
    // Written with a fixed last modification, which names the backup "NAME_051206_143005.bak".
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        return WriteBytes(File(name), bytes.toStdString(), QDateTime(QDate(2005, 12, 6), QTime(14, 30, 5))) ? File(name) : "";
    }

    CFakePlatform m_platform;
    CRavelmarkDlg m_dlg{m_platform};
    bool m_ready = false;
    QTemporaryDir m_dir;
    QString m_path;
};

// A file's bytes; "<missing>" when it cannot be read.
inline QByteArray Read(const QString& path)
{
    return QFile::exists(path) ? QByteArray::fromStdString(ReadBytes(path)) : QByteArray("<missing>");
}

// CR LF after every line, as the program writes.
inline QByteArray Lines(std::initializer_list<const char*> lines)
{
    QByteArray bytes;
    for (const char* line : lines)
        bytes.append(line).append("\r\n");
    return bytes;
}
