// The program at home on the desktop: Qt's real boxes and file dialog speak Swedish under any
// locale, and the command line starts the window on a file or prints and ends.
#include "RavelmarkApp.h"
#include "WindowDriver.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Opens a box with `open`, reads its buttons while it shows, and presses `answer`.
QStringList BoxButtons(const std::function<void()>& open, QMessageBox::StandardButton answer)
{
    QStringList texts;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (const QAbstractButton* button : box->buttons())
                texts << button->text();
            box->button(answer)->click();
        }
    });
    open();
    return texts;
}

} // namespace

class DesktopTest : public QObject
{
    Q_OBJECT
private slots:
    void boxesSpeakSwedish()
    {
        CQtPlatform platform;
        bool yes = false;
        QCOMPARE(BoxButtons([&] { yes = platform.Question(nullptr, "Ta bort?", "Fråga"); }, QMessageBox::Yes),
                 (QStringList{"Ja", "Nej"}));
        QVERIFY(yes);
        QCOMPARE(BoxButtons([&] { platform.ErrorBox(nullptr, "Fel"); }, QMessageBox::Ok), QStringList{"OK"});
    }

    void fileDialogSpeaksSwedish()
    {
        CQtPlatform platform;
        QStringList labels, buttons;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            labels << dialog->windowTitle();
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                if (label->isVisible() && label->text().endsWith(':'))
                    labels << label->text();
            for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
                buttons << button->text();
            dialog->reject();
        });
        QString path = "unchanged";
        QVERIFY(!platform.ChooseFile(nullptr, "Turnering (*.txt)", path));
        QCOMPARE(path, "unchanged");
        labels.sort();
        QCOMPARE(labels, (QStringList{"Filformat:", "Filnamn:", "Leta i:", "Öppna"}));
        QCOMPARE(buttons, (QStringList{"Öppna", "Avbryt"}));
    }

    // `ravelmark FILE`: the window afterwards and its one message, as if the file had been chosen.
    void startsOnAFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no such file
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("error");
        QTest::newRow("read") << QByteArray("Cup\n\nR1\nAnna 3\n") << "Cup|R1|11100|0" << "";
        QTest::newRow("refused") << QByteArray("Cup\n\nR1\nAnna x\n") << "||00000|0"
                                 << "Rad 4 : \"Anna x\"\nPoäng ska vara ett heltal";
        QTest::newRow("missing") << QByteArray() << "||00000|0" << "Kan inte öppna filen: %1";
    }

    void startsOnAFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString path = QDir(dir.path()).filePath("cup.txt");
        QVERIFY(bytes.isEmpty() || WriteBytes(path, bytes));
        CWindow w;
        OpenAtStart(w.m_dlg, "cup.txt"); // relative, as typed in a terminal
        QTRY_VERIFY(!w.m_dlg.m_filePath.isEmpty() || !w.m_platform.m_errors.isEmpty());
        QTEST(State(w.m_dlg), "state");
        QCOMPARE(w.m_platform.m_errors, error.isEmpty() ? QStringList() : QStringList{error.arg(path)});
    }

    // Help, version and usage errors need no display.
    void printsAndEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Användning: ravelmark [FIL]\n" << "";
        QTest::newRow("version") << QStringList{"-v"} << 0 << "ravelmark " RAVELMARK_VERSION "\n" << "";
        QTest::newRow("unknown option") << QStringList{"--open", "a.txt"} << 2 << ""
                                        << "ravelmark: okänd flagga: open (se ravelmark --help)\n";
        QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << 2 << ""
                                   << "ravelmark: högst en fil (se ravelmark --help)\n";
    }

    void printsAndEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(QDir::tempPath());
        program.start(RAVELMARK_PROGRAM, arguments);
        QVERIFY(program.waitForFinished());
        QTEST(program.exitCode(), "exitCode");
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()).left(output.size()), output);
        QTEST(QString::fromUtf8(program.readAllStandardError()), "error");
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
