// SPDX-License-Identifier: GPL-3.0-or-later
// Undo in the main window and the round editor, and the history dialog, on real files: what
// the window shows, its '*', and what the close leaves on disk.
#include "WindowDriver.h"
#include "ui/HistoryDlg.h"
#include "ui/UndoSteps.h"

#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QUndoView>

using Bytes = QByteArray;

namespace {

const Bytes kCup = Lines({"V\xE5rcupen", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3", "", "R3", "Cilla 5"});
const QString kShown = "Vårcupen|R1,R2,R3";

void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QTest::keyClick(widget, key, modifiers);
}

// "*" when the window's title marks changes, "title|rounds", and "|changed" for the flag.
QString State(const CWindow& w)
{
    return (w.m_dlg.windowTitle().startsWith('*') ? "*" : "") + w.m_dlg.m_editTitle->text() + '|' +
           Rows(w.m_dlg.m_listRounds) + (w.m_dlg.m_doc.Changed() ? "|changed" : "");
}

} // namespace

class UndoTest : public QObject
{
    Q_OBJECT
private slots:
    // Each command, undone with Ctrl+Z and redone with Ctrl+Shift+Z and Ctrl+Y from wherever the
    // focus is: undone back to the file as read, there is no '*' and the close writes nothing.
    void eachWindowCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("shown"); // after the command
        QTest::addColumn<int>("steps");
        QTest::newRow("Ny") << "new" << "*Vårcupen|R1,R2,R3,Final|changed" << 1;
        QTest::newRow("Redigera") << "edit" << "*Vårcupen|R1,Kvart,R3|changed" << 1;
        QTest::newRow("Ta Bort") << "remove" << "*Vårcupen|R1,R3|changed" << 1;
        QTest::newRow("title, one visit") << "title" << "*Vårcupenxy|R1,R2,R3|changed" << 1;
        QTest::newRow("title, two visits") << "visits" << "*Vårcupenxy|R1,R2,R3|changed" << 2;
        QTest::newRow("UTF-8") << "utf8" << "*VårcupenŁ|R1,R2,R3|changed" << 2;
    }
    void eachWindowCommand()
    {
        QFETCH(QString, command);
        QFETCH(int, steps);
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        QCOMPARE(State(w), kShown);
        w.m_platform.m_answers << true;
        if (command == "new") {
            QVERIFY(WithEditor(d.m_btnNew, [](CRoundDlg& e) { Type(e.m_editName, "Final"), AddResult(e, "Dan", "4"), e.close(); }));
        } else if (command == "edit") {
            ClickRow(d.m_listRounds, 1);
            QVERIFY(WithEditor(d.m_btnEdit, [](CRoundDlg& e) { TypeOver(e.m_editName, "Kvart"), AddResult(e, "Anna", "9"), e.close(); }));
        } else if (command == "remove") {
            ClickRow(d.m_listRounds, 1);
            Click(d.m_btnRemove);
        } else if (command == "title" || command == "visits") {
            d.m_editTitle->setFocus();
            Type(d.m_editTitle, "x");
            if (command == "visits")
                d.m_btnChoose->setFocus(), d.m_editTitle->setFocus();
            Type(d.m_editTitle, "y");
        } else {
            d.m_editTitle->setFocus();
            Type(d.m_editTitle, "Ł"); // Windows-1252 cannot hold it: "Spara som UTF-8?" Ja
        }
        // Back from a dialog, the window is active again (offscreen, it has to be told): its keys are its own.
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        const QString after = State(w);
        QTEST(after, "shown");
        QCOMPARE(d.m_undo.count(), steps);
        // Undone, redone with either key, undone: back to the file as read, '*' and flag gone.
        QWidget* focus = d.focusWidget();
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ControlModifier | Qt::ShiftModifier;
        for (const auto& [key, modifiers, expected] : {std::tuple(Qt::Key_Z, ctrl, kShown), std::tuple(Qt::Key_Z, shift, after),
                                                       std::tuple(Qt::Key_Z, ctrl, kShown), std::tuple(Qt::Key_Y, ctrl, after),
                                                       std::tuple(Qt::Key_Z, ctrl, kShown)}) {
            for (int i = 0; i < steps; ++i)
                Key(focus, key, modifiers);
            QCOMPARE(State(w), expected);
        }
        QVERIFY(w.Close());
        QCOMPARE(Entries(w.Folder()).join(','), "cup.txt");
        QCOMPARE(Read(w.m_path), kCup);
    }

