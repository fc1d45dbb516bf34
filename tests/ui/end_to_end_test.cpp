// The program's road with the sample tournament, checked by the bytes it leaves on disk.
#include "TempMount.h"
#include "WindowDriver.h"

#include <QTemporaryDir>

#include <optional>

namespace {

const QDateTime kModified(QDate(2005, 12, 6), QTime(14, 30, 5));

QByteArray Sample()
{
    return ReadBytes(QStringLiteral(RAVELMARK_EXAMPLES "/klubbkamp.txt"));
}

// The page of the sample as it is read: the worked example, byte for byte.
const QByteArray kSamplePage = Lines({
    "<html>", "<head>", "<meta name=\"GENERATOR\" content=\"Ravelmark\">", "<title>Klubbkamp</title>",
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"table.css\"/>", "</head>", "<body>", "<h3>Klubbkamp</h3>",
    "<table>", "<tr>", "<th align=\"center\"><b>Placering</b></th>", "<th><b>Namn</b></th>",
    "<th align=\"center\"><b>Summa<br>Po\xE4ng</b></th>", "<th align=\"center\"><b>Omg\xE5ng<br>1</b></th>",
    "<th align=\"center\"><b>Omg\xE5ng<br>2</b></th>", "<th align=\"center\"><b>Antal<br>Omg\xE5ngar</b></th>",
    "</tr>", "<tr>", "<td align=\"center\">1</td>", "<td>Anna</td>", "<td align=\"center\">15</td>",
    "<td align=\"center\"><b>10</b></td>", "<td align=\"center\">5</td>", "<td align=\"center\">2</td>", "</tr>",
    "<tr>", "<td align=\"center\">&nbsp;</td>", "<td>Bo</td>", "<td align=\"center\">15</td>",
    "<td align=\"center\">7</td>", "<td align=\"center\"><b>8</b></td>", "<td align=\"center\">2</td>", "</tr>",
    "<tr>", "<td align=\"center\">3</td>", "<td>Cecilia</td>", "<td align=\"center\">10</td>",
    "<td align=\"center\"><b>10</b></td>", "<td align=\"center\">&nbsp;</td>", "<td align=\"center\">1</td>",
    "</tr>", "</table>", "</body>", "</html>",
});

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT
private slots:
    void createTable_data()
    {
        QTest::addColumn<QByteArray>("olderPage");
        QTest::newRow("new page") << QByteArray();
        QTest::newRow("over an older, longer page") << kSamplePage + kSamplePage;
    }

    void createTable()
    {
        QFETCH(QByteArray, olderPage);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("klubbkamp.txt"));
        const QString page = dir.filePath(QStringLiteral("klubbkamp.htm"));
        QVERIFY(WriteBytes(path, Sample()));
        if (!olderPage.isEmpty())
            QVERIFY(WriteBytes(page, olderPage));
        CWindow w;
        w.Choose(path);

