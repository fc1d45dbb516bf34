// SPDX-License-Identifier: GPL-3.0-or-later
// "Publicera…": the dialog keeps its target and the password apart, publication follows the
// changes, the window answers while a server stalls, the state line says how it went.
#include "WindowDriver.h"
#include "ui/MobileDlg.h"
#include "ui/PublishDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTextDocumentFragment>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QByteArray kCup = Lines({"V\xE5rcupen", "", "R1", "Anna 10", "Bo 7"});

// Clicks "Publicera…" and plays `action` in the dialog; true when it opened and the action closed it.
bool WithPublishDlg(CRavelmarkDlg& d, const std::function<void(CPublishDlg&)>& action)
{
    bool closed = false;
    const bool opened = WithModal<CPublishDlg>(d.m_btnPublish, [&](CPublishDlg& dlg) {
        // The focus follows the application's active window.
        if (QTest::qWaitFor([&dlg] { return QApplication::activeWindow() == &dlg; }))
            action(dlg);
        closed = !dlg.isVisible();
    });
    return opened && closed;
}

// A label's text as read: without its markup and the places it may break.
QString LabelText(const QLabel* label)
{
    return QTextDocumentFragment::fromHtml(label->text()).toPlainText().remove(QChar(0x200B));
}

void SetWay(CPublishDlg& dlg, PublishWay way)
{
    dlg.m_way->setCurrentIndex(dlg.m_way->findData(static_cast<int>(way)));
}

// Every file under `folder` that holds `text`.
QStringList FilesHolding(const QString& folder, const QByteArray& text)
{
    QStringList found;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (const QString path = it.next(); Read(path).contains(text))
            found << path;
    return found;
}

} // namespace

class PublishDlgTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        qputenv("HOME", m_config.path().toUtf8());
    }

    void keepsTheTargetAndThePasswordApart()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        QVERIFY(d.m_btnPublish->isEnabled());
        QCOMPARE(d.m_btnPublish->text(), "Publicera…");
        QVERIFY(WithPublishDlg(d, [](CPublishDlg& dlg) {
            QCOMPARE(dlg.windowTitle(), "Publicera");
            QCOMPARE(Items(dlg.m_way), "SFTP,FTPS (krypterad FTP),FTP (okrypterad),WebDAV (https),Till en mapp");
            QCOMPARE(dlg.m_port->placeholderText(), "22");
            QCOMPARE(dlg.m_fileName->placeholderText(), "cup.htm");
            QVERIFY(dlg.m_plainWarning->isHidden());
            SetWay(dlg, PublishWay::Ftp);
            QVERIFY(!dlg.m_plainWarning->isHidden());
            QCOMPARE(dlg.m_port->placeholderText(), "21");
            SetWay(dlg, PublishWay::Sftp);
            Type(dlg.m_server, "kulan.se");
            Type(dlg.m_user, "klubben");
            Type(dlg.m_password, "hemligt-7391");
            Type(dlg.m_folder, "/~/public_html/serien/");
            Type(dlg.m_web, "https://kulan.se/serien/");
            QCOMPARE(dlg.m_link->text().remove(QChar(0x200B)),
                     "<a href=\"https://kulan.se/serien/cup.htm\">https://kulan.se/serien/cup.htm</a>");
            QVERIFY(!dlg.m_qrImage.isNull());
            // The link and the code follow the name as it is typed, %-encoded as a phone needs it.
            TypeOver(dlg.m_fileName, "Vårserien 2027.htm");
            QCOMPARE(LabelText(dlg.m_link), "https://kulan.se/serien/V%C3%A5rserien%202027.htm");
            QCOMPARE(dlg.m_qrImage, QrImage("https://kulan.se/serien/V%C3%A5rserien%202027.htm"));
            TypeOver(dlg.m_fileName, "cup.htm");
            Click(dlg.m_btnSave);
        }));
        QCOMPARE(w.m_platform.m_passwords.m_kept.value("sftp://klubben@kulan.se"), "hemligt-7391");
        QCOMPARE(FilesHolding(m_config.path(), "hemligt"), QStringList());
        QCOMPARE(FilesHolding(w.Folder(), "hemligt"), QStringList());
        QCOMPARE(FilesHolding(m_config.path(), "kulan.se").size(), 1);
        // Escape keeps nothing; the target reads back as saved.
        QVERIFY(WithPublishDlg(d, [](CPublishDlg& dlg) {
            QCOMPARE(dlg.m_server->text() + '|' + dlg.m_user->text() + '|' + dlg.m_password->text() + '|' +
                         dlg.m_folder->text() + '|' + dlg.m_web->text() + '|' + dlg.m_way->currentText(),
                     "kulan.se|klubben|hemligt-7391|/~/public_html/serien/|https://kulan.se/serien/|SFTP");
            TypeOver(dlg.m_server, "annan.se");
            QTest::keyClick(&dlg, Qt::Key_Escape);
        }));
        QVERIFY(WithPublishDlg(d, [](CPublishDlg& dlg) {
            QCOMPARE(dlg.m_server->text(), "kulan.se");
            // A target without its server is refused, the focus where it goes.
            dlg.m_server->clear();
            Click(dlg.m_btnSave);
            QVERIFY(dlg.isVisible());
            QCOMPARE(QApplication::focusWidget(), dlg.m_server);
            Click(dlg.m_btnCancel);
        }));
        QCOMPARE(w.m_platform.m_errors, QStringList{"Ange servern att publicera till."});
    }

    // The folder means what was typed, in the window, after a restart and in the tool: without a
    // leading '/' (or with "~/") from the login folder, here the home folder; a new target
    // suggests a page name an address takes as it is.
    void theFolderAsTyped()
    {
        const QString site = m_config.path() + "/klubb/serien";
        QVERIFY(QDir().mkpath(site));
        CWindow w(kCup, "Vårserien 2027.txt");
        for (const QString& folder : {QString("klubb/serien"), QString("~/klubb/serien/")}) {
            QVERIFY(WithPublishDlg(w.m_dlg, [&](CPublishDlg& dlg) {
                QVERIFY(dlg.m_fileName->text() == "Varserien-2027.htm" || folder.startsWith('~'));
                SetWay(dlg, PublishWay::Folder);
                TypeOver(dlg.m_folder, folder);
                Click(dlg.m_btnSave);
            }));
            CWindow again;
            again.Choose(w.m_path);
            QVERIFY(WithPublishDlg(again.m_dlg, [&](CPublishDlg& dlg) {
                QCOMPARE(dlg.m_folder->text() + '|' + dlg.m_fileName->text(), folder + "|Varserien-2027.htm");
                Click(dlg.m_btnPublish);
                QTRY_COMPARE(again.m_dlg.m_publishing.Ended(), 1);
                Click(dlg.m_btnSave);
            }));
            QVERIFY2(again.m_dlg.m_publishing.LastResult().Ok(), qPrintable(again.m_dlg.m_publishing.StateLine()));
            QVERIFY(QFile::remove(site + "/Varserien-2027.htm"));
            QCOMPARE(QProcess::execute(RAVELMARK_TOOL, {"publish", w.m_path}), 0);
            QVERIFY(QFile::exists(site + "/Varserien-2027.htm"));
        }
    }

    void followsTheChangesToAFolder()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        const QString site = w.File("site");
        QVERIFY(QDir().mkpath(site));
        d.m_publishing.SetSettleMilliseconds(200);
        QVERIFY(WithPublishDlg(d, [&](CPublishDlg& dlg) {
            SetWay(dlg, PublishWay::Folder);
            QVERIFY(!dlg.m_server->isEnabled() && !dlg.m_password->isEnabled());
            Type(dlg.m_folder, site);
            TypeOver(dlg.m_fileName, "index.html");
            dlg.m_automatic->setChecked(true);
            Click(dlg.m_btnPublish);
            QTRY_COMPARE(dlg.m_state->text().left(18), "Senast publicerad ");
            QVERIFY(dlg.m_state->text().endsWith(" (kontrollerad)"));
            Click(dlg.m_btnSave);
        }));
        QTRY_COMPARE(d.m_publishing.Ended(), 1);
        QVERIFY(Read(site + "/index.html").contains("<p class=\"updated\">Uppdaterad 2005-12-06 14:30</p>"));
        // Two changes close together: one publication or two, the last of the newest state, with
        // the class tables the players file sets, as "Skapa Tabell" writes them.
        QFile players(w.File("cup.spelare"));
        QVERIFY(players.open(QIODevice::WriteOnly) && players.write("[klass Damer]\nAnna\n") > 0);
        players.close();
        TypeOver(d.m_editTitle, "Serien");
        TypeOver(d.m_editTitle, "Serien 2");
        QTRY_VERIFY(Read(site + "/index.html").contains("<h3>Serien 2</h3>"));
        QVERIFY(Read(site + "/index.html").contains("<h4>Damer</h4>"));
        QTest::qWait(300);
        QVERIFY2(d.m_publishing.Ended() == 2 || d.m_publishing.Ended() == 3, qPrintable(QString::number(d.m_publishing.Ended())));
        QVERIFY(d.m_publishState->text().startsWith("Publicerad "));
        QCOMPARE(Read(site + "/table.css"), Read(":/ravelmark/table.css"));
        // Changes closer together than the settle time still go out within the longest wait.
        const int before = d.m_publishing.Ended();
        d.m_publishing.SetLongestMilliseconds(600);
        for (int i = 0; i < 15; ++i) {
            TypeOver(d.m_editTitle, QString("Steg %1").arg(i));
            QTest::qWait(100);
        }
        QVERIFY2(d.m_publishing.Ended() > before, "steady changes put the publication off");
    }

    // One copy per change, whoever asks; a player added (by the round editor) is a change too.
    void oneSharedCopyPerChange()
    {
        CWindow w(kCup);
        CTournamentDoc& doc = w.m_dlg.m_doc;
        const std::shared_ptr<const CTournament> first = doc.Snapshot();
        QCOMPARE(doc.Snapshot().get(), first.get());
        TypeOver(w.m_dlg.m_editTitle, "Serien");
        const std::shared_ptr<const CTournament> titled = doc.Snapshot();
        QVERIFY(titled != first);
        QCOMPARE(QByteArray::fromStdString(titled->m_title) + '|' + QByteArray::fromStdString(first->m_title),
                 "Serien|V\xE5rcupen");
        doc.AddPlayer("Cilla");
        QCOMPARE(doc.Snapshot()->m_players.Size(), titled->m_players.Size() + 1);
    }

    void aStalledServerLeavesTheWindowFree()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        // Listening, so the connection is made, and never saying a word.
        const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(::bind(silent, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(silent, 1) == 0 &&
                ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        CPublishTarget target;
        QString reason;
        QVERIFY(ParsePublishUrl(QString("ftp://klubben@127.0.0.1:%1/serien/").arg(ntohs(address.sin_port)), target, reason));
        d.m_publishing.SetTarget(target, "x");
        d.m_publishing.PublishNow();
        QCOMPARE(d.m_publishState->text(), "Publiceras …");
        QElapsedTimer clock;
        clock.start();
        Type(d.m_editTitle, "!");
        QCoreApplication::processEvents();
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(d.m_publishing.Busy());
        // Stopped, it leaves the queue free for the next target at once.
        d.m_publishing.Stop();
        QVERIFY(!d.m_publishing.Busy());
        ::close(silent);
    }

    void theStateLineNamesTheCauseAndTheRetry()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        CPublishTarget target;
        target.m_way = PublishWay::Folder;
        target.m_folder = w.File("saknas");
        d.m_publishing.SetTarget(target, {});
        d.m_publishing.PublishNow();
        QTRY_COMPARE(d.m_publishing.Ended(), 1);
        const QDateTime now = QDateTime::currentDateTime();
        // In words to act on, with the way to act; the time and the retry in the tip.
        // (The folder's long path shortened in its middle to fit the line: whole in the tip.)
        const QString line = LabelText(d.m_publishState);
        QVERIFY2(line.startsWith("Webbsidan är inte uppdaterad: mappen /tmp/") &&
                     line.endsWith("/saknas finns inte – Publicera nu"), qPrintable(line));
        QCOMPARE(d.m_publishState->toolTip(), QString("Kunde inte publicera %1: mappen %2 finns inte – nytt försök %3")
                                                  .arg(now.toString("HH:mm"), target.m_folder,
                                                       now.addSecs(10).toString("HH:mm")));
        // "Publicera nu" by keys: Tab from "Publicera…", Enter.
        d.m_btnPublish->setFocus();
        QTest::keyClick(d.m_btnPublish, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.m_publishState);
        QTest::keyClick(d.m_publishState, Qt::Key_Return);
        QTRY_COMPARE(d.m_publishing.Ended(), 2);
        QCOMPARE(QString::number(CPublishQueue::RetrySeconds(1)) + ',' +
                     QString::number(CPublishQueue::RetrySeconds(2)) + ',' +
                     QString::number(CPublishQueue::RetrySeconds(3)) + ',' +
                     QString::number(CPublishQueue::RetrySeconds(4)) + ',' +
                     QString::number(CPublishQueue::RetrySeconds(9)),
                 "10,20,40,60,60");
        // Due at the close: tried once more, and the failure told; made at the next start, and said.
        QVERIFY(d.m_publishing.Due());
        SaveTarget(w.m_path, target);
        QVERIFY(w.Close());
        QCOMPARE(w.m_platform.m_errors.filter("De senaste ändringarna kunde inte publiceras: mappen").size(), 1);
        QVERIFY(QDir().mkpath(target.m_folder));
        CWindow again;
        again.Choose(w.m_path);
        QCOMPARE(LabelText(again.m_dlg.m_publishState), "Publicerar det som inte kom ut förra gången …");
        QTRY_COMPARE(again.m_dlg.m_publishing.Ended(), 1);
        QVERIFY(LabelText(again.m_dlg.m_publishState).endsWith(": det som inte kom ut förra gången"));
        QVERIFY(QFile::exists(target.m_folder + "/cup.htm"));
        CWindow third; // once made, not again
        third.Choose(w.m_path);
        QCOMPARE(third.m_dlg.m_publishing.Busy(), false);
    }
};

QTEST_MAIN(PublishDlgTest)
#include "publish_dlg_test.moc"
