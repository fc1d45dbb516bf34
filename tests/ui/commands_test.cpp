// The main window's round commands, the changed flag, and the close request with its save,
// on real files: what is on disk afterwards is what counts.
#include "Reader.h"
#include "TempMount.h"
#include "WindowDriver.h"

#include <QTemporaryDir>

#include <optional>

namespace {

const QByteArray kFile = Lines({"V\xE5rcupen", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3", "", "R3", "Cilla 5", "",
                                "R4", "Bo 2", "", "R5", "Anna 1"});
const QDateTime kModified(QDate(2005, 12, 6), QTime(14, 30, 5));
const QString kBackup = QStringLiteral("cup_051206_143005.bak");

QStringList Players(const CStandings& standings)
{
    QStringList names;
    for (const CPlayerRow& row : standings.m_rows)
        names << QString::fromStdString(row.m_name);
    return names;
}

// The five-round cup read into a fresh window; the file lies in `folder`.
struct CCup
{
    explicit CCup(const QString& folder)
        : m_path(folder + QStringLiteral("/cup.txt"))
    {
        m_written = WriteBytes(m_path, kFile, kModified);
        m_window.Choose(m_path);
    }
    bool Ready() const { return m_written && m_window.m_dlg.m_listRounds->GetItemCount() == 5; }

