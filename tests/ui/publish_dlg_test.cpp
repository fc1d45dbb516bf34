// SPDX-License-Identifier: GPL-3.0-or-later
// "Publicera…": the dialog keeps its target and the password apart, publication follows the
// changes, the window answers while a server stalls, the state line says how it went.
#include "WindowDriver.h"
#include "ui/ArchiveDlg.h"
#include "ui/MobileDlg.h"
#include "ui/PublishDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
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

// A loopback port free a moment ago.
int FreePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

bool Listens(int port)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return connected;
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

    // The page's name offered from the tournament's: plain letters, one '-' for each run of
    // anything else, none at either end.
    void suggestsAPlainPageName()
    {
        for (const auto& [file, page] : std::initializer_list<std::pair<QString, QString>>{
                 {"/x/V\u00e5rserien 2027.txt", "Varserien-2027.htm"},
                 {"/x/Cup (A)!.txt", "Cup-A.htm"},
                 {"/x/.dold.txt", "dold.htm"},
                 {"/x/--\u00c5\u00c4\u00d6--.txt", "AAO.htm"},
                 {"/x/!!!.txt", "tabell.htm"}})
            QCOMPARE(SuggestedPageName(file), page);
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

    // "Arkiv…" beside "Publicera…": the site made off the GUI thread, its progress shown; then
    // published with the page, into arkiv/, when the target asks for it.
    void theArchive()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        QVERIFY(d.m_btnArchive->isEnabled());
        QCOMPARE(d.m_btnArchive->geometry().top(), d.m_btnPublish->geometry().top());
        QVERIFY(d.m_btnArchive->geometry().left() > d.m_btnPublish->geometry().right());
        w.Write("host.txt", Lines({"H\xF6sten", "", "R1", "Bo 4"}));
        QVERIFY(WithModal<CArchiveDlg>(d.m_btnArchive, [&](CArchiveDlg& dlg) {
            QCOMPARE(QDir::fromNativeSeparators(dlg.m_site->text()), w.File("arkiv"));
            Click(dlg.m_btnMake);
            QVERIFY(dlg.Busy() && !dlg.m_btnMake->isEnabled());
            QTRY_VERIFY(!dlg.Busy());
            QCOMPARE(dlg.m_progress->value(), dlg.m_progress->maximum());
            QVERIFY2(dlg.m_report->toPlainText().startsWith("2 s\u00E4songer, 2 spelare"),
                     qPrintable(dlg.m_report->toPlainText()));
            QVERIFY(dlg.m_btnOpen->hasFocus());
            Click(dlg.m_btnOpen);
        }));
        QCOMPARE(w.m_platform.m_openedReports, QStringList{w.File("arkiv/index.html")});
        const QString site = w.File("site");
        QVERIFY(QDir().mkpath(site));
        QVERIFY(WithPublishDlg(d, [&](CPublishDlg& dlg) {
            SetWay(dlg, PublishWay::Folder);
            Type(dlg.m_folder, site);
            dlg.m_archive->setChecked(true);
            Click(dlg.m_btnPublish);
            QTRY_COMPARE(dlg.m_state->text().left(18), "Senast publicerad ");
            Click(dlg.m_btnSave);
        }));
        QCOMPARE(Read(site + "/arkiv/spelare/bo.html"), Read(w.File("arkiv/spelare/bo.html")));
        QVERIFY(QFile::exists(site + "/arkiv/index.html") && QFile::exists(site + "/cup.htm"));
        // Stopped (the window closing) while the seasons are read: the archive is not sent.
        CPublishTarget target;
        target.m_way = PublishWay::Folder;
        target.m_folder = w.File("stopped");
        QVERIFY(QDir().mkpath(target.m_folder));
        CPublishTrust stopped;
        stopped.m_cancel = std::make_shared<std::atomic_bool>(true);
        QCOMPARE(PublishArchive(target, {}, stopped, d.m_doc.Path()).m_message, "arkivet: avbrutet");
        QVERIFY(QDir(target.m_folder).isEmpty());
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
        const QDateTime before = QDateTime::currentDateTime();
        d.m_publishing.PublishNow();
        QTRY_COMPARE(d.m_publishing.Ended(), 1);
        const QDateTime after = QDateTime::currentDateTime();
        // In words to act on, with the way to act; the time and the retry in the tip.
        // (The folder's long path shortened in its middle to fit the line: whole in the tip.)
        const QString line = LabelText(d.m_publishState);
        QVERIFY2(line.startsWith("Webbsidan är inte uppdaterad: mappen /tmp/") &&
                     line.endsWith("/saknas finns inte – Publicera nu"), qPrintable(line));
        // The failure's minute lies between the two readings of the clock (a minute may turn).
        const auto tip = [&](const QDateTime& failed, const QDateTime& retry) {
            return QString("Kunde inte publicera %1: mappen %2 finns inte – nytt försök %3")
                .arg(failed.toString("HH:mm"), target.m_folder, retry.addSecs(10).toString("HH:mm"));
        };
        const QString shown = d.m_publishState->toolTip();
        QVERIFY2(shown == tip(before, before) || shown == tip(before, after) || shown == tip(after, after),
                 qPrintable(shown));
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

    // Closing within the quiet time after a change publishes it, also when the change came
    // while an upload ran: one more upload, of the newest state.
    void aChangeDuringAnUploadIsPublishedAtTheClose()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        CPublishTarget target;
        target.m_way = PublishWay::Folder;
        target.m_folder = w.File("site");
        QVERIFY(QDir().mkpath(target.m_folder));
        d.m_publishing.SetTarget(target, {});
        d.m_publishing.SetAutomatic(true);
        d.m_publishing.PublishNow();
        QVERIFY(d.m_publishing.Busy());
        TypeOver(d.m_editTitle, "Serien");
        QVERIFY(w.Close());
        QVERIFY(Read(target.m_folder + "/cup.htm").contains("<h3>Serien</h3>"));
    }

    // No keyring answering: the password of this run is kept in memory only, never in a file
    // (QtKeychain's plain-text fallback stays off), and a new run has none. In a KDE session,
    // where QtKeychain takes KWallet without asking whether it answers: the one way in to its
    // fallback (the Secret Service way has none), taken at the process's first password.
    void aPasswordWithoutKeyringStaysInMemory()
    {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        qputenv("KDE_SESSION_VERSION", "4");
        std::string password;
        CKeyringPasswords thisRun;
        thisRun.Write("sftp://klubben@kulan.se", "hemligt-5521");
        QVERIFY(thisRun.Read("sftp://klubben@kulan.se", password) && password == "hemligt-5521");
        QVERIFY(!CKeyringPasswords().Read("sftp://klubben@kulan.se", password));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        QCOMPARE(FilesHolding(m_config.path(), "hemligt-5521") + FilesHolding(QDir::homePath() + "/.local", "hemligt-5521"),
                 QStringList());
    }

    // A host key to decide on or a refused login is not tried again, neither by the minute nor
    // at the next change (a host that locks accounts would lock the club out): automatic
    // publishing stops and says so. A key trusted once is that key only.
    void refusalsWaitForTheUser()
    {
        if (geteuid() != 0 || !QFile::exists("/usr/sbin/sshd"))
            QSKIP("needs root and sshd");
        QTemporaryDir home;
        const QString dir = home.path();
        QVERIFY(QProcess::execute("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", dir + "/host_key"}) == 0);
        const int port = FreePort();
        QFile config(dir + "/sshd_config");
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QString("Port %1\nListenAddress 127.0.0.1\nHostKey %2/host_key\nPidFile none\nUsePAM no\n"
                             "StrictModes no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n")
                         .arg(port)
                         .arg(dir)
                         .toUtf8());
        config.close();
        QDir().mkpath("/run/sshd");
        QProcess sshd;
        sshd.start("/usr/sbin/sshd", {"-D", "-e", "-f", config.fileName()});
        QVERIFY(sshd.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Listens(port), 20000);
        const QByteArray oldHome = qgetenv("HOME"), agent = qgetenv("SSH_AUTH_SOCK");
        qputenv("HOME", dir.toUtf8());
        qunsetenv("SSH_AUTH_SOCK");
        QDir(dir).mkpath(".ssh");
        // Unknown although another key is trusted; then known, with a password it refuses.
        for (const bool known : {false, true}) {
            if (known) {
                QFile pub(dir + "/host_key.pub");
                QVERIFY(pub.open(QIODevice::ReadOnly));
                const QList<QByteArray> key = pub.readAll().split(' ');
                QFile hosts(dir + "/.ssh/known_hosts");
                QVERIFY(hosts.open(QIODevice::WriteOnly));
                hosts.write(QString("[127.0.0.1]:%1 ").arg(port).toUtf8() + key[0] + ' ' + key[1] + '\n');
            }
            CWindow w(kCup);
            CRavelmarkDlg& d = w.m_dlg;
            d.m_publishing.SetSettleMilliseconds(50);
            CPublishTarget target;
            QString reason;
            QVERIFY(ParsePublishUrl(QString("sftp://root@127.0.0.1:%1%2/").arg(port).arg(dir), target, reason));
            CPublishTrust trust;
            trust.m_hostFingerprint = "SHA256:47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU";
            d.m_publishing.SetTarget(target, "fel", trust);
            d.m_publishing.SetAutomatic(true);
            d.m_publishing.PublishNow();
            QTRY_COMPARE_WITH_TIMEOUT(d.m_publishing.Ended(), 1, 30000);
            QCOMPARE(d.m_publishing.LastResult().m_kind, known ? CPublishResult::LoginRefused : CPublishResult::UnknownHost);
            QVERIFY(d.m_publishState->toolTip().endsWith("publiceras inte automatiskt förrän det är åtgärdat i ”Publicera…”"));
            QVERIFY(!d.m_publishing.Due());
            TypeOver(d.m_editTitle, "Serien");
            QTest::qWait(200);
            QVERIFY(!d.m_publishing.Due() && !d.m_publishing.Busy());
            QCOMPARE(d.m_publishing.Ended(), 1);
            QVERIFY(!QFile::exists(dir + "/cup.htm"));
            QVERIFY(known || !QFile::exists(dir + "/.ssh/known_hosts"));
        }
        qputenv("HOME", oldHome);
        if (!agent.isEmpty())
            qputenv("SSH_AUTH_SOCK", agent);
        sshd.terminate();
        sshd.waitForFinished();
    }
};

QTEST_MAIN(PublishDlgTest)
#include "publish_dlg_test.moc"
