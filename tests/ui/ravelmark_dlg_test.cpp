// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on real files: start and keys, every outcome of choosing a file, typed text
// and the file's encoding, the round commands, the close request with its save, "Skapa Tabell",
// and the whole road of a tournament. What is on disk afterwards is what counts.
#include "WindowDriver.h"

#include <QProcess>
#include <QRegularExpression>

#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

using Bytes = QByteArray;

namespace {

const Bytes kCup = Lines({"V\xE5rcupen", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3", "", "R3", "Cilla 5", "", "R4",
                          "Bo 2", "", "R5", "Anna 1"});
const QString kBackup = "cup_051206_143005.bak"; // named by the file's last modification
// kCup retitled "Höstcupen" as the window saves it, and another program's version of the file.
const Bytes kSaved = Lines({"H\xF6stcupen", "", "R1", "Anna  10", "Bo     7", "", "R2", "Anna   3", "", "R3", "Cilla  5",
                            "", "R4", "Bo     2", "", "R5", "Anna   1"});
const Bytes kOther = "H\xF6stcupen\n\nR1\nDan 4\n";

// The page's player rows as a reader sees them: cells (bold kept) by commas, rows by '|'.
QString Cells(const QString& page)
{
    QString html = QString::fromLatin1(Read(page));
    html.remove(QRegularExpression("(?s)^.*?</tr>|</table>.*$|<td[^>]*>|\r\n|<tr>")); // header row first
    return html.replace("</td></tr>", "|").replace("</td>", ",");
}

} // namespace

class RavelmarkDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void startsEmptyAndKeysNeverClose()
    {
        CWindow w;
        CRavelmarkDlg& d = w.m_dlg;
        QVERIFY(w.m_ready && d.m_btnChoose->isEnabled() && d.m_listRounds->isEnabled() && d.minimumSize() == d.maximumSize());
        QCOMPARE(Shown(d), "||00000");
        QCOMPARE(d.m_listRounds->model()->headerData(0, Qt::Horizontal).toString(), "Omgång");
        QCOMPARE(d.focusWidget(), d.m_btnChoose);
        // A window of its own (fixed size, above), with the template's buttons only.
        QCOMPARE(d.windowFlags(), Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        QTest::keyClick(d.m_btnChoose, Qt::Key_Escape);
        QTest::keyClick(d.m_btnChoose, Qt::Key_Return); // presses it: the file dialog opens
        QVERIFY(d.isVisible());
        QCOMPARE(w.m_platform.m_filters, QStringList{"Turnering (*.txt)"});
    }

    void choosingAFile_data()
    {
        QTest::addColumn<Bytes>("bytes"); // of the file chosen; none: a missing file, or cancelled without error
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("error"); // "%1" stands for the path
        QTest::newRow("Windows-1252") << Bytes("Cup \x80\n\nOmg\xE5ng 1\nAnna   12\nKalle\t7\n\nOmg\xE5ng 2\nKalle 9\n")
                                      << "Cup €|Omgång 1,Omgång 2|11100" << "";
        QTest::newRow("UTF-8 with mark") << Bytes("\xEF\xBB\xBF\xC3\x85sa \xE2\x82\xAC\n\nOmg\xC3\xA5ng \xC3\x84\n")
                                         << "Åsa €|Omgång Ä|11100" << "";
        QTest::newRow("refused at line 10") << Bytes("Cup\n\nA\nAnna 5\n\nB\nBo 4\n\nC\nAnna -5\n") << "||00000"
                                            << "Rad 10 : \"Anna -5\"\nPoäng ska vara ett heltal";
        QTest::newRow("cannot be opened") << Bytes() << "||00000" << "Kan inte öppna filen: %1";
        QTest::newRow("cancelled") << Bytes() << "||00000" << "";
    }

    // Each outcome, chosen while another tournament with unsaved changes is shown: the changes
    // are dropped and closing writes nothing. A choice that shows nothing leaves the commands as at
    // start, so nothing can write a page or a tournament for a file the window no longer shows.
    void choosingAFile()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, state);
        QFETCH(QString, error);
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        ClickRow(d.m_listRounds, 0);
        Type(d.m_editTitle, "x");
        QString path = !bytes.isEmpty() ? w.Write("chosen.txt", bytes) : "";
        if (bytes.isEmpty() && !error.isEmpty())
            QVERIFY(QDir(w.Folder()).mkdir(path = w.File("folder.txt")));
        w.Choose(path);
        QCOMPARE(Shown(d), state);
        QCOMPARE(w.m_platform.m_errors, error.isEmpty() ? QStringList() : QStringList{error.replace("%1", path)});
        const bool shown = state.endsWith("11100");
        QCOMPARE(d.windowTitle(), shown ? "chosen.txt – Ravelmark" : "Ravelmark");
        QCOMPARE(Enabled({d.m_btnRules, d.m_btnHistory, d.m_btnShowMobile, d.m_btnPublish}), shown ? "1111" : "0000");
        if (shown) {
            // The editor offers this file's players, none of the other's.
            QString offered;
            QVERIFY(WithEditor(d.m_btnNew, [&](CRoundDlg& e) { offered = Items(e.m_comboName), e.close(); }));
            QCOMPARE(offered, bytes.contains("Kalle") ? "Anna,Kalle" : "");
            Click(d.m_btnCreateTable); // a page with nothing of the earlier file
            QVERIFY(!Read(w.m_platform.m_openedReports.value(0)).contains("Cilla"));
        } else {
            QVERIFY(!WithEditor(d.m_btnNew, [](CRoundDlg& e) { e.close(); }));
            Click(d.m_btnCreateTable);
            QVERIFY(w.m_platform.m_openedReports.isEmpty());
        }
        QVERIFY(w.Close());
        QCOMPARE(Entries(w.Folder()).filter(QRegularExpression("htm|bak")).join(','), shown ? "chosen.htm" : "");
        QCOMPARE(Read(w.m_path), kCup);
    }

    // A name that does not exist: a question, then on Ja the file at once, its name (less its
    // ending, ".txt" added when it has none) the title, UTF-8 without a mark, shown as if chosen;
    // on Nej the window as after a cancelled choice. The command line asks the same.
    void newTournament_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("file");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("two endings") << "Höst.cup.txt" << true << "Höst.cup.txt" << Bytes("H\xC3\xB6st.cup\r\n");
        QTest::newRow("txt added") << "Klubb" << true << "Klubb.txt" << Bytes("Klubb\r\n");
        QTest::newRow("no") << "Klubb" << false << "Klubb.txt" << Bytes("<missing>");
    }
    void newTournament()
    {
        QFETCH(QString, typed);
        QFETCH(bool, yes);
        QFETCH(QString, file);
        QFETCH(Bytes, bytes);
        for (const bool commandLine : {false, true}) {
            CWindow w(commandLine ? Bytes() : kCup);
            w.m_platform.m_answers << yes;
            commandLine ? w.m_dlg.OpenOrCreateTournament(w.File(typed)) : w.Choose(w.File(typed));
            QStringList questions{"Filen " + file + " finns inte. Skapa en ny turnering?|Ravelmark|Nej"};
            if (yes)
                questions << (commandLine ? "Ta med spelare och regler från en annan turnering?|Ny turnering"
                                          : "Ta med spelare och regler från cup.txt?|Ny turnering");
            QCOMPARE(w.m_platform.m_questions, questions);
            QCOMPARE(Read(w.File(file)), bytes);
            const QString title = QString::fromUtf8(bytes).chopped(2);
            QCOMPARE(Shown(w.m_dlg), yes ? title + "||11100" : "||00000");
            if (yes) {
                QCOMPARE(w.m_dlg.windowTitle(), file + " – Ravelmark");
                QCOMPARE(w.m_dlg.focusWidget(), w.m_dlg.m_btnNew);
                TypeOver(w.m_dlg.m_editTitle, "Klubbkampen");
                QVERIFY(w.Close());
                QCOMPARE(Read(w.File(file)), "Klubbkampen\r\n");
            }
            QVERIFY(w.m_platform.m_errors.isEmpty() && (commandLine || Read(w.m_path) == kCup));
        }
    }

    // Text Windows-1252 cannot hold: an ASCII file becomes UTF-8 as it is; any other becomes
    // UTF-8 with its mark once the user agrees, all its text converted, or keeps refusing such
    // text without asking again. Other text is stored in the file's encoding. A new round is a
    // change of its own: closing saves it.
    void typedTextInTheFilesEncoding_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<QString>("where"); // "title", "round" (R1's name) or "round over" (selected first): typed, "x", typed; or a player in a new round
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<Bytes>("saved"); // "" when nothing may be written
        const Bytes ascii("Cup\n\nR1\nAnna 1\n"), latin("V\xE5rcup\n\nR1\n\xC5sa 1\n"), bom("\xEF\xBB\xBF");
        QTest::newRow("UTF-8 with mark, player") << bom + "S\xC3\xA5ngcup\n\nR1\n\xC3\x85sa 5\n" << "player" << "Łukasz" << ""
                                                 << bom + Lines({"S\xC3\xA5ngcup", "", "R1", "\xC3\x85sa     5", "",
                                                                 "\xC3\x96", "\xC5\x81ukasz  7"});
        QTest::newRow("ASCII, title") << ascii << "title" << "Ł" << "" << Lines({"Cup\xC5\x81x\xC5\x81", "", "R1", "Anna  1"});
        QTest::newRow("ASCII, player") << ascii << "player" << "Łukasz" << ""
                                       << Lines({"Cup", "", "R1", "Anna    1", "", "R2", "\xC5\x81ukasz  7"});
        QTest::newRow("Windows-1252, yes") << latin << "player" << "Łukasz" << "1"
                                           << bom + Lines({"V\xC3\xA5rcup", "", "R1", "\xC3\x85sa     1", "", "\xC3\x96",
                                                           "\xC5\x81ukasz  7"});
        QTest::newRow("Windows-1252, no") << latin << "title" << "Ł" << "0" << Lines({"V\xE5rcupx", "", "R1", "\xC5sa  1"});
        QTest::newRow("Windows-1252, no, round name") << latin << "round" << "Ł" << "0"
                                                     << Lines({"V\xE5rcup", "", "R1x", "\xC5sa  1"});
        QTest::newRow("Windows-1252, no, in the editor") << latin << "player" << "Łukasz" << "0"
                                                         << Lines({"V\xE5rcup", "", "R1", "\xC5sa  1", "", "\xD6", "Bo   7"});
        // The only text outside ASCII, in each place in turn: still asked, and converted.
        QTest::newRow("title, yes") << Bytes("Cup\xE9\n\nR1\nAnna 1\n") << "round" << "Ł" << "1"
                                    << bom + Lines({"Cup\xC3\xA9", "", "R1\xC5\x81x\xC5\x81", "Anna  1"});
        QTest::newRow("round name, yes") << Bytes("Cup\n\nR\xE9\nAnna 1\n") << "title" << "Ł" << "1"
                                         << bom + Lines({"Cup\xC5\x81x\xC5\x81", "", "R\xC3\xA9", "Anna  1"});
        QTest::newRow("player, yes") << Bytes("Cup\n\nR1\n\xC5sa 1\n") << "title" << "Ł" << "1"
                                     << bom + Lines({"Cup\xC5\x81x\xC5\x81", "", "R1", "\xC3\x85sa  1"});
        // The only text outside ASCII, typed over at once: the tournament is ASCII and the new
        // text, which no question and no mark are needed for.
        QTest::newRow("round name typed over") << Bytes("Cup\n\nR\xE9\nAnna 1\n") << "round over" << "Ł" << ""
                                               << Lines({"Cup", "", "\xC5\x81x\xC5\x81", "Anna  1"});
        QTest::newRow("new round's name, yes") << Bytes("Vcup\n\nR1\nAnna 1\n") << "player" << "Łukasz" << "1"
                                               << bom + Lines({"Vcup", "", "R1", "Anna    1", "", "\xC3\x96",
                                                               "\xC5\x81ukasz  7"});
    }
    void typedTextInTheFilesEncoding()
    {
        QFETCH(Bytes, file);
        QFETCH(QString, where);
        QFETCH(QString, typed);
        QFETCH(QString, answers);
        QFETCH(Bytes, saved);
        CWindow w(file);
        for (const QChar answer : answers)
            w.m_platform.m_answers << (answer == '1');
        // A field shows what is stored after every key, the cursor at its end: a refused key
        // (after a no, the second one is refused unasked) leaves no trace.
        const auto typeShown = [&](QLineEdit* field, const std::string& stored) {
            field->setFocus();
            for (const QString& key : {typed, QString("x"), typed}) {
                Type(field, key);
                QCOMPARE(field->text() + '|' + QString::number(field->cursorPosition()),
                         ToQString(stored, w.m_dlg.m_doc.Encoding()) + '|' + QString::number(field->text().size()));
                QVERIFY(field->hasFocus());
            }
        };
        if (where == "title") {
            typeShown(w.m_dlg.m_editTitle, w.m_dlg.m_doc.Tournament().m_title);
        } else if (where.startsWith("round")) {
            ClickRow(w.m_dlg.m_listRounds, 0);
            QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& editor) {
                if (where == "round over") {
                    editor.m_editName->setFocus();
                    editor.m_editName->selectAll();
                }
                typeShown(editor.m_editName, editor.m_round.m_name);
                editor.close();
            }));
        } else {
            // The round's name is typed first, for a conversion to take it along; in ASCII, so that
            // the player's name is what makes the file UTF-8.
            QVERIFY(WithEditor(w.m_dlg.m_btnNew, [&](CRoundDlg& editor) {
                Type(editor.m_editName, file.startsWith("Cup") ? "R2" : "Ö");
                AddResult(editor, typed, "7");
                if (editor.m_listResults->GetItemCount() == 0) { // refused: nothing stored, nothing shown
                    QCOMPARE(editor.m_comboName->Text() + '|' + editor.m_comboPoints->Text(), "|7");
                    AddResult(editor, typed, "7"); // refused again, unasked
                    QVERIFY(editor.m_comboName->hasFocus() && editor.m_comboName->Text().isEmpty());
                    AddResult(editor, "Bo", "7");
                }
                editor.close();
            }));
        }
        QCOMPARE(w.m_platform.m_questions.size(), answers.size());
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), saved.isEmpty() ? file : saved);
        QCOMPARE(Read(w.File(kBackup)), saved.isEmpty() ? Bytes("<missing>") : file);
    }

    // The window's save of an unedited tournament is the tool's rewrite: names padded to the
    // longest, and every byte of a long title that went through the field and back.
    void savesAsTheToolRewrites()
    {
        Bytes title;
        for (int b = 0; b < 256; ++b)
            title.append(b == '\n' || b == '\t' ? "" : Bytes(1, static_cast<char>(b)));
        const Bytes file = "<" + title.repeated(160) + ">\n\nR1\nAnna 1\nBo Berg   22\n"; // beyond 32767 characters
        CWindow w(file);
        // A title typed back is no change: the close's save is called itself.
        Type(w.m_dlg.m_editTitle, "x");
        QTest::keyClick(w.m_dlg.m_editTitle, Qt::Key_Backspace);
        QVERIFY(!w.m_dlg.m_doc.Changed() && w.m_dlg.SaveTournament() && w.Close());
        const QString copy = w.Write("copy.txt", file);
        QCOMPARE(QProcess::execute(RAVELMARK_TOOL, {"rewrite", copy}), 0);
        QVERIFY(Read(w.m_path) == Read(copy) && Read(copy).endsWith("\r\nAnna     1\r\nBo Berg 22\r\n"));
        QCOMPARE(Read(w.File(kBackup)), file);
    }

    // Tab walks the enabled controls in the window's order (the label takes no focus); Ny,
    // Redigera and Ta Bort, and the selection mark they act on, set by a click or a key; Delete.
    void roundCommands()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        d.m_btnChoose->setFocus();
        QList<QWidget*> walked;
        for (int i = 0; i < 11; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget();
        }
        QCOMPARE(walked, (QList<QWidget*>{d.m_btnCreateTable, d.m_editTitle, d.m_listRounds, d.m_btnNew, d.m_btnRules,
                                           d.m_btnHistory, d.m_btnShowMobile, d.m_btnPublish, d.m_btnPlayers,
                                           d.m_btnArchive, d.m_btnChoose}));
        // Tabbed onto, the title is not selected: the cursor at its end, a stray key adds to it.
        QTest::keyClick(d.m_btnChoose, Qt::Key_Tab);
        QTest::keyClick(d.m_btnCreateTable, Qt::Key_Tab);
        QVERIFY(d.m_editTitle->hasFocus() && !d.m_editTitle->hasSelectedText() &&
                d.m_editTitle->cursorPosition() == d.m_editTitle->text().size());
        CListView* list = w.m_dlg.m_listRounds;
        const auto closeAtOnce = [](CRoundDlg& editor) { editor.close(); };
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, closeAtOnce)); // an empty round is dropped
        ClickRow(list, 1, Qt::RightButton); // the right button alone enables nothing
        QCOMPARE(Shown(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11100");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down); // a key selects as a click does
        QCOMPARE(Shown(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11111");
        // The round edited, or added, is the one selected afterwards, with the focus on it.
        const int edited = list->GetSelectionMark();
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, closeAtOnce));
        QVERIFY(d.focusWidget() == list && list->GetSelectionMark() == edited);
        // A new round of a name alone is asked about, Enter alone dropping it.
        const auto nameOnly = [](CRoundDlg& editor) { Type(editor.m_editName, "R6"), editor.close(); };
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, nameOnly));
        w.m_platform.m_answers << true;
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, nameOnly));
        QCOMPARE(w.m_platform.m_questions, QStringList(2, "R6 har inga resultat. Lägga till den ändå?|Ravelmark|Nej"));
        QVERIFY(d.focusWidget() == list && list->GetSelectionMark() == 5);
        ClickRow(list, -1); // the empty area: nothing selected, nothing to act on
        QCOMPARE(Shown(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5,R6|11100");
        w.m_platform.m_questions.clear();
        ClickRow(list, 1);
        QTest::keyClick(list, Qt::Key_Down); // the keys move the selection the commands act on
        w.m_platform.m_answers << false << true;
        Click(w.m_dlg.m_btnRemove);
        QCOMPARE(Rows(list), "R1,R2,R3,R4,R5,R6");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete); // as "Ta Bort"
        QTest::keyClick(list, Qt::Key_Delete); // none selected after the refill: asks nothing
        QCOMPARE(w.m_platform.m_questions, QStringList(2, "Vill du ta bort omgång R3 ?|Ta bort omgång"));
        QCOMPARE(Shown(w.m_dlg), "Vårcupen|R1,R2,R4,R5,R6|11100");
        // A move taken back and made again: the moved round stays selected.
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        ClickRow(list, 0);
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        for (const Qt::Key key : {Qt::Key_Z, Qt::Key_Y}) {
            QTest::keyClick(list, key, Qt::ControlModifier);
            QCOMPARE(list->GetSelectionMark(), key == Qt::Key_Z ? 0 : 1);
        }
        QCOMPARE(Shown(w.m_dlg), "Vårcupen|R2,R1,R4,R5,R6|11111");
    }

    // What the close request and "Skapa Tabell" leave: the messages, the files (the old one whole
    // unless saved, no stray file) and the window. A backup name taken (a save within the second
    // of the one before) is counted. (The disk's own faults: tool tests.)
    void closeAndPage_data()
    {
        QTest::addColumn<QString>("command"); // "close", "remove" (Ta Bort of R1, then close), "table" (Skapa Tabell)
        QTest::addColumn<QString>("title");   // typed over the title unless null
        QTest::addColumn<QString>("cause");   // of a failure
        QTest::addColumn<QString>("error");   // "%1": the file written
        QTest::addColumn<QString>("listing");
        const QString empty = "Turneringens namn får inte vara tom", saved = "cup.txt," + kBackup;
        QTest::newRow("unchanged: nothing written") << "close" << QString() << "" << "" << "cup.txt";
        QTest::newRow("emptied title") << "close" << "" << "" << empty << "cup.txt";
        QTest::newRow("title written trimmed") << "close" << "  Höstcupen  " << "" << "" << saved;
        QTest::newRow("backup name taken") << "close" << "Höstcupen" << "taken" << ""
                                           << "cup.txt,cup_051206_143005-2.bak," + kBackup;
        QTest::newRow("first round removed") << "remove" << QString() << "" << "" << saved;
        QTest::newRow("page written") << "table" << QString() << "" << "" << "cup.htm,cup.txt,table.css";
        QTest::newRow("page: tournament named .htm") << "table" << QString() << "htm" << "Kan inte skapa filen: %1" << "cup.htm";
    }
    void closeAndPage()
    {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QString, cause);
        QFETCH(QString, error);
        CWindow w(kCup, cause == "htm" ? "cup.htm" : "cup.txt");
        const QString page = w.File("cup.htm"), backup = w.File(kBackup);
        if (!title.isNull())
            TypeOver(w.m_dlg.m_editTitle, title);
        QVERIFY(cause != "taken" || WriteBytes(backup, "older"));
        ClickRow(w.m_dlg.m_listRounds, 0);
        w.m_platform.m_answers << true; // no other case asks
        if (command == "remove")
            Click(w.m_dlg.m_btnRemove); // the only change
        if (command != "table")
            QCOMPARE(w.Close(), error.isEmpty());
        else
            Click(w.m_dlg.m_btnCreateTable);
        QCOMPARE(w.m_dlg.focusWidget() == w.m_dlg.m_editTitle, error.startsWith("Turneringens"));
        error.replace("%1", command != "table" ? w.m_path : page);
        QCOMPARE(w.m_platform.m_errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(w.m_platform.m_openedReports, command == "table" && error.isEmpty() ? QStringList{page} : QStringList());
        QTEST(Entries(w.Folder()).join(','), "listing");
        // '*' while changes wait, also after a failed save.
        QCOMPARE(w.m_dlg.windowTitle(), (w.m_dlg.isVisible() && !title.isNull() ? "*" : "") + QFileInfo(w.m_path).fileName() +
                                            " – Ravelmark");
        QCOMPARE(w.m_dlg.m_editTitle->text(), title.isNull() ? "Vårcupen" : title); // the file has it trimmed
        if (command == "remove")
            QCOMPARE(Read(w.m_path), Lines({"V\xE5rcupen", "", "R2", "Anna   3", "", "R3", "Cilla  5", "", "R4", "Bo     2",
                                            "", "R5", "Anna   1"}));
        else if (w.m_dlg.isVisible() || title.isNull())
            QCOMPARE(Read(w.m_path), kCup);
        else
            QVERIFY(Read(w.m_path).startsWith("H\xF6stcupen\r\n\r\nR1\r\n") &&
                    Read(cause == "taken" ? w.File("cup_051206_143005-2.bak") : backup) == kCup);
    }

    // Another program changed the file under the window. With changes, the close request asks
    // before it replaces that version (kept as the backup, named by its own time) or writes a
    // file that is gone anew; Nej keeps the window and its changes. Without changes, the window
    // offers to read the new version, as "Välj Turnering" would.
    void fileChangedOnDisk_data()
    {
        QTest::addColumn<QString>("change"); // "changed", "gone", or "reload" (changed, nothing unsaved)
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question"); // asked once: "text|title"
        QTest::addColumn<QString>("listing");
        QTest::addColumn<Bytes>("file"); // cup.txt afterwards; kOther: the other program's version
        const QString changed = "Filen cup.txt har ändrats av ett annat program sedan den lästes in. Spara ändå? Den "
                                "ändrade filen sparas då som säkerhetskopia.|Ravelmark",
                      gone = "Filen cup.txt finns inte längre. Spara turneringen där igen?|Ravelmark",
                      reload = "Filen cup.txt har ändrats av ett annat program. Läsa in den igen?|Ravelmark";
        QTest::newRow("changed, Ja") << "changed" << true << changed << "cup.txt,cup_060102_030405.bak" << kSaved;
        QTest::newRow("changed, Nej") << "changed" << false << changed << "cup.txt" << kOther;
        QTest::newRow("gone, Ja") << "gone" << true << gone << "cup.txt,cup.txt~" << kSaved;
        QTest::newRow("gone, Nej") << "gone" << false << gone << "cup.txt~" << Bytes("<missing>");
        QTest::newRow("reload, Ja") << "reload" << true << reload << "cup.txt,cup.txt~" << kOther;
        QTest::newRow("reload, Nej") << "reload" << false << reload << "cup.txt,cup.txt~" << kOther;
    }
    void fileChangedOnDisk()
    {
        QFETCH(QString, change);
        QFETCH(bool, yes);
        CWindow w(kCup);
        if (change != "reload")
            TypeOver(w.m_dlg.m_editTitle, "Höstcupen");
        // As editors save: a new file renamed over the old one, or (watched through the folder)
        // the old one renamed away and a new one written a moment later.
        const QString other = change == "changed" ? w.File("cup.new") : w.m_path;
        QVERIFY(change == "changed" || QFile::rename(w.m_path, w.m_path + '~'));
        QTest::qWait(100);
        QVERIFY(change == "gone" || WriteBytes(other, kOther.toStdString(), QDateTime(QDate(2006, 1, 2), QTime(3, 4, 5))));
        QVERIFY(other == w.m_path || std::rename(other.toLocal8Bit(), w.m_path.toLocal8Bit()) == 0);
        w.m_platform.m_answers << yes;
        QTest::qWait(200); // time to notice it: with changes, reading it again is never offered
        if (change == "reload") {
            QTRY_VERIFY(!w.m_platform.m_questions.isEmpty());
            QCOMPARE(Shown(w.m_dlg), yes ? "Höstcupen|R1|11100" : "Vårcupen|R1,R2,R3,R4,R5|11100");
        }
        QCOMPARE(w.Close(), yes || change == "reload");
        QTEST(w.m_platform.m_questions.join('\n'), "question");
        QTEST(Entries(w.Folder()).join(','), "listing");
        QTEST(Read(w.m_path), "file");
        QVERIFY(change != "changed" || !yes || Read(w.File("cup_060102_030405.bak")) == kOther); // the other version
        QVERIFY(!w.m_dlg.isVisible() || (w.m_dlg.m_doc.Changed() && w.m_dlg.m_editTitle->text() == "Höstcupen"));
    }

    // The reload question waits while the round editor is open and comes once it is closed (here
    // without a change);
    // after "Nej", a later change of the file put in place by a rename is asked about again.
    void reloadAskedWhenFront()
    {
        CWindow w(kCup);
        const QString reload = "Filen cup.txt har ändrats av ett annat program. Läsa in den igen?|Ravelmark";
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [&](CRoundDlg& e) {
            QVERIFY(WriteBytes(w.File("cup.new"), kOther) && std::rename(w.File("cup.new").toLocal8Bit(), w.m_path.toLocal8Bit()) == 0);
            QTest::qWait(300);
            QCOMPARE(w.m_platform.m_questions, QStringList());
            e.close();
        }));
        w.m_dlg.activateWindow(); // as the window manager does once the editor is gone
        QTRY_COMPARE(w.m_platform.m_questions, QStringList{reload});
        QTest::qWait(100);
        QVERIFY(WriteBytes(w.m_path, kOther + "\nR2\nBo 1\n"));
        QTRY_COMPARE(w.m_platform.m_questions, QStringList(2, reload));
        QCOMPARE(Shown(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11100");
    }

    // "Menar du NAME?" knows the names of the tournament shown, after a choice and after a
    // reload, and none of the one before; names that differ by Å, Ä or Ö where a keyboard
    // without them types A or O, or by a letter, are asked about too.
    void nearDuplicatesOfTheTournamentShown()
    {
        CWindow w(Bytes("Cup\n\nR1\nRen\xE9 Berg 1\n"));
        w.Choose(w.Write("other.txt", "Cup\n\nR1\n\xC5ke Lund 2\n\xD6rjan 1\nLars 1\nMuller 1\nMyller 1\n"));
        const auto asked = [&](const QStringList& names) {
            w.m_platform.m_questions.clear();
            WithEditor(w.m_dlg.m_btnNew, [&](CRoundDlg& e) {
                for (const QString& name : names)
                    AddResult(e, name, "1");
                Type(e.m_editName, "R");
                e.close();
            });
            return w.m_platform.m_questions.join(',');
        };
        // Müller is Myller to Swedish and Muller to others: the one that joined first is offered.
        // A letter away, too: the first player, not the spelling entered meanwhile.
        QCOMPARE(asked({"rene berg", "Ake lund", "orjan", "Lårs", "Müller", "Ake Lnud"}),
                 "Menar du Åke Lund?|Ravelmark,Menar du Örjan?|Ravelmark,Menar du Lars?|Ravelmark,"
                 "Menar du Muller?|Ravelmark,Menar du Åke Lund?|Ravelmark");
        w.Choose(w.File("other.txt")); // the new round dropped: nothing unsaved
        w.m_platform.m_answers << true;
        QVERIFY(WriteBytes(w.File("other.txt"), "Cup\n\nR9\nKalle 1\n"));
        QTRY_VERIFY(Rows(w.m_dlg.m_listRounds) == "R9");
        QCOMPARE(asked({"Ake Lund", "KALLE"}), "Menar du Kalle?|Ravelmark");
    }

    // The answer "Nej" to UTF-8 holds for its tournament only, and a refused character changes
    // nothing, in whichever box it is typed: the box shows what is stored, the focus stays in it,
    // no '*', nothing written at close. Each box's key is refused twice: asked, then unasked.
    void utf8RefusalPerTournament()
    {
        const Bytes latin("V\xE5rcup\n\nR1\n\xC5sa 1\n");
        const QString question = "Filen är sparad i Windows-1252, som inte kan lagra alla tecken du skrev. Spara "
                                 "turneringen som UTF-8?|Spara som UTF-8";
        // What the box shows after the refusals, and whether it has the focus.
        const auto shown = [](QWidget* box, const QString& text) { return text + (box->hasFocus() ? "|focus" : ""); };
        const auto inEditor = [](CWindow& w, const std::function<QString(CRoundDlg&)>& refuse) {
            QString seen;
            ClickRow(w.m_dlg.m_listRounds, 0);
            WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& e) {
                seen = refuse(e) + '|' + Rows(e.m_listResults);
                e.close();
            });
            return seen;
        };
        const std::vector<std::tuple<QString, std::function<QString(CWindow&)>, QString>> boxes{
            {"cup.txt",
             [&](CWindow& w) {
                 Type(w.m_dlg.m_editTitle, "xŁ");
                 Type(w.m_dlg.m_editTitle, "Ł");
                 return shown(w.m_dlg.m_editTitle, w.m_dlg.m_editTitle->text());
             },
             "Vårcupx|focus"},
            {"round.txt",
             [&](CWindow& w) {
                 return inEditor(w, [&](CRoundDlg& e) {
                     Type(e.m_editName, "Ł");
                     Type(e.m_editName, "Ł");
                     return shown(e.m_editName, e.m_editName->text());
                 });
             },
             "R1|focus|Åsa=1"},
            {"player.txt",
             [&](CWindow& w) {
                 return inEditor(w, [&](CRoundDlg& e) {
                     AddResult(e, "Ł", "2");
                     AddResult(e, "Åsa Ł", "2");
                     return shown(e.m_comboName->lineEdit(), e.m_comboName->Text());
                 });
             },
             "|focus|Åsa=1"},
        };
        CWindow w;
        for (const auto& [file, refuse, expected] : boxes) {
            w.Choose(w.Write(file, latin));
            w.m_platform.m_questions.clear();
            QCOMPARE(refuse(w), expected);
            QCOMPARE(w.m_platform.m_questions, QStringList(1, question));
            // The title's 'x' went in before the refused key: its '*' is undone.
            if (file == "cup.txt") {
                QCOMPARE(w.m_dlg.windowTitle(), "*cup.txt – Ravelmark");
                QTest::keyClick(w.m_dlg.m_editTitle, Qt::Key_Z, Qt::ControlModifier);
            }
            QCOMPARE(w.m_dlg.windowTitle(), file + " – Ravelmark");
        }
        QVERIFY(w.Close());
        QCOMPARE(Entries(w.Folder()).join(','), "cup.txt,player.txt,round.txt");
        for (const auto& [file, refuse, expected] : boxes)
            QCOMPARE(Read(w.File(file)), latin);
    }

    // Choose; add a round and edit one, each with a new player, and write the page right after
    // each; retitle, write the page once more, close.
    void wholeRoad()
    {
        const Bytes sample = Read(RAVELMARK_EXAMPLES "/klubbkamp.txt");
        CWindow w(sample, "klubbkamp.txt");
        const QString page = w.Write("klubbkamp.htm", Bytes(5000, 'x'));
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& editor) {
            AddResult(editor, "Cecilia", "12");
            AddResult(editor, "Bo", " 3 ");
            AddResult(editor, "Dagny", "0");
            Type(editor.m_editName, "Omgång_3");
            editor.close();
        }));
        Click(w.m_dlg.m_btnCreateTable);
        QCOMPARE(Cells(page), "1,Cecilia,22,<b>10</b>,&nbsp;,<b>12</b>,2|2,Bo,18,7,<b>8</b>,3,3|"
                              "3,Anna,15,<b>10</b>,5,&nbsp;,2|4,Dagny,0,&nbsp;,&nbsp;,&nbsp;,1|");
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& editor) {
            QCOMPARE(Items(editor.m_comboName), "Anna,Bo,Cecilia,Dagny"); // Dagny first played in the new round
            ClickRow(editor.m_listResults, 1);
            Click(editor.m_btnEditResult);
            TypeOver(editor.m_comboPoints->lineEdit(), "9");
            Click(editor.m_btnAddResult);
            AddResult(editor, "Erik Långström", "2");
            editor.close();
        }));
        Click(w.m_dlg.m_btnCreateTable);
        QCOMPARE(Cells(page), "1,Cecilia,22,<b>10</b>,&nbsp;,<b>12</b>,2|2,Bo,20,9,<b>8</b>,3,3|3,Anna,15,<b>10</b>,5,&nbsp;,2|"
                              "4,Erik Långström,2,2,&nbsp;,&nbsp;,1|5,Dagny,0,&nbsp;,&nbsp;,&nbsp;,1|");
        TypeOver(w.m_dlg.m_editTitle, "Klubbkamp vår");
        Click(w.m_dlg.m_btnCreateTable);
        QVERIFY(w.Close());

        QVERIFY(w.m_platform.m_errors.isEmpty());
        QCOMPARE(w.m_platform.m_openedReports, QStringList(3, page));
        QCOMPARE(Entries(w.Folder()).join(','), "klubbkamp.htm,klubbkamp.txt,klubbkamp_051206_143005.bak,table.css");
        QCOMPARE(Read(w.File("klubbkamp_051206_143005.bak")), sample);
        QCOMPARE(Read(w.m_path), Lines({"Klubbkamp v\xE5r", "", "Omg\xE5ng 1", "Anna           10", "Bo              9",
                                        "Cecilia        10", "Erik L\xE5ngstr\xF6m  2", "", "Omg\xE5ng 2",
                                        "Bo              8", "Anna            5", "", "Omg\xE5ng 3",
                                        "Cecilia        12", "Bo              3", "Dagny           0"}));
        // The last page, written over an older and longer one, is the tool's page of the saved file.
        QCOMPARE(QProcess::execute(RAVELMARK_TOOL, {"table", w.Write("k.txt", Read(w.m_path))}), 0);
        QCOMPARE(Read(page), Read(w.File("k.htm")));
    }
};

QTEST_MAIN(RavelmarkDlgTest)
#include "ravelmark_dlg_test.moc"