    QString m_path;
    bool m_written = false;
    CWindow m_window;
};

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void newRound_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("player");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("changed");
        const QStringList five{"R1", "R2", "R3", "R4", "R5"};
        QTest::newRow("closed at once is dropped") << QString() << QString() << five << false;
        QTest::newRow("named, no results") << QStringLiteral("Final") << QString() << five + QStringList{"Final"}
                                           << true;
        QTest::newRow("named, with a result, last whatever its name")
            << QStringLiteral("A_round") << QStringLiteral("Dan") << five + QStringList{"A round"} << true;
    }

    void newRound()
    {
        QFETCH(QString, name);
        QFETCH(QString, player);
        QFETCH(QStringList, rows);
        QFETCH(bool, changed);
        QTemporaryDir dir;
        CCup cup(dir.path());
        QVERIFY(cup.Ready());
        CWindow& w = cup.m_window;
        QVERIFY(w.WithEditor(w.m_dlg.m_btnNew, [&](CRoundDlg& editor) {
            Type(editor.m_editName, name);
            if (!player.isEmpty())
                AddResult(editor, player, QStringLiteral("4"));
            editor.close();
        }));
        QCOMPARE(Rows(w.m_dlg.m_listRounds), rows);
        QCOMPARE(w.m_dlg.m_changed, changed);
        QCOMPARE(Players(w.m_dlg.m_standings).contains(QStringLiteral("Dan")), !player.isEmpty());
    }

    void editRound()
    {
        QTemporaryDir dir;
        CCup cup(dir.path());
        QVERIFY(cup.Ready());
        CWindow& w = cup.m_window;
        const auto closeAtOnce = [](CRoundDlg& editor) { editor.close(); };

        ClickRow(w.m_dlg.m_listRounds, 1);
        QVERIFY(w.WithEditor(w.m_dlg.m_btnEdit, closeAtOnce));
        QVERIFY(w.m_dlg.m_changed); // the editor counts its opening as a change
        QCOMPARE(Rows(w.m_dlg.m_listRounds), (QStringList{"R1", "R2", "R3", "R4", "R5"}));
        QCOMPARE(w.m_dlg.m_tournament.m_rounds[1].m_results.size(), std::size_t{1});

        // The refilled list holds no mark: the button stays enabled but does nothing.
        QVERIFY(w.m_dlg.m_btnEdit->isEnabled());
        QVERIFY(!w.WithEditor(w.m_dlg.m_btnEdit, closeAtOnce));

        // The arrow keys move the mark that the commands act on.
        ClickRow(w.m_dlg.m_listRounds, 1);
        QTest::keyClick(w.m_dlg.m_listRounds, Qt::Key_Down);
        QString shownName;
        QVERIFY(w.WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& editor) {
            shownName = editor.m_editName->text();
            TypeOver(editor.m_editName, QStringLiteral("Semi"));
            AddResult(editor, QStringLiteral("Dan"), QStringLiteral("9"));
            editor.close();
        }));
        QCOMPARE(shownName, QStringLiteral("R3"));
        QCOMPARE(Rows(w.m_dlg.m_listRounds), (QStringList{"R1", "R2", "Semi", "R4", "R5"}));
        QCOMPARE(Players(w.m_dlg.m_standings), (QStringList{"Anna", "Bo", "Cilla", "Dan"}));
    }

    void removeRound_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("players");
        QTest::newRow("yes") << true << QStringList{"R1", "R2", "R4", "R5"} << QStringList{"Anna", "Bo"};
        QTest::newRow("no") << false << QStringList{"R1", "R2", "R3", "R4", "R5"}
                            << QStringList{"Anna", "Bo", "Cilla"};
    }

    void removeRound()
    {
        QFETCH(bool, yes);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, players);
        QTemporaryDir dir;
        CCup cup(dir.path());
        QVERIFY(cup.Ready());
        CWindow& w = cup.m_window;
        ClickRow(w.m_dlg.m_listRounds, 2);
        w.m_platform.m_answers.enqueue(yes);
        QTest::mouseClick(w.m_dlg.m_btnRemove, Qt::LeftButton);

        QCOMPARE(w.m_platform.m_questions.size(), 1);
        QCOMPARE(w.m_platform.m_questions[0].text, QStringLiteral("Vill du ta bort omgång R3 ?"));
        QCOMPARE(w.m_platform.m_questions[0].title, QStringLiteral("Ta bort omgång"));
        QCOMPARE(Rows(w.m_dlg.m_listRounds), rows);
        QCOMPARE(Players(w.m_dlg.m_standings), players);
        QCOMPARE(w.m_dlg.m_changed, yes);
        QVERIFY(w.m_dlg.m_btnRemove->isEnabled());
        if (yes) {
            // The list was refilled: no row holds the mark until the user clicks one again.
            QTest::mouseClick(w.m_dlg.m_btnRemove, Qt::LeftButton);
            QCOMPARE(w.m_platform.m_questions.size(), 1);
        }
    }

    void closeRequest_data()
    {
        QTest::addColumn<bool>("typeTitle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::newRow("unchanged closes, writes nothing") << false << QString() << true << QByteArray();
        QTest::newRow("title emptied is refused") << true << QString() << false << QByteArray();
        QTest::newRow("blank title is refused") << true << QStringLiteral("   ") << false << QByteArray();
        QTest::newRow("title written trimmed") << true << QStringLiteral("  Vårcupen  ") << true
                                               << QByteArray("V\xE5rcupen\r\n");
    }

    void closeRequest()
    {
        QFETCH(bool, typeTitle);
        QFETCH(QString, title);
        QFETCH(bool, closes);
        QFETCH(QByteArray, firstLine);
        QTemporaryDir dir;
        CCup cup(dir.path());
        QVERIFY(cup.Ready());
        CWindow& w = cup.m_window;
        if (typeTitle)
            TypeOver(w.m_dlg.m_editTitle, title);

        QCOMPARE(w.Close(), closes);
        QCOMPARE(w.m_dlg.m_editTitle->text(), typeTitle ? title : QStringLiteral("Vårcupen"));
        if (firstLine.isEmpty()) {
            QCOMPARE(Listing(dir.path()), QStringList{"cup.txt"});
            QCOMPARE(ReadBytes(cup.m_path), kFile);
        } else {
            QVERIFY(ReadBytes(cup.m_path).startsWith(firstLine));
        }
        if (!w.m_dlg.isVisible())
            return;
        QCOMPARE(w.m_platform.m_errors, QStringList{"Turneringens namn får inte vara tom"});
        QCOMPARE(w.m_dlg.focusWidget(), w.m_dlg.m_editTitle);
        QVERIFY(w.m_dlg.m_changed);
    }

    void saveRoundTrip()
    {
        QTemporaryDir dir;
        CCup cup(dir.path());
        QVERIFY(cup.Ready());
        CWindow& w = cup.m_window;
        TypeOver(w.m_dlg.m_editTitle, QStringLiteral("Höstcupen"));
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(w.WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& editor) {
            AddResult(editor, QStringLiteral("Bo"), QStringLiteral("12"));
            AddResult(editor, QStringLiteral("Åsa Lind"), QStringLiteral("0"));
            editor.close();
        }));
        const CTournament edited = w.m_dlg.m_tournament;
        QVERIFY(w.Close());

        QCOMPARE(Listing(dir.path()), (QStringList{"cup.txt", kBackup}));
        QCOMPARE(ReadBytes(dir.filePath(kBackup)), kFile);
        const QByteArray saved = ReadBytes(cup.m_path);
        QCOMPARE(saved, Lines({"H\xF6stcupen", "", "R1", "Anna     10", "Bo       12", "\xC5sa Lind  0", "", "R2",
                               "Anna      3", "", "R3", "Cilla     5", "", "R4", "Bo        2", "", "R5",
                               "Anna      1"}));
        CTournament reread;
        std::string line, message;
        int lineNo = 0;
        QVERIFY(ParseTournament(saved.toStdString(), reread, line, lineNo, message));
        QCOMPARE(reread.m_title, edited.m_title);
        QCOMPARE(reread.m_rounds.size(), edited.m_rounds.size());
        for (std::size_t r = 0; r < edited.m_rounds.size(); ++r) {
            QCOMPARE(reread.m_rounds[r].m_name, edited.m_rounds[r].m_name);
            QCOMPARE(reread.m_rounds[r].m_results.size(), edited.m_rounds[r].m_results.size());
            for (std::size_t i = 0; i < edited.m_rounds[r].m_results.size(); ++i) {
                QCOMPARE(reread.m_rounds[r].m_results[i].m_name, edited.m_rounds[r].m_results[i].m_name);
                QCOMPARE(reread.m_rounds[r].m_results[i].m_points, edited.m_rounds[r].m_results[i].m_points);
            }
        }
    }

    // Each failure leaves the old file whole under its name, no other file, and the window open
    // with the changes; once the cause is gone, closing again saves.
    void saveFailure_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("error"); // "%1": the tournament file's path
        QTest::newRow("backup name taken") << "taken" << "Access to an unnamed file was denied.";
        QTest::newRow("file gone since it was read") << "gone" << "an unnamed file was not found.";
        QTest::newRow("folder not writable") << "readonly" << "Kan inte skapa filen: %1";
        QTest::newRow("disk full") << "full" << "Disk full while accessing %1.";
    }

    void saveFailure()
    {
        QFETCH(QString, cause);
        QFETCH(QString, error);
        const bool onMount = cause == QLatin1String("readonly") || cause == QLatin1String("full");
        std::optional<CTempMount> mount;
        QTemporaryDir dir;
        if (onMount) {
            mount.emplace(64 * 1024);
            if (!mount->Mounted())
                QSKIP(mount->SkipReason().c_str());
        }
        const QString folder = onMount ? QString::fromStdString(mount->Path()) : dir.path();
        CCup cup(folder);
        QVERIFY(cup.Ready());
        CWindow& w = cup.m_window;
        TypeOver(w.m_dlg.m_editTitle, QStringLiteral("Höstcupen"));

        QStringList listing{"cup.txt"};
        const QString backup = QDir(folder).filePath(kBackup);
        if (cause == QLatin1String("taken")) {
            QVERIFY(WriteBytes(backup, "older backup"));
            listing.append(kBackup);
        } else if (cause == QLatin1String("gone")) {
            QVERIFY(QFile::remove(cup.m_path));
            listing.clear();
        } else if (cause == QLatin1String("readonly")) {
            QVERIFY(mount->MakeReadOnly());
        } else {
            QVERIFY(mount->Fill());
            listing.append(QStringLiteral("filler"));
        }

        QVERIFY(!w.Close());
        QCOMPARE(w.m_platform.m_errors, QStringList{error.replace("%1", cup.m_path)});
        QCOMPARE(Listing(folder), listing);
        if (cause != QLatin1String("gone"))
            QCOMPARE(ReadBytes(cup.m_path), kFile);
        if (cause == QLatin1String("taken"))
            QCOMPARE(ReadBytes(backup), QByteArray("older backup"));
        QVERIFY(w.m_dlg.m_changed);
        QCOMPARE(w.m_dlg.m_tournament.m_title, std::string("H\xF6stcupen"));

        if (cause == QLatin1String("taken"))
            QVERIFY(QFile::remove(backup));
        else if (cause == QLatin1String("full"))
            QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("filler"))));
        else
            return;
        QVERIFY(w.Close());
        QCOMPARE(ReadBytes(backup), kFile);
        QVERIFY(ReadBytes(cup.m_path).startsWith("H\xF6stcupen\r\n\r\nR1\r\n"));
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
