// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the page on made-up desktops whose default application for web pages is a stand-in
// that writes down its arguments: no browser is ever started.
#include "FileHelpers.h"
#include "opener/ReportOpener.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class ReportOpenerTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;

    QString Root(const QString& name) const { return m_root.filePath(name); }
    static bool Write(const QString& path, const QByteArray& bytes)
    {
        return QDir().mkpath(QFileInfo(path).path()) && WriteBytes(path, bytes);
    }
    // Desktop `name` (url, file, none) as XDG folders, with no system folders behind them.
    void UseDesktop(const QString& name, QProcessEnvironment* environment)
    {
        const QString values[] = {Root(name + "/data"), Root(name + "/config"), Root("nothing"), Root("nothing")};
        const char* variables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};
        for (int i = 0; i < 4; ++i)
            environment ? environment->insert(variables[i], values[i]) : void(qputenv(variables[i], values[i].toUtf8()));
    }

private slots:
    // Before GIO first reads the XDG folders: the desktops whose stand-in takes the page by
    // --url=%u (after the field codes of icon, name and entry) or as a bare %f.
    void initTestCase()
    {
        const QByteArray web = QFile::encodeName(Root("stand in/web")), log = QFile::encodeName(Root("arguments"));
        QVERIFY(Write(Root("stand in/web"),
                      "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + log + ".part' && mv '" + log + ".part' '" + log + "'\n"));
        QVERIFY(QFile::setPermissions(Root("stand in/web"), QFile::ReadOwner | QFile::ExeOwner));
        for (const auto& [desktop, exec] : {std::pair("url", " %i %c %k --url=%u"), std::pair("file", " -a %f -b")}) {
            QVERIFY(Write(Root(desktop) + "/data/applications/standin.desktop",
                          "[Desktop Entry]\nType=Application\nName=Stand-in\nIcon=standin\nMimeType=text/html;\n"
                          "Exec=\"" + web + '"' + exec + '\n'));
            QVERIFY(Write(Root(desktop) + "/config/mimeapps.list", "[Default Applications]\ntext/html=standin.desktop\n"));
        }
        // The desktop's own opener, as a Wayland session has it.
        const QByteArray opener = QFile::encodeName(Root("opener"));
        QVERIFY(Write(Root("bin/xdg-open"),
                      "#!/bin/sh\nprintf '%s' \"$1\" > '" + opener + ".part' && mv '" + opener + ".part' '" + opener + "'\n"));
        QVERIFY(QFile::setPermissions(Root("bin/xdg-open"), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QDir().mkpath(Root("none")));
        UseDesktop("url", nullptr);
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    // The default application gets its arguments by the desktop-entry rules, the page as one
    // argument whatever its path holds: from the window's opener in a program without a GUI (here)
    // and from the tool offscreen or without a display; the tool says when nothing could open it.
    void pageOpensInTheDefaultApplication_data()
    {
        QTest::addColumn<QString>("platform"); // of the tool; null: the opener in this process
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("arguments"); // PAGE and ENTRY stand in; none: nothing started
        QTest::addColumn<bool>("byOpener");         // xdg-open took the page, and nothing else was started
        const QStringList byUrl{"--icon", "standin", "Stand-in", "ENTRY", "--url=PAGE"}; // GIO's %u of a file
        QTest::newRow("in process") << QString() << "url" << byUrl << false;
        QTest::newRow("tool offscreen") << "offscreen" << "file" << QStringList{"-a", "PAGE", "-b"} << false;
        QTest::newRow("tool without display") << "" << "url" << byUrl << false;
        QTest::newRow("no default application") << "" << "none" << QStringList() << false;
        QTest::newRow("tool on Wayland alone") << "wayland" << "url" << QStringList() << true;
    }
    void pageOpensInTheDefaultApplication()
    {
        QFETCH(QString, platform);
        QFETCH(QString, desktop);
        QFETCH(QStringList, arguments);
        QFETCH(bool, byOpener);
        const QString folder = Root("page \"a\" 'b';$HOME&`id`|åäö"), page = folder + "/klubbkamp.htm";
        QFile log(Root("arguments")), opener(Root("opener"));
        log.remove();
        opener.remove();
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder) && QFile::copy(RAVELMARK_EXAMPLES "/klubbkamp.txt", folder + "/klubbkamp.txt"));
        if (platform.isNull()) {
            QVERIFY(Write(page, "<html>\r\n"));
            QCOMPARE(OpenReport(page), ReportOpened::ByDefaultApplication);
        } else {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                environment.remove(name);
            if (platform == "wayland")
                environment.insert("WAYLAND_DISPLAY", "ravelmark-test-none");
            else if (!platform.isEmpty())
                environment.insert("QT_QPA_PLATFORM", platform);
            environment.insert("PATH", Root("bin") + ':' + environment.value("PATH"));
            UseDesktop(desktop, &environment);
            QProcess tool;
            tool.setProcessEnvironment(environment);
            tool.start(RAVELMARK_TOOL, {"table", folder + "/klubbkamp.txt", "--open"});
            QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
            const QByteArray said = tool.readAllStandardError(); // Qt may warn before
            QCOMPARE(said.contains("ravelmark-tool:"), arguments.isEmpty() && !byOpener);
            QVERIFY(arguments.size() || byOpener || said.endsWith("ravelmark-tool: inget program kan \xC3\xB6ppna " + page.toUtf8() + '\n'));
        }
        if (byOpener) {
            QVERIFY(QTest::qWaitFor([&] { return opener.exists(); }, 10000) && opener.open(QIODevice::ReadOnly));
            QCOMPARE(QUrl::fromEncoded(opener.readAll()).toLocalFile(), page);
        }
        if (arguments.isEmpty()) {
            QTest::qWait(byOpener ? 500 : 0); // time for a second program that must not start
            QVERIFY(!log.exists());
            return;
        }
        QVERIFY(!opener.exists());
        QVERIFY(QTest::qWaitFor([&] { return log.exists(); }, 10000) && log.open(QIODevice::ReadOnly));
        QList<QByteArray> got = log.readAll().split('\0');
        QCOMPARE(got.takeLast(), QByteArray());
        QList<QByteArray> expected;
        for (const QString& argument : arguments)
            expected << QFile::encodeName(QString(argument).replace("PAGE", page).replace(
                            "ENTRY", Root(desktop) + "/data/applications/standin.desktop"));
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(ReportOpenerTest)
#include "report_opener_test.moc"
