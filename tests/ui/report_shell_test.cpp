// Opening the page through the real desktop look-up, on a made-up desktop whose only application
// for web pages is a stand-in that writes down its arguments: no browser is ever started.
#include "ReportShell.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class ReportShellTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;

    QString Root(const QString& name) const { return m_root.filePath(name); }
    static bool Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
               file.write(bytes) == bytes.size() && file.flush();
    }

private slots:
    // Before GIO first reads the XDG folders.
    void initTestCase()
    {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            qputenv(name, QFile::encodeName(Root(name)));
        for (const char* name : {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
            qputenv(name, QFile::encodeName(Root("nothing")));
        qunsetenv("XDG_CURRENT_DESKTOP");
        const QByteArray log = QFile::encodeName(Root("arguments"));
        QVERIFY(Write(Root("stand in/web"), "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + log + ".part' && mv '" + log +
                                                ".part' '" + log + "'\n"));
        QVERIFY(QFile::setPermissions(Root("stand in/web"), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(Write(Root("XDG_DATA_HOME/applications/standin.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Stand-in\nMimeType=text/html;\nExec=\"" +
                          QFile::encodeName(Root("stand in/web")) + "\" --new-tab %u --dropped\n"));
        QVERIFY(Write(Root("XDG_CONFIG_HOME/mimeapps.list"), "[Default Applications]\ntext/html=standin.desktop\n"));
    }

    // Without a shell (the window's opener in a program without a GUI here; the tool offscreen or
    // without a display) the program the desktop associates with web pages gets the page's path
    // as one argument, whatever characters it holds.
    void pageOpensInTheAssociatedProgram_data()
    {
        QTest::addColumn<QString>("platform"); // of the tool; none: CReportShell in this process
        QTest::newRow("in process") << QString();
        QTest::newRow("tool offscreen") << "offscreen";
        QTest::newRow("tool without display") << "";
    }
    void pageOpensInTheAssociatedProgram()
    {
        QFETCH(QString, platform);
        const QString folder = Root("page \"a\" 'b';$HOME&`id`|åäö"), page = folder + "/klubbkamp.htm";
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder) && QFile::copy(RAVELMARK_EXAMPLES "/klubbkamp.txt", folder + "/klubbkamp.txt"));
        if (platform.isNull()) {
            QVERIFY(Write(page, "<html>\r\n"));
            QCOMPARE(CReportShell().OpenReport(page), ReportOpened::ByRegisteredProgram);
        } else {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                environment.remove(name);
            if (!platform.isEmpty())
                environment.insert("QT_QPA_PLATFORM", platform);
            QProcess tool;
            tool.setProcessEnvironment(environment);
            tool.start(RAVELMARK_TOOL, {"table", folder + "/klubbkamp.txt", "--open"});
            QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
        }
        QFile log(Root("arguments"));
        QVERIFY(QTest::qWaitFor([&] { return log.exists(); }, 10000) && log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), "--new-tab" + QByteArray(1, '\0') + QFile::encodeName(page) + '\0');
        log.remove();
    }
};

QTEST_GUILESS_MAIN(ReportShellTest)
#include "report_shell_test.moc"
