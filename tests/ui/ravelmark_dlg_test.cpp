// The main window driven as a user would: start, keys, choosing files, the title and the list.
#include "Controls.h"
#include "FakePlatform.h"
#include "RavelmarkDlg.h"

#include <QFile>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Bytes = QByteArray;

// Types text as the keyboard would, any character included (QTest::keyClicks takes ASCII only).
void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The main window as the program shows it, with a fake platform behind it.
class CWindow
{
public:
    CWindow()
    {
        m_dlg.InitDialog();
        m_dlg.show();
        m_dlg.activateWindow();
    }

    bool Ready() { return QTest::qWaitForWindowActive(&m_dlg); }

    // Presses "Välj Turnering" and "chooses" `path` (empty: cancels the file dialog).
    void Choose(const QString& path)
    {
        m_platform.m_files.enqueue(path);
        QTest::mouseClick(m_dlg.m_btnChoose, Qt::LeftButton);
    }

    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < m_dlg.m_listRounds->GetItemCount(); ++i)
            rows << m_dlg.m_listRounds->GetItemText(i, 0);
        return rows;
    }

    // Enabled state of Skapa Tabell, the title field, Ny, Redigera, Ta Bort, as "11100".
    QString Enabled() const
    {
        QString s;
        for (const QWidget* c : QList<const QWidget*>{m_dlg.m_btnCreateTable, m_dlg.m_editTitle, m_dlg.m_btnNew,
                                                      m_dlg.m_btnEdit, m_dlg.m_btnRemove})
            s += c->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }

    // A left-button click on a row, or on the empty area below the rows (-1).
    void Click(int row)
    {
        CListView* list = m_dlg.m_listRounds;
        const QPoint at = row < 0 ? QPoint(5, list->viewport()->height() - 5)
                                  : list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    CFakePlatform m_platform;
    CRavelmarkDlg m_dlg{m_platform};
};

} // namespace

class RavelmarkDlgTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QString& name, const Bytes& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Sample()
    {
        return Write(QStringLiteral("sample.txt"),
                     "V\xE5rturneringen\r\n\r\nOmg\xE5ng 1\r\nAnna Berg   12\r\nKalle 7\r\n"
                     "\r\nOmg\xE5ng 2\r\nKalle 9\r\n");
    }

