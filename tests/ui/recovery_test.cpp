// SPDX-License-Identifier: GPL-3.0-or-later
// Unsaved changes on disk while the window is open: written within 2 s of each kind of change,
// in the bytes the close would save, removed at a normal close, kept aside when dropped, and
// offered again when the tournament is opened.
#include "WindowDriver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <unistd.h>

using Bytes = QByteArray;

namespace {

const Bytes kCup = Lines({"V\xE5rcup", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3"});
// kCup with a third round, as the close saves it.
const Bytes kMore = Lines({"V\xE5rcup", "", "R1", "Anna  10", "Bo     7", "", "R2", "Anna   3", "", "R3", "Cilla  4"});
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
        for (const char* change : {"title", "added", "edited", "removed", "UTF-8", "editor open"})
            QTest::newRow(change) << change;
    }
    // What an orderly close then saves is what the recovery file held; it is gone afterwards.
    void writtenAfterEachChange()
    {
        QFETCH(QString, change);
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        const QString recovery = w.File(".cup.txt.osparad");
        QElapsedTimer since;
        const auto waitWritten = [&] {
            since.start();
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recovery), 2000);
        };
        Bytes held;
        w.m_platform.m_answers << true;
        if (change == "title" || change == "UTF-8")
            Type(d.m_editTitle, change == "title" ? "x" : "Ω");
        ClickRow(d.m_listRounds, 1);
        if (change == "removed")
            Click(d.m_btnRemove);
        if (change == "added" || change == "edited" || change == "editor open")
            QVERIFY(WithEditor(change == "edited" ? d.m_btnEdit : d.m_btnNew, [&](CRoundDlg& e) {
                if (change != "edited")
                    Type(e.m_editName, "R3");
                AddResult(e, "Cilla", "4");
                if (change == "editor open") {
                    waitWritten();
                    held = Read(recovery);
                }
                e.close();
            }));
        if (held.isEmpty()) {
            waitWritten();
            held = Read(recovery);
        }
        QVERIFY(d.windowTitle().startsWith('*'));
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), held);
        QCOMPARE(Entries(w.Folder()), QStringList({"cup.txt", "cup_051206_143005.bak"}));
    }

    void offeredAtOpening_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("nameTaken"); // a kept file of that second is there already
        QTest::newRow("Ja") << true << false;
        QTest::newRow("Nej") << false << false;
        QTest::newRow("Nej, kept name taken") << false << true;
    }
    void offeredAtOpening()
    {
        QFETCH(bool, yes);
        QFETCH(bool, nameTaken);
        CWindow w;
        const QString kept = "cup_260102_201507.osparad";
        WriteBytes(w.File(".cup.txt.osparad"), kMore, kWritten);
        if (nameTaken)
            w.Write(kept, "older");
        w.m_platform.m_answers << yes;
        w.Choose(w.Write("cup.txt", kCup));
        QCOMPARE(w.m_platform.m_questions, QStringList{"Det finns osparade ändringar av cup.txt från 20:15 (3 omgångar). "
                                                       "Vill du fortsätta med dem?|Ravelmark"});
        QCOMPARE(Shown(w.m_dlg), yes ? "Vårcup|R1,R2,R3|11100" : "Vårcup|R1,R2|11100");
        QCOMPARE(w.m_dlg.windowTitle(), yes ? "*cup.txt – Ravelmark" : "cup.txt – Ravelmark");
        QVERIFY(w.Close());
        QCOMPARE(Read(w.File("cup.txt")), yes ? kMore : kCup);
        QCOMPARE(Read(w.File("cup_051206_143005.bak")), yes ? kCup : "<missing>");
        QCOMPARE(Kept(w.Folder()).join(','), yes ? "" : nameTaken ? "cup_260102_201507-2.osparad," + kept : kept);
        QVERIFY(!nameTaken || Read(w.File(kept)) == "older");
        QCOMPARE(Read(w.File(nameTaken ? "cup_260102_201507-2.osparad" : kept)), yes ? "<missing>" : kMore);
        QVERIFY(!QFile::exists(w.File(".cup.txt.osparad")));
    }

    // A recovery file holding the file's own bytes asks nothing and goes; one that cannot be read
    // back asks nothing and is kept aside.
    void notOffered()
    {
        for (const Bytes& held : {kCup, Bytes("\n\nR1\n")}) {
            CWindow w;
            w.Write(".cup.txt.osparad", held);
            w.Choose(w.Write("cup.txt", kCup));
            QCOMPARE(w.m_platform.m_questions, QStringList());
            QCOMPARE(Kept(w.Folder()).size(), held == kCup ? 0 : 1);
            QVERIFY(!QFile::exists(w.File(".cup.txt.osparad")));
        }
    }

    // Dropped by a cancelled choice: the changes stay, kept aside, also those not written yet.
    void keptWhenDropped()
    {
        CWindow w(kCup);
        Type(w.m_dlg.m_editTitle, "x");
        w.Choose("");
        const QStringList kept = Kept(w.Folder());
        QCOMPARE(kept.size(), 1);
        QCOMPARE(Read(w.File(kept.value(0))), Lines({"V\xE5rcupx", "", "R1", "Anna 10", "Bo    7", "", "R2", "Anna  3"}));
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), kCup);
    }

    // A folder that cannot be written: the state folder takes the recovery file, and keeps it.
    void stateFolderWhenTheFolderIsReadOnly()
    {
        CWindow w;
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
        const QString folder = w.File("ro");
        QDir().mkdir(folder);
        const bool root = geteuid() == 0;
        if (root && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", folder}) != 0)
            QSKIP("no tmpfs mount here");
        const QString path = folder + "/cup.txt";
        WriteBytes(path, kCup);
        const bool readOnly = root ? QProcess::execute("mount", {"-o", "remount,ro", folder}) == 0
                                   : QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        w.Choose(path);
        Type(w.m_dlg.m_editTitle, "x");
        const QString recovery = RecoveryPathInState(path);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recovery), 2000);
        w.m_dlg.m_recovery.Flush();
        CRecoveryFound found;
        QVERIFY(FindRecovery(path, found) && found.m_path == recovery && found.m_tournament.m_title == "V\xE5rcupx");
        w.Choose(path); // the changes are kept aside there
        const QStringList kept = Kept(state.path() + "/ravelmark");
        root ? QProcess::execute("umount", {folder}) : QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(readOnly);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(w.m_platform.m_questions, QStringList());
    }
};

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
