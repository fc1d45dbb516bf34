// The main window on real files: start and keys, every outcome of choosing a file, the title
// field and the file's encoding, the round commands, the close request with its save, "Skapa
// Tabell", and the whole road of a tournament. What is on disk afterwards is what counts.
#include "TempMount.h"
#include "WindowDriver.h"

#include <QTemporaryDir>

#include <optional>

using Bytes = QByteArray;

namespace {

const Bytes kCup = Lines({"V\xE5rcupen", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3", "", "R3", "Cilla 5", "", "R4",
                          "Bo 2", "", "R5", "Anna 1"});
const QString kBackup = "cup_051206_143005.bak"; // named by the file's last modification

// A tournament file read into the main window, from a temporary folder or a small tmpfs that
// can be made "readonly" or "full".
struct CFile : CWindow
{
    explicit CFile(const Bytes& bytes = kCup, const QString& name = "cup.txt", const QString& cause = {})
    {
        if (cause == "readonly" || cause == "full")
            m_mount.emplace(64 * 1024);
        if (Usable())
            Choose(m_path = Write(name, bytes));
    }
    bool Usable() const { return !m_mount || m_mount->Mounted(); }
    QString Folder() const { return m_mount ? QString::fromStdString(m_mount->Path()) : m_dir.path(); }
    QString File(const QString& name) const { return QDir(Folder()).filePath(name); }
    QString Write(const QString& name, const Bytes& bytes) const
    {
        return WriteBytes(File(name), bytes, QDateTime(QDate(2005, 12, 6), QTime(14, 30, 5))) ? File(name) : "";
    }

    QTemporaryDir m_dir;
    std::optional<CTempMount> m_mount;
    QString m_path;
};

} // namespace

class RavelmarkDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void startsEmptyAndKeysNeverClose()
    {
        CWindow w;
        CRavelmarkDlg& d = w.m_dlg;
        QVERIFY(w.m_ready && d.m_btnChoose->isEnabled() && d.m_listRounds->isEnabled());
        QCOMPARE(State(d), "||00000|0");
        QCOMPARE(d.m_listRounds->model()->headerData(0, Qt::Horizontal).toString(), "Omgång");
        QVERIFY(d.m_listRounds->columnWidth(0) > 0 && d.m_listRounds->columnWidth(0) == d.m_listRounds->ClientWidth());
        QCOMPARE(d.windowIcon().availableSizes().size(), 2);
        QCOMPARE(d.focusWidget(), d.m_btnChoose);
        QTest::keyClick(d.m_btnChoose, Qt::Key_Escape);
        QTest::keyClick(d.m_btnChoose, Qt::Key_Return); // presses it: the file dialog opens
        QVERIFY(d.isVisible());
        QCOMPARE(w.m_platform.m_filters, QStringList{"Turnering (*.txt)"});
    }

    void choosingAFile_data()
    {
        QTest::addColumn<QString>("kind"); // "file", "missing", "cancel" or "unreadable"
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("error"); // "%1" stands for the path
        QTest::addColumn<QString>("kept");  // rounds in m_tournament, rows in m_standings
        QTest::newRow("read") << "file" << Bytes("Cup\n\nOmg\xE5ng 1\nAnna   12\nKalle\t7\n\nOmg\xE5ng 2\nKalle 9\n")
                              << "Cup|Omgång 1,Omgång 2|11100|0" << "" << "2 2";
        QTest::newRow("refused at line 10")
            << "file" << Bytes("Cup\n\nA\nAnna 5\n\nB\nBo 4\n\nC\nAnna -5\n") << "||11100|0"
            << "Rad 10 : \"Anna -5\"\nPoäng ska vara ett heltal" << "2 0";
        QTest::newRow("cannot be opened") << "missing" << Bytes() << "||11100|0" << "Kan inte öppna filen: %1" << "0 0";
        QTest::newRow("cancelled") << "cancel" << Bytes() << "||11100|0" << "" << "0 0";
        QTest::newRow("read error") << "unreadable" << Bytes() << "||11100|0"
                                    << "An unknown error occurred while accessing %1." << "0 0";
    }

    // Each outcome, chosen while another tournament with unsaved changes is shown: what the first
    // read enabled stays enabled, and nothing counts as a change.
    void choosingAFile()
    {
        QFETCH(QString, kind);
        QFETCH(Bytes, bytes);
        QFETCH(QString, error);
        CFile w;
        Type(w.m_dlg.m_editTitle, "x");
        QCOMPARE(State(w.m_dlg), "Vårcupenx|R1,R2,R3,R4,R5|11100|1");
        QString path = kind == "file" ? w.Write("chosen.txt", bytes) : kind == "missing" ? w.File("gone") : "";
        if (kind == "unreadable") {
            path = "/proc/self/mem"; // opens, but reading at offset 0 fails
            if (QFile mem(path); !mem.open(QIODevice::ReadOnly))
                QSKIP("/proc/self/mem cannot be opened here, so no read can be made to fail");
        }
        w.Choose(path);
        QTEST(State(w.m_dlg), "state");
        QCOMPARE(w.m_platform.m_errors, error.isEmpty() ? QStringList() : QStringList{error.replace("%1", path)});
        const CRavelmarkDlg& d = w.m_dlg;
        QTEST(QString("%1 %2").arg(d.m_tournament.m_rounds.size()).arg(d.m_standings.m_rows.size()), "kept");
        QCOMPARE(d.m_lineNo, 0);
        QCOMPARE(d.m_filePath, kind == "file" || kind == "unreadable" ? path : w.m_path);
    }

    void titleInTheFilesEncoding_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<QString>("shown"); // title and round
        QTest::addColumn<QString>("typed"); // at the end of the title
        QTest::addColumn<Bytes>("stored");
        QTest::newRow("Windows-1252") << Bytes("\xC5sa \xE4r \xF6verst \x80\n\nOmg\xE5ng \xC4\xD6")
                                      << "Åsa är överst €|Omgång ÄÖ" << "é" << Bytes("\xC5sa \xE4r \xF6verst \x80\xE9");
        QTest::newRow("UTF-8") << Bytes("\xC3\x85sa \xC3\xA4r \xC3\xB6verst\n\nOmg\xC3\xA5ng \xC3\x84\xC3\x96")
                               << "Åsa är överst|Omgång ÄÖ" << "ł" << Bytes("\xC3\x85sa \xC3\xA4r \xC3\xB6verst\xC5\x82");
        QTest::newRow("UTF-8 with byte-order mark") << Bytes("\xEF\xBB\xBF\xC3\xA5\n\nx") << "å|x" << "ł"
                                                    << Bytes("\xC3\xA5\xC5\x82");
    }

    // Typing, and setting the text from the program, copy the field into m_title as a change.
    void titleInTheFilesEncoding()
    {
        QFETCH(Bytes, file);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        CFile w(file + "\nAnna 1\n");
        CRavelmarkDlg& d = w.m_dlg;
        QCOMPARE(State(d), shown + "|11100|0");
        Type(d.m_editTitle, typed);
        QCOMPARE(State(d), shown.replace('|', typed + '|') + "|11100|1");
        QTEST(Bytes::fromStdString(d.m_tournament.m_title), "stored");
        d.m_changed = false;
        d.m_tournament.m_title.clear();
        d.m_editTitle->SetText(d.m_editTitle->text());
        QTEST(Bytes::fromStdString(d.m_tournament.m_title), "stored");
        QVERIFY(d.m_changed);
        d.m_editTitle->setFocus();
        QTest::keyClick(d.m_editTitle, Qt::Key_Return); // presses no button
        QCOMPARE(w.m_platform.m_filters.size(), 1);
    }

    // Text Windows-1252 cannot hold: an ASCII file becomes UTF-8 as it is; any other becomes
    // UTF-8 with its mark once the user agrees, all its text converted, or keeps refusing such
    // text without asking again.
    void untypableTextMakesTheFileUtf8_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<QString>("where"); // typed into: "title", or a player in a new round
        QTest::addColumn<QString>("answers");
        QTest::addColumn<Bytes>("saved"); // "" when nothing may be written
        const Bytes ascii("Cup\n\nR1\nAnna 1\n"), latin("V\xE5rcup\n\nR1\n\xC5sa 1\n");
        QTest::newRow("ASCII, title") << ascii << "title" << "" << Lines({"Cup\xC5\x81x", "", "R1", "Anna  1"});
        QTest::newRow("ASCII, player") << ascii << "player" << ""
                                       << Lines({"Cup", "", "R1", "Anna    1", "", "\xC3\x96", "\xC5\x81ukasz  7"});
        QTest::newRow("Windows-1252, yes") << latin << "player" << "1"
                                           << "\xEF\xBB\xBF" + Lines({"V\xC3\xA5rcup", "", "R1", "\xC3\x85sa     1", "",
                                                                   "\xC3\x96", "\xC5\x81ukasz  7"});
        QTest::newRow("Windows-1252, no") << latin << "title" << "0" << Bytes();
        QTest::newRow("Windows-1252, no, in the editor") << latin << "player" << "0"
                                                         << Lines({"V\xE5rcup", "", "R1", "\xC5sa  1", "", "\xD6", "Bo   7"});
    }
    void untypableTextMakesTheFileUtf8()
    {
        QFETCH(Bytes, file);
        QFETCH(QString, where);
        QFETCH(QString, answers);
        QFETCH(Bytes, saved);
        CFile w(file);
        for (const QChar answer : answers)
            w.m_platform.m_answers << (answer == '1');
        if (where == "title") {
            Type(w.m_dlg.m_editTitle, "Ł");
            Type(w.m_dlg.m_editTitle, "x"); // after a no, refused again with a beep, no second question
            QCOMPARE(w.m_dlg.m_editTitle->text().endsWith("Łx"), true);
        } else {
            // The new round's name is typed first where it must be converted with the rest.
            const bool nameFirst = !file.startsWith("Cup");
            QVERIFY(WithEditor(w.m_dlg.m_btnNew, [nameFirst](CRoundDlg& editor) {
                if (nameFirst)
                    Type(editor.m_editName, "Ö");
                AddResult(editor, "Łukasz", "7");
                if (!editor.m_comboName->Text().isEmpty()) { // refused: the text stays to mend
                    QVERIFY(editor.m_comboName->hasFocus() && editor.m_listResults->GetItemCount() == 0);
                    AddResult(editor, "Bo", "7");
                }
                if (!nameFirst)
                    Type(editor.m_editName, "Ö");
                editor.close();
            }));
        }
        QCOMPARE(w.m_platform.m_questions.size(), answers.size());
        QCOMPARE(w.Close(), true);
        QCOMPARE(ReadBytes(w.m_path), saved.isEmpty() ? file : saved);
        QCOMPARE(ReadBytes(w.File(kBackup)), saved.isEmpty() ? Bytes("<missing>") : file);
    }

    // The title goes through the field and back into m_title: no byte may change on the way.
    void everyByteComesBackUnedited()
    {
        Bytes name("<");
        for (int b = 0; b < 256; ++b)
            name.append(b == '\n' || b == '\t' ? "" : Bytes(1, static_cast<char>(b)));
        name.append('>');
        CFile w(name + "\r\n\r\n" + name + "\r\n");
        QVERIFY(w.m_platform.m_errors.isEmpty());
        QCOMPARE(w.m_dlg.m_editTitle->text().size(), name.size());
        QCOMPARE(w.m_dlg.m_editTitle->text().at(0xE5 - 1), QChar(u'å')); // byte b > 0x0A sits at b - 1
        QCOMPARE(Bytes::fromStdString(w.m_dlg.m_tournament.m_title), name);
        QCOMPARE(Rows(w.m_dlg.m_listRounds).size(), name.size());
    }

    // A UTF-8 file keeps its encoding and mark through the editor and the save: names padded by
    // characters, typed text stored as UTF-8.
    void utf8FileSavedAsItCame()
    {
        CFile w(Bytes("\xEF\xBB\xBFS\xC3\xA5ngcup\n\nR\xC3\xB6" "d\n\xC3\x85sa 5\nBo 7\n"));
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& editor) {
            AddResult(editor, "Łukasz Ørn", "1250"); // four digits fit the points box
            editor.close();
        }));
        QVERIFY(w.Close());
        QCOMPARE(ReadBytes(w.m_path), "\xEF\xBB\xBF" + Lines({"S\xC3\xA5ngcup", "", "R\xC3\xB6" "d", "\xC3\x85sa         5",
                                                          "Bo          7", "\xC5\x81ukasz \xC3\x98rn 1250"}));
    }

    // Ny, Redigera and Ta Bort, and the selection mark they act on.
    void roundCommands()
    {
        CFile w;
        CListView* list = w.m_dlg.m_listRounds;
        const auto closeAtOnce = [](CRoundDlg& editor) { editor.close(); };
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, closeAtOnce)); // an empty round is dropped
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down); // keys alone enable nothing
        QCOMPARE(State(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11100|0");
        ClickRow(list, 1);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, closeAtOnce));
        QCOMPARE(State(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11111|1"); // the editor's opening is a change
        QVERIFY(!WithEditor(w.m_dlg.m_btnEdit, closeAtOnce));     // the refilled list holds no mark

        w.m_dlg.m_changed = false;
        ClickRow(list, 1);
        QTest::keyClick(list, Qt::Key_Down); // the keys move the mark the commands act on
        w.m_platform.m_answers << false << true;
        Click(w.m_dlg.m_btnRemove);
        QCOMPARE(State(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11111|0");
        Click(w.m_dlg.m_btnRemove);
        Click(w.m_dlg.m_btnRemove); // no mark after the refill: asks nothing
        QCOMPARE(w.m_platform.m_questions, QStringList(2, "Vill du ta bort omgång R3 ?|Ta bort omgång"));
        QCOMPARE(State(w.m_dlg), "Vårcupen|R1,R2,R4,R5|11111|1");
        QCOMPARE(w.m_dlg.m_standings.m_rows.size(), 2u); // Cilla played R3 only
        w.Choose(w.m_path); // forgets the mark; the buttons wait for the next click
        ClickRow(list, -1);
        QCOMPARE(State(w.m_dlg), "Vårcupen|R1,R2,R3,R4,R5|11100|0");
    }

    // What the close request and "Skapa Tabell" leave: the messages, the files (the old one whole
    // unless saved, no stray file), the window and m_changed. A failed save keeps the window and
    // m_changed, and the next close saves once the cause is gone.
    void closeAndPage_data()
    {
        QTest::addColumn<QString>("command"); // "close", or "table" for "Skapa Tabell"
        QTest::addColumn<QString>("title");   // typed over the title unless null
        QTest::addColumn<QString>("cause");   // of a failure
        QTest::addColumn<QString>("error");   // "%1": the file written
        QTest::addColumn<QString>("listing");
        const QString empty = "Turneringens namn får inte vara tom", saved = "cup.txt," + kBackup;
        const QString readOnly = "Kan inte skapa filen: %1", full = "Disk full while accessing %1.";
        QTest::newRow("unchanged: nothing written") << "close" << QString() << "" << "" << "cup.txt";
        QTest::newRow("emptied title") << "close" << "" << "" << empty << "cup.txt";
        QTest::newRow("blank title") << "close" << "   " << "" << empty << "cup.txt";
        QTest::newRow("title written trimmed") << "close" << "  Höstcupen  " << "" << "" << saved;
        QTest::newRow("backup name taken") << "close" << "Höstcupen" << "taken"
                                           << "Access to an unnamed file was denied." << saved;
        QTest::newRow("file gone") << "close" << "Höstcupen" << "gone" << "an unnamed file was not found." << "";
        QTest::newRow("read-only") << "close" << "Höstcupen" << "readonly" << readOnly << "cup.txt";
        QTest::newRow("disk full") << "close" << "Höstcupen" << "full" << full << "cup.txt,filler";
        QTest::newRow("page written") << "table" << QString() << "" << "" << "cup.htm,cup.txt";
        QTest::newRow("page: read-only") << "table" << QString() << "readonly" << readOnly << "cup.txt";
        QTest::newRow("page: disk full") << "table" << QString() << "full" << full << "cup.txt,filler";
        QTest::newRow("page: tournament named .htm") << "table" << QString() << "htm" << readOnly << "cup.htm";
    }
    void closeAndPage()
    {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QString, cause);
        QFETCH(QString, error);
        CFile w(kCup, cause == "htm" ? "cup.htm" : "cup.txt", cause);
        if (!w.Usable())
            QSKIP(w.m_mount->SkipReason().c_str());
        const QString page = w.File("cup.htm"), backup = w.File(kBackup);
        if (!title.isNull())
            TypeOver(w.m_dlg.m_editTitle, title);
        QVERIFY(cause == "taken"      ? WriteBytes(backup, "older")
                : cause == "gone"     ? QFile::remove(w.m_path)
                : cause == "full"     ? w.m_mount->Fill()
                : cause == "readonly" ? w.m_mount->MakeReadOnly()
                                      : true);
        if (command == "close")
            QCOMPARE(w.Close(), error.isEmpty());
        else
            Click(w.m_dlg.m_btnCreateTable);
        const bool refused = error.startsWith("Turneringens");
        error.replace("%1", command == "close" ? w.m_path : page);
        QCOMPARE(w.m_platform.m_errors, error.isEmpty() ? QStringList() : QStringList{error});
        const bool written = command == "table" && error.isEmpty();
        QCOMPARE(w.m_platform.m_openedReports, written ? QStringList{page} : QStringList());
        QTEST(Listing(w.Folder()), "listing");
        QCOMPARE(w.m_dlg.m_editTitle->text(), title.isNull() ? "Vårcupen" : title); // only m_title is trimmed
        QCOMPARE(w.m_dlg.focusWidget() == w.m_dlg.m_editTitle, refused);
        QCOMPARE(w.m_dlg.m_changed, !title.isNull());
        if (command == "close" && (cause == "taken" || cause == "full")) {
            QVERIFY(QFile::remove(cause == "taken" ? backup : w.File("filler")));
            QVERIFY(w.Close());
        }
        if (w.m_dlg.isVisible() || title.isNull())
            QCOMPARE(ReadBytes(w.m_path), cause == "gone" ? "<missing>" : kCup);
        else
            QVERIFY(ReadBytes(w.m_path).startsWith("H\xF6stcupen\r\n\r\nR1\r\n") && ReadBytes(backup) == kCup);
    }

    // Choose, add a round, edit one, remove one, retitle, write the page over an older and longer
    // one, close.
    void wholeRoad()
    {
        const Bytes sample = ReadBytes(RAVELMARK_EXAMPLES "/klubbkamp.txt");
        CFile w(sample, "klubbkamp.txt");
        const QString page = w.Write("klubbkamp.htm", Bytes(5000, 'x'));
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& editor) {
            AddResult(editor, "Cecilia", "12");
            AddResult(editor, "Bo", " 3 ");
            editor.close(); // refused: results but no name
            Type(editor.m_editName, "Omgång_3");
            editor.close();
        }));
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& editor) {
            ClickRow(editor.m_listResults, 1);
            Click(editor.m_btnEditResult);
            TypeOver(editor.m_comboPoints->lineEdit(), "9");
            Click(editor.m_btnAddResult);
            editor.close();
        }));
        ClickRow(w.m_dlg.m_listRounds, 1);
        w.m_platform.m_answers.enqueue(true);
        Click(w.m_dlg.m_btnRemove);
        TypeOver(w.m_dlg.m_editTitle, "Klubbkamp vår");
        Click(w.m_dlg.m_btnCreateTable);
        QVERIFY(w.Close());

        QCOMPARE(w.m_platform.m_errors, QStringList{"Omgångens namn får inte vara tom"});
        QCOMPARE(w.m_platform.m_openedReports, QStringList{page});
        QCOMPARE(Listing(w.Folder()), "klubbkamp.htm,klubbkamp.txt,klubbkamp_051206_143005.bak");
        QCOMPARE(ReadBytes(w.File("klubbkamp_051206_143005.bak")), sample);
        QCOMPARE(ReadBytes(w.m_path), Lines({"Klubbkamp v\xE5r", "", "Omg\xE5ng 1", "Anna    10", "Bo       9",
                                             "Cecilia 10", "", "Omg\xE5ng 3", "Cecilia 12", "Bo       3"}));
        QCOMPARE(ReadBytes(page),
                 Lines({"<html>", "<head>", "<meta name=\"GENERATOR\" content=\"Ravelmark\">",
                        "<title>Klubbkamp v\xE5r</title>",
                        "<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>", "</head>", "<body>",
                        "<h3>Klubbkamp v\xE5r</h3>", "<table>", "<tr>", "<th align=\"center\"><b>Placering</b></th>",
                        "<th><b>Namn</b></th>", "<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>",
                        "<th align=\"center\"><b>Omg\xE5ng<br>1</b></th>",
                        "<th align=\"center\"><b>Omg\xE5ng<br>3</b></th>",
                        "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>", "</tr>", "<tr>",
                        "<td align=\"center\">1</td>", "<td>Cecilia</td>", "<td align=\"center\">22</td>",
                        "<td align=\"center\"><b>10</b></td>", "<td align=\"center\"><b>12</b></td>",
                        "<td align=\"center\">2</td>", "</tr>", "<tr>", "<td align=\"center\">2</td>", "<td>Bo</td>",
                        "<td align=\"center\">12</td>", "<td align=\"center\">9</td>", "<td align=\"center\">3</td>",
                        "<td align=\"center\">2</td>", "</tr>", "<tr>", "<td align=\"center\">3</td>", "<td>Anna</td>",
                        "<td align=\"center\">10</td>", "<td align=\"center\"><b>10</b></td>",
                        "<td align=\"center\">&nbsp;</td>", "<td align=\"center\">1</td>", "</tr>", "</table>",
                        "</body>", "</html>"}));
    }
};

QTEST_MAIN(RavelmarkDlgTest)
#include "ravelmark_dlg_test.moc"