private slots:
    void startsEmptyWithTheFocusOnChoose()
    {
        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Ravelmark"));
        QCOMPARE(dlg.focusWidget(), dlg.m_btnChoose);
        QCOMPARE(w.Enabled(), QStringLiteral("00000"));
        QVERIFY(dlg.m_btnChoose->isEnabled() && dlg.m_listRounds->isEnabled());
        QCOMPARE(dlg.m_editTitle->text(), QString());
        QCOMPARE(dlg.m_listRounds->GetItemCount(), 0);
        QCOMPARE(dlg.m_listRounds->columnCount(), 1);
        QCOMPARE(dlg.m_listRounds->headerItem()->text(0), QStringLiteral("Omgång"));
        QCOMPARE(dlg.m_listRounds->columnWidth(0), dlg.m_listRounds->ClientWidth());
        QCOMPARE(dlg.m_listRounds->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!dlg.m_changed);
        const QList<QSize> sizes = dlg.windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
    }

    void enterAndEscapeChangeNothing()
    {
        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        QLoggingCategory::setFilterRules(QStringLiteral("ravelmark.trace.debug=true"));

        // Enter on the focused "Välj Turnering" runs it.
        w.m_platform.m_files.enqueue(Sample());
        QTest::keyClick(dlg.m_btnChoose, Qt::Key_Return);
        QCOMPARE(w.Rows().size(), 2);

        dlg.m_changed = false;
        for (QWidget* target : QList<QWidget*>{dlg.m_editTitle, dlg.m_listRounds}) {
            target->setFocus();
            QTest::ignoreMessage(QtDebugMsg, "--- CRavelmarkDlg::OnOK()\n");
            QTest::keyClick(target, Qt::Key_Return);
            QTest::ignoreMessage(QtDebugMsg, "--- CRavelmarkDlg::OnCancel()\n");
            QTest::keyClick(target, Qt::Key_Escape);
        }
        QTest::ignoreMessage(QtDebugMsg, "--- CRavelmarkDlg::OnCancel()\n");
        QTest::keyClick(dlg.m_btnChoose, Qt::Key_Escape);
        QLoggingCategory::setFilterRules(QString());

        QVERIFY(dlg.isVisible());
        QVERIFY(!dlg.m_changed);
        QCOMPARE(dlg.m_editTitle->text(), QStringLiteral("Vårturneringen"));
        QCOMPARE(w.Rows().size(), 2);
        QCOMPARE(w.m_platform.m_filters, QStringList{QStringLiteral("Turnering (*.txt)")});
    }

    void choosingAFile_data()
    {
        QTest::addColumn<QString>("kind"); // "file", "missing", "cancel" or "unreadable"
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("error"); // "%1" stands for the path
        QTest::addColumn<QString>("keptTitle");
        QTest::addColumn<int>("keptRounds");
        QTest::addColumn<int>("players");

        const Bytes good = "V\xE5rturneringen\n\nOmg\xE5ng 1\nAnna Berg   12\nKalle  7\n\nOmg\xE5ng 2\nKalle\t9\n";
        QTest::newRow("read") << "file" << good << "Vårturneringen" << QStringList{"Omgång 1", "Omgång 2"} << ""
                              << "Vårturneringen" << 2 << 2;
        QTest::newRow("title only") << "file" << Bytes("Cup") << "Cup" << QStringList{} << "" << "Cup" << 0 << 0;
        QTest::newRow("refused at line 5")
            << "file" << Bytes("Cup\n\nOmg 1\nAnna 5\nKalle\n\nOmg 2\n") << "" << QStringList{}
            << "Rad 5 : \"Kalle\"\nFörväntad resultatrad: <Spelarnamn> <Poäng>" << "Cup" << 0 << 0;
        QTest::newRow("refused after two rounds")
            << "file" << Bytes("Cup\n\nA\nAnna 5\n\nB\nBo 4\n\nC\nAnna -5\n") << "" << QStringList{}
            << "Rad 10 : \"Anna -5\"\nPoäng ska vara ett heltal" << "Cup" << 2 << 0;
        QTest::newRow("blank title line") << "file" << Bytes(" \t \nOmg 1\n") << "" << QStringList{}
                                          << "Rad 1 : \"\"\nTitelraden är tom" << "" << 0 << 0;
        QTest::newRow("empty file") << "file" << Bytes() << "" << QStringList{} << "Titelraden är tom" << "" << 0 << 0;
        QTest::newRow("cannot be opened") << "missing" << Bytes() << "" << QStringList{} << "Kan inte öppna filen: %1"
                                          << "" << 0 << 0;
        QTest::newRow("cancelled") << "cancel" << Bytes() << "" << QStringList{} << "" << "" << 0 << 0;
        QTest::newRow("read error") << "unreadable" << Bytes() << "" << QStringList{}
                                    << "An unknown error occurred while accessing %1." << "" << 0 << 0;
    }

    // Each outcome, chosen while another tournament with unsaved changes is shown.
    void choosingAFile()
    {
        QFETCH(QString, kind);
        QFETCH(Bytes, bytes);
        QFETCH(QString, title);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        QFETCH(QString, keptTitle);
        QFETCH(int, keptRounds);
        QFETCH(int, players);

        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        const QString first = Sample();
        w.Choose(first);
        Type(dlg.m_editTitle, QStringLiteral(" ändrad"));
        QVERIFY(dlg.m_changed);

        QString path;
        if (kind == QLatin1String("file"))
            path = Write(QStringLiteral("chosen.txt"), bytes);
        else if (kind == QLatin1String("missing"))
            path = m_dir.filePath(QStringLiteral("gone.txt"));
        else if (kind == QLatin1String("unreadable")) {
            path = QStringLiteral("/proc/self/mem"); // opens, but reading at offset 0 fails
            if (QFile mem(path); !mem.open(QIODevice::ReadOnly))
                QSKIP("/proc/self/mem cannot be opened here, so no read can be made to fail");
        }
        w.Choose(path);

        QCOMPARE(dlg.m_editTitle->text(), title);
        QCOMPARE(w.Rows(), rows);
        const QStringList errors =
            error.isEmpty() ? QStringList{} : QStringList{error.replace(QStringLiteral("%1"), path)};
        QCOMPARE(w.m_platform.m_errors, errors);
        QVERIFY(!dlg.m_changed);
        QCOMPARE(dlg.m_lineNo, 0);
        QCOMPARE(dlg.ToDisplay(dlg.m_tournament.m_title), keptTitle);
        QCOMPARE(dlg.m_tournament.m_rounds.size(), static_cast<std::size_t>(keptRounds));
        const bool opened = kind == QLatin1String("file") || kind == QLatin1String("unreadable");
        QCOMPARE(dlg.m_filePath, opened ? path : first);
        QCOMPARE(dlg.m_standings.m_rows.size(), static_cast<std::size_t>(players));
        // What the first read enabled stays enabled.
        QCOMPARE(w.Enabled(), QStringLiteral("11100"));
    }

    void titleFieldCopiesEveryChange()
    {
        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        w.Choose(Sample());
        QVERIFY(!dlg.m_changed);

        dlg.m_editTitle->setFocus();
        dlg.m_editTitle->end(false);
        Type(dlg.m_editTitle, QStringLiteral(" å"));
        QCOMPARE(dlg.m_tournament.m_title, std::string("V\xE5rturneringen \xE5"));
        QVERIFY(dlg.m_changed);

        // Not in Windows-1252: stored as '?', still shown as typed.
        Type(dlg.m_editTitle, QStringLiteral("→"));
        QCOMPARE(dlg.m_tournament.m_title, std::string("V\xE5rturneringen \xE5?"));
        QCOMPARE(dlg.m_editTitle->text(), QStringLiteral("Vårturneringen å→"));

        // Setting the same text from the program is a change too.
        dlg.m_changed = false;
        dlg.m_tournament.m_title.clear();
        dlg.m_editTitle->SetText(dlg.m_editTitle->text());
        QVERIFY(dlg.m_changed);
        QCOMPARE(dlg.m_tournament.m_title, std::string("V\xE5rturneringen \xE5?"));

        // Untrimmed, and an emptied field empties the title.
        dlg.m_editTitle->selectAll();
        Type(dlg.m_editTitle, QStringLiteral("  Vårcupen  "));
        QCOMPARE(dlg.m_tournament.m_title, std::string("  V\xE5rcupen  "));
        dlg.m_editTitle->selectAll();
        QTest::keyClick(dlg.m_editTitle, Qt::Key_Delete);
        QCOMPARE(dlg.m_tournament.m_title, std::string());
    }

    void onlyAClickUpdatesTheRoundButtons()
    {
        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        const QString file = Write(QStringLiteral("three.txt"), "Cup\n\nA\n\nB\n\nC\n");
        w.Choose(file);
        QCOMPARE(w.Rows(), QStringList({"A", "B", "C"}));

        dlg.m_listRounds->setFocus();
        QTest::keyClick(dlg.m_listRounds, Qt::Key_Down);
        QTest::keyClick(dlg.m_listRounds, Qt::Key_Down);
        QVERIFY(dlg.m_listRounds->GetSelectionMark() >= 0);
        QCOMPARE(w.Enabled(), QStringLiteral("11100"));

        w.Click(1);
        QCOMPARE(dlg.m_listRounds->GetSelectionMark(), 1);
        QCOMPARE(w.Enabled(), QStringLiteral("11111"));
        QTest::keyClick(dlg.m_listRounds, Qt::Key_Down);
        QCOMPARE(dlg.m_listRounds->GetSelectionMark(), 2); // what Redigera and Ta Bort would act on
        QTest::mouseClick(dlg.m_listRounds->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(w.Enabled(), QStringLiteral("11111"));

        // Reading again forgets the mark but leaves the buttons; the next click decides.
        w.Choose(file);
        QCOMPARE(dlg.m_listRounds->GetSelectionMark(), -1);
        QCOMPARE(w.Enabled(), QStringLiteral("11111"));
        w.Click(-1);
        QCOMPARE(w.Enabled(), QStringLiteral("11100"));
        QVERIFY(!dlg.m_changed);
    }

    void textShowsInTheFilesEncoding_data()
    {
        QTest::addColumn<Bytes>("title");
        QTest::addColumn<Bytes>("round");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<QString>("shownRound");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Bytes>("stored");

        QTest::newRow("Windows-1252") << Bytes("\xC5sa \xE4r \xF6verst \x80") << Bytes("Omg\xE5ng \xC4\xD6")
                                      << "Åsa är överst €" << "Omgång ÄÖ" << "ł" << Bytes("?");
        QTest::newRow("UTF-8") << Bytes("\xC3\x85sa \xC3\xA4r \xC3\xB6verst") << Bytes("Omg\xC3\xA5ng \xC3\x84\xC3\x96")
                               << "Åsa är överst" << "Omgång ÄÖ" << "ł" << Bytes("\xC5\x82");
        QTest::newRow("UTF-8 with byte-order mark") << Bytes("\xEF\xBB\xBF\xC3\xA5") << Bytes("x") << "å" << "x" << "ö"
                                                    << Bytes("\xC3\xB6");
    }

    void textShowsInTheFilesEncoding()
    {
        QFETCH(Bytes, title);
        QFETCH(Bytes, round);
        QFETCH(QString, shownTitle);
        QFETCH(QString, shownRound);
        QFETCH(QString, typed);
        QFETCH(Bytes, stored);

        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        w.Choose(Write(QStringLiteral("enc.txt"), title + "\n\n" + round + "\nAnna 1\n"));
        QCOMPARE(dlg.m_editTitle->text(), shownTitle);
        QCOMPARE(w.Rows(), QStringList{shownRound});

        dlg.m_editTitle->setFocus();
        dlg.m_editTitle->end(false);
        Type(dlg.m_editTitle, typed);
        const Bytes expected = (title.startsWith("\xEF\xBB\xBF") ? title.mid(3) : title) + stored;
        QCOMPARE(Bytes::fromStdString(dlg.m_tournament.m_title), expected);
    }

    void everyByteComesBackUnedited()
    {
        Bytes title("<");
        for (int b = 0; b < 256; ++b) {
            if (b != '\n' && b != '\t')
                title.append(static_cast<char>(b));
        }
        title.append('>');

        CWindow w;
        QVERIFY(w.Ready());
        CRavelmarkDlg& dlg = w.m_dlg;
        w.Choose(Write(QStringLiteral("bytes.txt"), title + "\r\n\r\n" + title + "\r\n"));
        QVERIFY(w.m_platform.m_errors.isEmpty());
        QCOMPARE(dlg.m_editTitle->text().size(), title.size());
        QCOMPARE(dlg.m_editTitle->text().at(0xE5 - 1), QChar(u'å')); // byte b > 0x0A sits at b - 1
        QCOMPARE(Bytes::fromStdString(dlg.m_tournament.m_title), title);
        QCOMPARE(w.Rows().size(), 1);
        QCOMPARE(w.Rows().first().size(), title.size());
    }
};

QTEST_MAIN(RavelmarkDlgTest)
#include "ravelmark_dlg_test.moc"