    // Undone to the saved state and done again, the close saves the change: the file then
    // holds it and the old file is its backup.
    void redoneChangeIsSaved()
    {
        CWindow w(kCup);
        ClickRow(w.m_dlg.m_listRounds, 0);
        w.m_platform.m_answers << true;
        Click(w.m_dlg.m_btnRemove);
        Key(w.m_dlg.m_listRounds, Qt::Key_Z);
        Key(w.m_dlg.m_listRounds, Qt::Key_Y);
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), Lines({"V\xE5rcupen", "", "R2", "Anna   3", "", "R3", "Cilla  5"}));
        QCOMPARE(Read(w.File("cup_051206_143005.bak")), kCup);
    }

    // Once saved, the saved version is the one undo measures from: a step away from it shows '*'
    // and the close saves it; back at it exactly, nothing shows and nothing is saved. Typing in
    // the title keeps the round selected meanwhile.
    void savedVersionIsClean_data()
    {
        QTest::addColumn<QString>("keys"); // after the save: Z undo, Y redo
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("listing"); // after the close
        QTest::newRow("undone") << "Z" << "*Vårcupenx|R1,R2,R3|changed" << "3 files, R1 in cup.txt";
        QTest::newRow("undone, redone") << "ZY" << "Vårcupenx|R2,R3" << "2 files, R1 not in cup.txt";
        QTest::newRow("undone twice, redone") << "ZZY" << "*Vårcupenx|R1,R2,R3|changed" << "3 files, R1 in cup.txt";
    }
    void savedVersionIsClean()
    {
        QFETCH(QString, keys);
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        ClickRow(d.m_listRounds, 0);
        d.m_editTitle->setFocus();
        Type(d.m_editTitle, "x");
        QCOMPARE(QString::number(d.m_listRounds->GetSelectionMark()) + Enabled({d.m_btnEdit, d.m_btnRemove}), "011");
        w.m_platform.m_answers << true;
        Click(d.m_btnRemove);
        QVERIFY(d.SaveTournament());
        QCOMPARE(State(w), "Vårcupenx|R2,R3");
        for (const QChar key : keys)
            Key(d.m_listRounds, key == 'Z' ? Qt::Key_Z : Qt::Key_Y);
        QTEST(State(w), "shown");
        QVERIFY(w.Close());
        const QString listing = QString("%1 files, R1 %2in cup.txt")
                                    .arg(Entries(w.Folder()).size())
                                    .arg(Read(w.m_path).contains("\r\nR1\r\n") ? "" : "not ");
        QTEST(listing, "listing");
    }

    // A round edited and closed equal to what it was, or a title typed back, is no change.
    void noChangeNoSave()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        w.m_platform.m_answers << true; // removes Bo below
        ClickRow(d.m_listRounds, 0);
        QVERIFY(WithEditor(d.m_btnEdit, [](CRoundDlg& e) {
            AddResult(e, "Anna", "11");
            AddResult(e, "Anna", "10");
            TypeOver(e.m_editName, "R9");
            TypeOver(e.m_editName, "R1");
            e.close();
        }));
        // Edited, then edited back: no step either.
        ClickRow(d.m_listRounds, 1);
        QVERIFY(WithEditor(d.m_btnEdit, [](CRoundDlg& e) { AddResult(e, "Bo", "1"), e.close(); }));
        ClickRow(d.m_listRounds, 1);
        QVERIFY(WithEditor(d.m_btnEdit, [](CRoundDlg& e) {
            ClickRow(e.m_listResults, 1);
            Click(e.m_btnRemoveResult);
            e.close();
        }));
        // Typed back, in one visit of the field and in the next.
        d.activateWindow(); // offscreen, focus moves only in the active window
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.m_editTitle->setFocus();
        Type(d.m_editTitle, "x");
        QTest::keyClick(d.m_editTitle, Qt::Key_Backspace);
        Type(d.m_editTitle, "y");
        d.m_btnChoose->setFocus();
        d.m_editTitle->setFocus();
        QTest::keyClick(d.m_editTitle, Qt::Key_Backspace);
        QCOMPARE(State(w), kShown);
        QCOMPARE(d.m_undo.count(), 0);
        QVERIFY(w.Close());
        QCOMPARE(Entries(w.Folder()).join(','), "cup.txt");
    }

    // A change outside the steps (as unsaved work brought back is) cannot be undone to the file's
    // state: the '*' stays and the close saves.
    void changeOutsideTheStepsIsSaved()
    {
        CWindow w(kCup);
        w.m_dlg.m_doc.SetTitle("Sparat");
        QTRY_VERIFY(!w.m_dlg.m_undo.isClean());
        ClickRow(w.m_dlg.m_listRounds, 0);
        w.m_platform.m_answers << true;
        Click(w.m_dlg.m_btnRemove);
        Key(w.m_dlg.m_listRounds, Qt::Key_Z);
        QCOMPARE(w.m_dlg.windowTitle(), "*cup.txt – Ravelmark");
        QVERIFY(w.Close());
        QVERIFY(Read(w.m_path).startsWith("Sparat\r\n\r\nR1\r\n"));
    }

    // The title field's Ctrl+Z is the window's: the field's own undo would take back the last
    // key only within its own history and leave the tournament out of step.
    void titleFieldKeys()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        ClickRow(d.m_listRounds, 2);
        w.m_platform.m_answers << true;
        Click(d.m_btnRemove);
        d.m_editTitle->setFocus();
        Type(d.m_editTitle, "ab");
        Key(d.m_editTitle, Qt::Key_Z);
        QCOMPARE(d.m_editTitle->text() + '|' + ToQString(d.m_doc.Tournament().m_title, d.m_doc.Encoding()), "Vårcupen|Vårcupen");
        Key(d.m_editTitle, Qt::Key_Z); // on to the step before: the removed round
        QCOMPARE(Rows(d.m_listRounds), "R1,R2,R3");
        Key(d.m_editTitle, Qt::Key_Y);
        Key(d.m_editTitle, Qt::Key_Y);
        QCOMPARE(State(w), "*Vårcupenab|R1,R2|changed");
        QVERIFY(d.m_editTitle->hasFocus());
        // The field's menu offers the window's undo too.
        std::unique_ptr<QMenu> menu(d.m_undoKeys->ContextMenu(d.m_editTitle));
        const QList<QAction*> actions = menu->actions();
        const auto undo = std::find_if(actions.begin(), actions.end(), [](QAction* a) { return a->objectName() == "edit-undo"; });
        QVERIFY(undo != actions.end() && (*undo)->isEnabled());
        (*undo)->trigger();
        QCOMPARE(State(w), "*Vårcupen|R1,R2|changed");
    }

    // The editor's own steps, with its keys, in its fields too; none reach the main window.
    void editorUndo()
    {
        CWindow w(kCup);
        ClickRow(w.m_dlg.m_listRounds, 0);
        w.m_platform.m_answers << true;
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& e) {
            AddResult(e, "Cilla", "4");
            AddResult(e, "Bo", "8");
            ClickRow(e.m_listResults, 0);
            Click(e.m_btnRemoveResult);
            QCOMPARE(Rows(e.m_listResults), "Bo=8,Cilla=4");
            Key(e.m_listResults, Qt::Key_Z);
            QCOMPARE(Rows(e.m_listResults), "Anna=10,Bo=8,Cilla=4");
            e.m_comboName->setFocus();
            Key(e.m_comboName->lineEdit(), Qt::Key_Z);
            QCOMPARE(Rows(e.m_listResults), "Anna=10,Bo=7,Cilla=4");
            e.m_comboPoints->setFocus();
            Key(e.m_comboPoints->lineEdit(), Qt::Key_Z);
            QCOMPARE(Rows(e.m_listResults), "Anna=10,Bo=7");
            Key(e.m_listResults, Qt::Key_Y);
            e.m_editName->setFocus();
            Type(e.m_editName, "xy");
            Key(e.m_editName, Qt::Key_Z);
            QCOMPARE(e.m_editName->text() + '|' + QString::fromStdString(e.m_round.m_name), "R1|R1");
            Key(e.m_editName, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(e.m_editName->text(), "R1xy");
            e.close();
        }));
        QCOMPARE(w.m_dlg.m_undo.count(), 1);
        w.m_dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.m_dlg));
        Key(w.m_dlg.m_listRounds, Qt::Key_Z);
        QCOMPARE(State(w), kShown);
        Key(w.m_dlg.m_listRounds, Qt::Key_Y);
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), Lines({"V\xE5rcupen", "", "R1xy", "Anna  10", "Bo     7", "Cilla  4", "", "R2", "Anna   3", "",
                                        "R3", "Cilla  5"}));
    }

    // A result's name that makes the tournament UTF-8: no step of the editor from before puts
    // back a name in the old encoding.
    void editorUndoAfterUtf8()
    {
        CWindow w(kCup);
        w.m_platform.m_answers << true; // "Spara som UTF-8" Ja
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& e) {
            Type(e.m_editName, "Höst");
            AddResult(e, "Łukasz", "5");
            Key(e.m_listResults, Qt::Key_Z);
            Key(e.m_listResults, Qt::Key_Z);
            Key(e.m_listResults, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(QByteArray::fromStdString(e.m_round.m_name) + '|' + e.m_editName->text().toUtf8() + '|' +
                         Rows(e.m_listResults).toUtf8(),
                     "H\xC3\xB6st|Höst|Łukasz=5");
            e.close();
        }));
    }

    // The file changed on disk and read again is one step: the file as read is the clean state,
    // and undoing it brings back what the window showed, as a change.
    void reloadIsAStep()
    {
        CWindow w(kCup);
        QVERIFY(WriteBytes(w.m_path, "Ny\n\nR1\nDan 4\n", QDateTime(QDate(2006, 1, 2), QTime(3, 4, 5))));
        w.m_platform.m_answers << true;
        QTRY_VERIFY(!w.m_platform.m_questions.isEmpty());
        QCOMPARE(State(w), "Ny|R1");
        Key(w.m_dlg.m_listRounds, Qt::Key_Z);
        QCOMPARE(State(w), "*" + kShown + "|changed");
        Key(w.m_dlg.m_listRounds, Qt::Key_Y);
        QCOMPARE(State(w), "Ny|R1");
    }

    // Backups made by real saves, one that cannot be read, and the file itself, newest first;
    // a chosen one compared with the window and brought back as one step, saved at close.
    void historyDialog()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        // Each save as the close makes it; the file then given a time of its own, which names
        // the next backup, and read again.
        const auto save = [&](const QDateTime& time) {
            QVERIFY(d.SaveTournament());
            QFile file(w.m_path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime));
            file.close();
            w.Choose(w.m_path);
        };
        d.m_editTitle->setFocus();
        Type(d.m_editTitle, "2");
        save(QDateTime(QDate(2026, 12, 1), QTime(20, 0)));
        ClickRow(d.m_listRounds, 0);
        w.m_platform.m_answers << true;
        Click(d.m_btnRemove);
        save(QDateTime(QDate(2026, 12, 2), QTime(20, 0)));
        QVERIFY(WriteBytes(w.File("cup_051101_100000.bak"), "Cup\n\nR1\nAnna x\n"));
        QCOMPARE(d.m_btnHistory->toolTip().contains("Ctrl+Z"), true);
        const bool opened = WithModal<CHistoryDlg>(d.m_btnHistory, [&](CHistoryDlg& h) {
            QCOMPARE(h.windowTitle(), "Historik");
            QStringList lines;
            for (int i = 0; i < h.m_versions->count(); ++i)
                lines << h.m_versions->item(i)->text().mid(21);
            QCOMPARE(lines, QStringList({"cup.txt  Borttagen omgång \"R1\" (2 resultat)",
                                         "cup_261201_200000.bak  Titeln: \"Vårcupen\" → \"Vårcupen2\"",
                                         "cup_051206_143005.bak  första versionen: 3 omgångar",
                                         "cup_051101_100000.bak  kan inte läsas: Rad 4 : \"Anna x\" Poäng ska vara ett heltal"}));
            h.m_versions->setCurrentRow(3);
            QVERIFY(!h.m_btnRestore->isEnabled());
            h.m_versions->setCurrentRow(2);
            const QString title = "Titeln: \"Vårcupen\" i versionen, \"Vårcupen2\" i fönstret";
            const QString kDiffers = title + "\nOmgången \"R1\" (2 resultat) finns bara i versionen";
            QCOMPARE(h.DifferencesText(), kDiffers);
            // One round back alone, at its old place; the title stays the window's.
            // Enter presses what the selection restores: the whole version, or the round of the line.
            h.m_differences->setCurrentRow(0);
            QVERIFY(!h.m_btnRestoreRound->isEnabled() && h.m_btnRestore->isDefault());
            h.m_differences->setCurrentRow(1);
            QVERIFY(h.m_btnRestoreRound->isDefault() && !h.m_btnRestore->isDefault());
            QTest::keyClick(h.m_differences, Qt::Key_Return);
            QCOMPARE(Rows(d.m_listRounds) + '|' + h.DifferencesText(), "R1,R2,R3|" + title);
            Click(h.m_btnUndo);
            Click(h.m_btnRestore);
            QCOMPARE(h.DifferencesText(), "Samma som i fönstret.");
            Click(h.m_btnRestore); // the same again: no step
            QCOMPARE(h.m_steps->stack()->count(), 1);
            QCOMPARE(h.m_steps->stack()->text(0), "Återställ cup_051206_143005.bak");
            Click(h.m_btnUndo);
            QCOMPARE(h.DifferencesText(), kDiffers);
            Click(h.m_btnRedo);
            // A whole version without a round the window holds asks first; Enter alone says No.
            h.m_versions->setCurrentRow(0);
            Click(h.m_btnRestore);
            QCOMPARE(w.m_platform.m_questions.last(), "R1 (2 resultat) försvinner. Återställa hela versionen?|Återställ|Nej");
            QCOMPARE(h.m_steps->stack()->count(), 1);
            QTest::keyClick(&h, Qt::Key_Escape);
            QVERIFY(!h.isVisible());
        });
        QVERIFY(opened);
        // Opened again, it lists what the window holds now; "Stäng" closes it.
        QVERIFY(WithModal<CHistoryDlg>(d.m_btnHistory, [](CHistoryDlg& h) {
            QCOMPARE(h.m_steps->stack()->count(), 1);
            Click(h.m_btnClose);
            QVERIFY(!h.isVisible());
        }));
        QCOMPARE(State(w), "*" + kShown + "|changed");
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), Lines({"V\xE5rcupen", "", "R1", "Anna  10", "Bo     7", "", "R2", "Anna   3", "", "R3", "Cilla  5"}));
        QCOMPARE(Read(w.File("cup_261202_200000.bak")), Lines({"V\xE5rcupen2", "", "R2", "Anna   3", "", "R3", "Cilla  5"}));
        QCOMPARE(Entries(w.Folder()).size(), 5);
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
