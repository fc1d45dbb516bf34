// The real desktop opener against a made-up desktop whose only application for web pages is a
// stand-in that writes down its arguments: no browser is ever started.
#include "ReportShell.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QTemporaryDir* g_root = nullptr;

QString Root(const QString& name) { return g_root->filePath(name); }
QString Log() { return Root(QStringLiteral("arguments")); }
QString StandIn() { return Root(QStringLiteral("stand in/web")); }
const QByteArray kStandInId = "ravelmark-standin.desktop";

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Must run before GIO first reads the XDG folders.
bool MakeDesktop()
{
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        qputenv(name, QFile::encodeName(Root(QString::fromLatin1(name))));
    for (const char* name : {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
        qputenv(name, QFile::encodeName(Root(QStringLiteral("nothing"))));
    qunsetenv("XDG_CURRENT_DESKTOP");
    const QByteArray log = QFile::encodeName(Log());
    return WriteFile(StandIn(), "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + log + ".part' && mv '" + log + ".part' '" +
                                    log + "'\n") &&
           QFile::setPermissions(StandIn(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
           WriteFile(Root("XDG_DATA_HOME/applications/" + kStandInId),
                     "[Desktop Entry]\nType=Application\nName=Stand-in\nMimeType=text/html;\nExec=\"" +
                         QFile::encodeName(StandIn()) + "\" --new-tab %u --dropped\n") &&
           WriteFile(Root(QStringLiteral("XDG_CONFIG_HOME/mimeapps.list")),
                     "[Default Applications]\ntext/html=" + kStandInId + "\n");
}

// The arguments the stand-in was started with, once it has written them.
QStringList StartedWith()
{
    if (!QTest::qWaitFor([] { return QFile::exists(Log()); }, 10000))
        return {QStringLiteral("(not started)")};
    QFile file(Log());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList arguments;
    for (const QByteArray& argument : file.readAll().split('\0'))
        arguments.append(QFile::decodeName(argument));
    arguments.removeLast(); // after the last NUL
    file.remove();
    return arguments;
}

} // namespace

class ReportShellTest : public QObject
{
    Q_OBJECT
private slots:
    void lookUpFindsTheDefaultApplicationAndItsCommand()
    {
        CReportShell shell;
        std::string value;
        QVERIFY(shell.ReadRegistryDefault(".htm", value));
        QCOMPARE(value, kStandInId.toStdString());
        QVERIFY(shell.ReadRegistryDefault(value + "\\shell\\open\\command", value));
        QCOMPARE(QString::fromStdString(value), '"' + StandIn() + "\" --new-tab %u --dropped");
    }

    void failedLookUpLeavesTheValue_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("unknown application") << "nosuch.desktop\\shell\\open\\command";
        QTest::newRow("no application") << "\\shell\\open\\command";
        QTest::newRow("other type") << ".txt";
        QTest::newRow("class without command") << QString::fromLatin1(kStandInId);
    }
    void failedLookUpLeavesTheValue()
    {
        QFETCH(QString, key);
        std::string value = "unchanged";
        QVERIFY(!CReportShell().ReadRegistryDefault(key.toStdString(), value));
        QCOMPARE(value, std::string("unchanged"));
    }

    void offscreenHasNoShell()
    {
        QVERIFY(!CReportShell().ShellOpen("/tmp/page.htm", SW_SHOW));
    }

    void registeredProgramGetsThePathAsOneArgument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "klubb kamp.htm";
        QTest::newRow("shell characters") << "\"a\" 'b';$HOME&`id`|x.htm";
        QTest::newRow("non-ASCII") << QString::fromUtf8("\xC3\xA5\xC3\xA4\xC3\xB6 lag.htm");
    }
    void registeredProgramGetsThePathAsOneArgument()
    {
        QFETCH(QString, name);
        const QString page = Root("pages/" + name);
        QVERIFY(WriteFile(page, "<html>\r\n"));
        QCOMPARE(CReportShell().OpenReport(page), ReportOpened::ByRegisteredProgram);
        QCOMPARE(StartedWith(), (QStringList{QStringLiteral("--new-tab"), page}));
    }

    void toolOpensTheWrittenPage_data()
    {
        QTest::addColumn<bool>("display");
        QTest::newRow("offscreen platform") << true;
        QTest::newRow("no display") << false;
    }
    void toolOpensTheWrittenPage()
    {
        QFETCH(bool, display);
        const QString tournament = Root(QStringLiteral("tool dir/klubbkamp.txt"));
        QDir().mkpath(QFileInfo(tournament).path());
        QFile::remove(tournament);
        QVERIFY(QFile::copy(QStringLiteral(RAVELMARK_EXAMPLES "/klubbkamp.txt"), tournament));
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        if (display)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(RAVELMARK_TOOL), {QStringLiteral("table"), tournament, QStringLiteral("--open")});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        const QString page = Root(QStringLiteral("tool dir/klubbkamp.htm"));
        QVERIFY(QFile::exists(page));
        QCOMPARE(StartedWith(), (QStringList{QStringLiteral("--new-tab"), page}));
    }
};

int main(int argc, char* argv[])
{
    QTemporaryDir root;
    g_root = &root;
    if (!root.isValid() || !MakeDesktop()) {
        qCritical("cannot make the stand-in desktop");
        return 1;
    }
    // Offscreen has no shell, so a browser of the machine's own is never handed the page.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ReportShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "report_shell_test.moc"
