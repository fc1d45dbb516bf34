#pragma once

// Drives the real main window and round editor as a user would, for the command tests: typing,
// clicks, the modal round editor, and the files on disk.
#include "Controls.h"
#include "FakePlatform.h"
#include "RavelmarkDlg.h"
#include "RoundDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Types text as the keyboard would, any character included (QTest::keyClicks takes ASCII only).
inline void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Replaces a field's whole text by typing over it.
inline void TypeOver(QLineEdit* field, const QString& text)
{
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        Type(field, text);
}

inline void ClickRow(CListView* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
}

inline QStringList Rows(const CListView* list)
{
    QStringList rows;
    for (int i = 0; i < list->GetItemCount(); ++i)
        rows << list->GetItemText(i, 0);
    return rows;
}

// Plays `action` in the next round editor that opens, from inside its modal run. An editor
// still open after the action is ended by force and noted, so a refused close fails the test
// instead of hanging it.
class CEditorDriver
{
public:
    explicit CEditorDriver(std::function<void(CRoundDlg&)> action)
        : m_action(std::move(action))
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* editor = qobject_cast<CRoundDlg*>(QApplication::activeModalWidget());
            if (!editor)
                return;
            m_poll.stop();
            m_ran = true;
            m_action(*editor);
            if (editor->isVisible()) {
                m_forced = true;
                editor->done(CDialogBase::IDCANCEL);
            }
        });
        m_poll.start();
    }

    bool Ran() const { return m_ran; }
    bool Forced() const { return m_forced; }

private:
    std::function<void(CRoundDlg&)> m_action;
    QTimer m_poll;
    bool m_ran = false;
    bool m_forced = false;
};

// In the round editor: a result typed into the two boxes and added with "Lägg Till".
inline void AddResult(CRoundDlg& editor, const QString& name, const QString& points)
{
    TypeOver(editor.m_comboName->lineEdit(), name);
    TypeOver(editor.m_comboPoints->lineEdit(), points);
    QTest::mouseClick(editor.m_btnAddResult, Qt::LeftButton);
}

// The main window on a fake platform, shown as the program shows it.
class CWindow
{
public:
    CWindow()
    {
        m_dlg.InitDialog();
        m_dlg.show();
    }

    // "Välj Turnering" with `path` chosen in the file dialog.
    void Choose(const QString& path)
    {
        m_platform.m_files.enqueue(path);
        QTest::mouseClick(m_dlg.m_btnChoose, Qt::LeftButton);
    }

    // Clicks `button`, playing `action` in the round editor should one open; true if one did.
    bool WithEditor(QPushButton* button, std::function<void(CRoundDlg&)> action)
    {
        CEditorDriver driver(std::move(action));
        QTest::mouseClick(button, Qt::LeftButton);
        return driver.Ran() && !driver.Forced();
    }

    // The close box; true when the window closed.
    bool Close()
    {
        m_dlg.close();
        return !m_dlg.isVisible();
    }

    CFakePlatform m_platform;
    CRavelmarkDlg m_dlg{m_platform};
};

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes a file and gives it the last-modification time `modified`.
inline bool WriteBytes(const QString& path, const QByteArray& bytes, const QDateTime& modified = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    return !modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime);
}

inline QStringList Listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// CR LF after every line, as the program writes.
inline QByteArray Lines(std::initializer_list<const char*> lines)
{
    QByteArray bytes;
    for (const char* line : lines)
        bytes.append(line).append("\r\n");
    return bytes;
}