        for (int run = 1; run <= 2; ++run) {
            QTest::mouseClick(w.m_dlg.m_btnCreateTable, Qt::LeftButton);
            QCOMPARE(ReadBytes(page), kSamplePage);
            QCOMPARE(w.m_platform.m_openedReports.size(), run);
            QCOMPARE(w.m_platform.m_openedReports.last(), page);
        }
        QVERIFY(w.m_platform.m_errors.isEmpty());
        QVERIFY(!w.m_dlg.m_changed);
        QVERIFY(w.Close());
        QCOMPARE(ReadBytes(path), Sample());
    }

    void createTableFailure_data()
    {
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("error"); // "%1": the page's path
        QTest::newRow("disk full") << true << "Disk full while accessing %1.";
        QTest::newRow("folder not writable") << false << "Kan inte skapa filen: %1";
    }

    void createTableFailure()
    {
        QFETCH(bool, full);
        QFETCH(QString, error);
        CTempMount mount(64 * 1024);
        if (!mount.Mounted())
            QSKIP(mount.SkipReason().c_str());
        const QDir folder(QString::fromStdString(mount.Path()));
        const QString page = folder.filePath(QStringLiteral("klubbkamp.htm"));
        QVERIFY(WriteBytes(folder.filePath(QStringLiteral("klubbkamp.txt")), Sample()));
        CWindow w;
        w.Choose(folder.filePath(QStringLiteral("klubbkamp.txt")));
        QVERIFY(full ? mount.Fill() : mount.MakeReadOnly());

        QTest::mouseClick(w.m_dlg.m_btnCreateTable, Qt::LeftButton);
        QCOMPARE(w.m_platform.m_errors, QStringList{error.replace("%1", page)});
        QVERIFY(w.m_platform.m_openedReports.isEmpty());
        QVERIFY(!w.m_dlg.m_changed);
        QCOMPARE(ReadBytes(folder.filePath(QStringLiteral("klubbkamp.txt"))), Sample());
    }

    // The page's name is the tournament's own when the file ends in ".htm": it is refused.
    void createTableNeverEmptiesTheTournament()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("klubbkamp.htm"));
        QVERIFY(WriteBytes(path, Sample()));
        CWindow w;
        w.Choose(path);
        QTest::mouseClick(w.m_dlg.m_btnCreateTable, Qt::LeftButton);
        QCOMPARE(w.m_platform.m_errors, QStringList{"Kan inte skapa filen: " + path});
        QVERIFY(w.m_platform.m_openedReports.isEmpty());
        QCOMPARE(ReadBytes(path), Sample());
    }

    // Choose, add a round, edit one, remove one, retitle, write the page, close.
    void wholeRoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("klubbkamp.txt"));
        QVERIFY(WriteBytes(path, Sample(), kModified));
        CWindow w;
        w.Choose(path);
        QCOMPARE(Rows(w.m_dlg.m_listRounds), (QStringList{"Omgång 1", "Omgång 2"}));

        QVERIFY(w.WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& editor) {
            AddResult(editor, QStringLiteral("Cecilia"), QStringLiteral("12"));
            AddResult(editor, QStringLiteral("Bo"), QStringLiteral(" 3 "));
            editor.close(); // refused: results but no name
            Type(editor.m_editName, QStringLiteral("Omgång_3"));
            editor.close();
        }));
        QCOMPARE(w.m_platform.m_errors, QStringList{"Omgångens namn får inte vara tom"});

        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(w.WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& editor) {
            ClickRow(editor.m_listResults, 1);
            QTest::mouseClick(editor.m_btnEditResult, Qt::LeftButton);
            TypeOver(editor.m_comboPoints->lineEdit(), QStringLiteral("9"));
            QTest::mouseClick(editor.m_btnAddResult, Qt::LeftButton);
            editor.close();
        }));

        ClickRow(w.m_dlg.m_listRounds, 1);
        w.m_platform.m_answers.enqueue(true);
        QTest::mouseClick(w.m_dlg.m_btnRemove, Qt::LeftButton);
        QCOMPARE(Rows(w.m_dlg.m_listRounds), (QStringList{"Omgång 1", "Omgång 3"}));

        TypeOver(w.m_dlg.m_editTitle, QStringLiteral("Klubbkamp vår"));
        QTest::mouseClick(w.m_dlg.m_btnCreateTable, Qt::LeftButton);
        QVERIFY(w.Close());

        QCOMPARE(Listing(dir.path()),
                 (QStringList{"klubbkamp.htm", "klubbkamp.txt", "klubbkamp_051206_143005.bak"}));
        QCOMPARE(ReadBytes(dir.filePath(QStringLiteral("klubbkamp_051206_143005.bak"))), Sample());
        QCOMPARE(ReadBytes(path), Lines({"Klubbkamp v\xE5r", "", "Omg\xE5ng 1", "Anna    10", "Bo       9",
                                         "Cecilia 10", "", "Omg\xE5ng 3", "Cecilia 12", "Bo       3"}));
        QCOMPARE(ReadBytes(dir.filePath(QStringLiteral("klubbkamp.htm"))),
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
                        "<td align=\"center\">2</td>", "</tr>", "<tr>", "<td align=\"center\">3</td>",
                        "<td>Anna</td>", "<td align=\"center\">10</td>", "<td align=\"center\"><b>10</b></td>",
                        "<td align=\"center\">&nbsp;</td>", "<td align=\"center\">1</td>", "</tr>", "</table>",
                        "</body>", "</html>"}));
    }
};

QTEST_MAIN(EndToEndTest)
#include "end_to_end_test.moc"
