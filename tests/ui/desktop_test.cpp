// SPDX-License-Identifier: GPL-3.0-or-later
// The program at home on the desktop: Qt's real boxes and file dialog speak Swedish under any
// locale, and the command line prints and ends (the window started on a file: window_runs.sh).
#include "WindowDriver.h"
#include "ui/RavelmarkApp.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Runs `open`, which shows a modal dialog; meanwhile reads its title, a message box's text or
// the visible labels ending in ':', and the buttons, then presses the button that `pressed` picks out.
QStringList Texts(const std::function<void()>& open, const QString& pressed)
{
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        texts << (dialog ? dialog->windowTitle() : "<none>");
        if (const auto* message = qobject_cast<QMessageBox*>(dialog))
            texts << message->text();
        for (const QLabel* label : dialog ? dialog->findChildren<QLabel*>() : QList<QLabel*>())
            if (label->isVisible() && label->text().endsWith(':'))
                texts << label->text();
        const auto* box = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
        for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>())
            if ((texts << button->text()).last() == pressed)
                QTimer::singleShot(0, button, &QAbstractButton::click);
    });
    open();
    return texts;
}

} // namespace

class DesktopTest : public QObject
{
    Q_OBJECT
private slots:
    void dialogsSpeakSwedish()
    {
        CQtPlatform p;
        QCOMPARE(Texts([&] { p.ErrorBox(nullptr, "Fel"); }, "OK"), QStringList({"Ravelmark", "Fel", "OK"}));
        QString path;
        QCOMPARE(Texts([&] { QVERIFY(!p.ChooseFile(nullptr, "Turnering (*.txt)", path)); }, "Avbryt"),
                 QStringList({"Öppna", "Leta i:", "Filnamn:", "Filformat:", "Öppna", "Avbryt"}));
    }

    // The questions through Qt's real box, in Swedish. "Ta Bort": "Nej" keeps the round, "Ja" removes it.
    void questionsAskTheRealBox()
    {
        QTemporaryDir dir;
        QVERIFY(WriteBytes(dir.filePath("cup.txt"), "Cup\n\nR1\nAnna 3\n\nR2\nRen\xE9 Berg 1\n\xC5sa 2\n"));
        CQtPlatform platform;
        CRavelmarkDlg d(platform);
        d.InitDialog();
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.OpenTournament(dir.filePath("cup.txt"));
        for (const QString answer : {"Nej", "Ja"}) {
            ClickRow(d.m_listRounds, 0);
            QCOMPARE(Texts([&] { Click(d.m_btnRemove); }, answer),
                     QStringList({"Ta bort omgång", "Vill du ta bort omgång R1 ?", "Ja", "Nej"}));
            QCOMPARE(Rows(d.m_listRounds), answer == "Ja" ? "R2" : "R1,R2");
        }
        // A new name that is a known player's but for case, the accents Swedish does not count,
        // blanks, or å ä ö typed as a a o, asks once: "Ja" takes the known name, "Nej" the typed
        // one, not asked about again.
        QVERIFY(WithEditor(d.m_btnNew, [](CRoundDlg& e) {
            Type(e.m_editName, "R3");
            for (const auto& [name, answer] : {std::pair{"rene  berg", "Ja"}, {"RENE BERG", "Nej"}, {"RENE BERG", ""},
                                               {"Asa", "Nej"}, {"René Berg", ""}}) {
                const auto add = [&] { AddResult(e, name, QString::number(QString(name).size())); };
                const QString known = QString(name) == "Asa" ? "Åsa" : "René Berg";
                if (*answer)
                    QCOMPARE(Texts(add, answer), QStringList({"Ravelmark", "Menar du " + known + "?", "Ja", "Nej"}));
                else
                    add(); // a real box would stop the test here
            }
            QCOMPARE(Rows(e.m_listResults), "René Berg=9,RENE BERG=9,Asa=3");
            e.close();
        }));
    }

    // Enter alone answers No where a file would be made; Escape answers Avbryt.
    void defaultsOfTheRealBoxes()
    {
        CQtPlatform p;
        const auto press = [](Qt::Key key) {
            QTimer::singleShot(0, [key] { QTest::keyClick(QApplication::activeModalWidget(), key); });
        };
        press(Qt::Key_Return);
        QVERIFY(!p.QuestionDefaultNo(nullptr, "Skapa?", "Ravelmark"));
        press(Qt::Key_Return);
        QVERIFY(p.Question(nullptr, "Ta bort?", "Ravelmark"));
        press(Qt::Key_Escape);
        QCOMPARE(p.YesNoCancel(nullptr, "Spara?", "Ravelmark"), CPlatform::Answer::Cancel);
        QCOMPARE(Texts([&] { QCOMPARE(p.YesNoCancel(nullptr, "Spara?", "Ravelmark"), CPlatform::Answer::No); }, "Nej"),
                 QStringList({"Ravelmark", "Spara?", "Avbryt", "Ja", "Nej"}));
    }

    // Help, version and usage errors, without a display: exit code, start of stdout, stderr.
    void printsAndEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed");
        QTest::newRow("help") << QStringList{"--help"} << "0 Användning: ravelmark [FIL]\n|";
        QTest::newRow("version") << QStringList{"-v"} << "0 ravelmark " RAVELMARK_VERSION "\n|";
        QTest::newRow("unknown") << QStringList{"--open", "a.txt"}
                                 << "2 |ravelmark: okänd flagga: open (se ravelmark --help)\n";
    }
    void printsAndEnds()
    {
        QFETCH(QStringList, arguments);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(QDir::tempPath());
        program.start(RAVELMARK_PROGRAM, arguments);
        QVERIFY(program.waitForFinished());
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QTEST(QString::number(program.exitCode()) + ' ' + out.section('\n', 0, 0, QString::SectionIncludeTrailingSep) +
                  '|' + QString::fromUtf8(program.readAllStandardError()),
              "printed");
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
