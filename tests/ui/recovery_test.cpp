// SPDX-License-Identifier: GPL-3.0-or-later
// Unsaved changes on disk while the window is open: written after each kind of change, at least
// every 2 s while changes go on, in the bytes the close would save, removed at a normal close, kept aside when dropped, and
// offered again when the tournament is opened.
#include "WindowDriver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>

#include <functional>
#include <utility>

#include <unistd.h>

using Bytes = QByteArray;

namespace {

const Bytes kCup = Lines({"V\xE5rcup", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3"});
// kCup with a third round, as the close saves it.
const Bytes kMore = Lines({"V\xE5rcup 2", "", "R1", "Anna  10", "Bo     7", "", "R2", "Anna   3", "", "R3", "Cilla  4"});
const QDateTime kWritten(QDate(2026, 1, 2), QTime(20, 15, 7));

QStringList Kept(const QString& folder)
{
    return Entries(folder).filter(QRegularExpression("^cup_\\d{6}_\\d{6}(-\\d)?\\.osparad$"));
}

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT
private slots:
    void writtenAfterEachChange_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"title", "added", "edited", "removed", "UTF-8", "editor open", "editor open, unnamed", "editor open, renamed"})
            QTest::newRow(change) << change;
    }
    // What an orderly close then saves is what the recovery file held; it is gone afterwards.
    void writtenAfterEachChange()
    {
        QFETCH(QString, change);
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        Bytes held;
        // What is due written now: when, writtenDuringSteadyChanges says.
        const auto waitWritten = [&] {
            d.m_recovery.Flush();
            held = Read(w.File(".cup.txt.osparad"));
        };
        w.m_platform.m_answers << true;
        if (change == "title" || change == "UTF-8")
            Type(d.m_editTitle, change == "title" ? "x" : "Ω");
        ClickRow(d.m_listRounds, 1);
        if (change == "removed")
            Click(d.m_btnRemove);
        if (change == "added" || change == "edited" || change.startsWith("editor open"))
            QVERIFY(WithEditor(change == "edited" || change.endsWith("renamed") ? d.m_btnEdit : d.m_btnNew, [&](CRoundDlg& e) {
                if (change == "added" || change == "editor open")
                    Type(e.m_editName, "R3");
                if (change.endsWith("renamed")) // nothing else changed
                    TypeOver(e.m_editName, "Omg\u00E5ng 2");
                else
                    AddResult(e, "Cilla", "4");
                if (change.startsWith("editor open"))
                    waitWritten();
                if (change.endsWith("unnamed")) // as the recovery file has named it
                    Type(e.m_editName, "Omgång 3");
                e.close();
            }));
        if (held.isEmpty())
            waitWritten();
        QVERIFY(d.windowTitle().startsWith('*') && w.Close());
        QCOMPARE(Read(w.m_path), held);
        QCOMPARE(Entries(w.Folder()), QStringList({"cup.txt", "cup_051206_143005.bak"}));
    }

    void offeredAtOpening_data()
    {
        QTest::addColumn<Bytes>("held"); // by the recovery file, last written 2026-01-02 20:15:07
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("listing"); // after the close
        QTest::addColumn<Bytes>("file");
        const QString kept = ",cup_260102_201507.osparad";
        QTest::newRow("Ja") << kMore << true << "cup.txt,cup_051206_143005.bak" << kMore;
        QTest::newRow("Nej") << kMore << false << "cup.txt" + kept << kCup;
        QTest::newRow("Nej, kept name taken") << kMore << false << "cup.txt,cup_260102_201507-2.osparad" + kept << kCup;
        QTest::newRow("the file's bytes: not asked") << kCup << true << "cup.txt" << kCup;
        QTest::newRow("unreadable: not asked, kept") << Bytes("\n\nR1\n") << true << "cup.txt" + kept << kCup;
    }
    void offeredAtOpening()
    {
        QFETCH(Bytes, held);
        QFETCH(bool, yes);
        CWindow w;
        WriteBytes(w.File(".cup.txt.osparad"), held, kWritten);
        if (QString(QTest::currentDataTag()).contains("taken"))
            w.Write("cup_260102_201507.osparad", "older");
        w.m_platform.m_answers << yes;
        w.Choose(w.Write("cup.txt", kCup));
        QCOMPARE(w.m_platform.m_questions.join(""), held != kMore ? "" : "Det finns osparade ändringar av cup.txt från "
                                                                         "20:15 (3 omgångar). Vill du fortsätta med dem?|Ravelmark");
        const bool recovered = yes && held == kMore;
        QCOMPARE(w.m_dlg.windowTitle(), recovered ? "*cup.txt – Ravelmark" : "cup.txt – Ravelmark");
        QCOMPARE(Shown(w.m_dlg), recovered ? "Vårcup 2|R1,R2,R3|11100" : "Vårcup|R1,R2|11100");
        QVERIFY(w.Close());
        QTEST(Entries(w.Folder()).join(','), "listing");
        QTEST(Read(w.File("cup.txt")), "file");
        QCOMPARE(Read(w.File("cup_051206_143005.bak")), yes && held == kMore ? kCup : "<missing>");
        for (const QString& name : Kept(w.Folder()))
            QVERIFY(Read(w.File(name)) == held || (Read(w.File(name)) == "older" && !name.contains('-')));
    }

    // A letter typed every 200 ms for 3 s, closer together than the wait before a write: still
    // written at least every 2 s, so that a kill in the middle of it loses at most the last 2 s.
    void writtenDuringSteadyChanges()
    {
        QElapsedTimer clock;
        QList<qint64> writes{0};
        CWindow w(kCup);
        connect(&w.m_dlg.m_recovery, &CRecovery::written, this, [&] { writes << clock.elapsed(); });
        w.m_dlg.m_editTitle->setFocus();
        clock.start();
        for (int i = 0; i < 15; ++i) {
            Type(w.m_dlg.m_editTitle, "x");
            QTest::qWait(200);
        }
        writes << clock.elapsed();
        for (qsizetype i = 1; i < writes.size(); ++i)
            QVERIFY2(writes[i] - writes[i - 1] <= 2000, qPrintable(QString("%1 ms without a write").arg(writes[i] - writes[i - 1])));
        QVERIFY(w.Close());
    }

    // Dropped by a cancelled choice: the changes stay, kept aside, also those not written yet; a
    // title being retyped is the file's name there, so that the kept file reads back.
    void keptWhenDropped()
    {
        CWindow w(kCup);
        TypeOver(w.m_dlg.m_editTitle, " ");
        w.Choose("");
        const QStringList kept = Kept(w.Folder());
        QCOMPARE(kept.size(), 1);
        QCOMPARE(Read(w.File(kept.value(0))), Lines({"cup", "", "R1", "Anna 10", "Bo    7", "", "R2", "Anna  3"}));
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), kCup);
    }

    // A tournament the boxes would never make (a line break in a name) is not saved: the close
    // names the line; the file, the window and the unsaved changes on disk stay.
    void keptWhenTheSaveWouldNotReadBack()
    {
        CWindow w(kCup);
        CRound round;
        round.m_name = "R3";
        round.AddResult(CResult(w.m_dlg.m_doc.AddPlayer("Eva\nBo"), 4));
        w.m_dlg.m_doc.AddRound(round);
        w.m_dlg.m_recovery.Flush();
        QVERIFY(!w.Close());
        QCOMPARE(w.m_platform.m_errors.join('|').section('\n', 1),
                 "Rad 11 : \"Eva\"\nnamnet innehåller ett tecken som inte kan sparas");
        QCOMPARE(Read(w.m_path), kCup);
        QCOMPARE(Entries(w.Folder()).join(' '), ".cup.txt.osparad cup.txt");
        QVERIFY(w.m_dlg.isVisible() && w.m_dlg.m_doc.Changed() && w.m_dlg.m_doc.Tournament().m_rounds.size() == 3);
    }

    void changedDuringAWrite_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("next write") << false;
        QTest::newRow("dropped before it") << true;
    }
    // A change made while a write is under way is in the next write; a tournament dropped before
    // that write keeps it too. The change is made right after the recovery's timer has started a
    // write: a call posted then runs before the write's report, which the writer posts later.
    void changedDuringAWrite()
    {
        QFETCH(bool, dropped);
        CWindow w(kCup);
        QByteArrayList titles; // the recovery file's, after each write
        const QString recovery = w.File(".cup.txt.osparad");
        connect(&w.m_dlg.m_recovery, &CRecovery::written, this,
                [&] { titles << Read(recovery).split('\r').value(0); });
        bool changed = false;
        const auto whileWriting = [&] {
            Type(w.m_dlg.m_editTitle, "y");
            if (dropped)
                w.Choose("");
            changed = true;
        };
        struct CTimerWatch : QObject
        {
            std::function<void()> m_then;
            bool eventFilter(QObject* object, QEvent* event) override
            {
                const auto* timer = qobject_cast<QTimer*>(object);
                if (event->type() == QEvent::Timer && timer && timer->isSingleShot() &&
                    timer->interval() == CRecovery::kDelayMs && m_then)
                    QMetaObject::invokeMethod(this, std::exchange(m_then, {}), Qt::QueuedConnection);
                return false;
            }
        } watch; // gone from the application's filters with the test
        watch.m_then = whileWriting;
        qApp->installEventFilter(&watch);
        Type(w.m_dlg.m_editTitle, "x");
        QTRY_VERIFY(changed);
        QTRY_COMPARE(titles, QByteArrayList({"V\xE5rcupx", "V\xE5rcupxy"}));
        QCOMPARE(Kept(w.Folder()).size(), dropped ? 1 : 0);
        if (dropped)
            QCOMPARE(Read(w.File(Kept(w.Folder()).value(0))).split('\r').value(0), "V\xE5rcupxy");
        QVERIFY(w.Close());
    }

    // A round edited back to what it was, its editor still open: nothing is unsaved, the file goes.
    void goneWhenEditedBack()
    {
        CWindow w(kCup);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& e) {
            AddResult(e, "Bo", "9");
            w.m_dlg.m_recovery.Flush();
            QVERIFY(QFile::exists(w.File(".cup.txt.osparad")));
            AddResult(e, "Bo", "7");
            w.m_dlg.m_recovery.Flush();
            QVERIFY(!QFile::exists(w.File(".cup.txt.osparad")));
            e.close();
        }));
    }

    // A folder that cannot be written: the state folder takes the recovery file, and keeps it.
    void stateFolderWhenTheFolderIsReadOnly()
    {
        CWindow w;
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
        const QString folder = w.File("ro");
        QDir().mkdir(folder);
        const bool root = geteuid() == 0, mounted = root && QProcess::execute("mount", {"-t", "tmpfs", "tmpfs", folder}) == 0;
        const auto restore = qScopeGuard([&] {
            mounted ? QProcess::execute("umount", {folder}) : QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        const QString path = folder + "/cup.txt";
        WriteBytes(path, kCup);
        if (root ? !mounted || QProcess::execute("mount", {"-o", "remount,ro", folder}) != 0
                 : !QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner))
            QSKIP("no read-only folder here");
        w.Choose(path);
        Type(w.m_dlg.m_editTitle, "x");
        const QString recovery = RecoveryPathInState(path);
        w.m_dlg.m_recovery.Flush();
        CRecoveryFound found;
        QVERIFY(FindRecovery(path, found) && found.m_path == recovery && found.m_tournament.m_title == "V\xE5rcupx");
        w.Choose(path); // the changes are kept aside there
        QCOMPARE(Kept(state.path() + "/ravelmark").size(), 1);
    }
};

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
