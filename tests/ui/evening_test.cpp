// SPDX-License-Identifier: GPL-3.0-or-later
// An evening by habit: where the focus goes, the questions before an entry or a change would be
// dropped, completion from the round being entered. What is on disk afterwards is what counts.
#include "WindowDriver.h"
#include "files/Versions.h"
#include "ui/RulesDlg.h"

#include <QAction>
#include <QSpinBox>

using Bytes = QByteArray;
using Answer = CPlatform::Answer;

namespace {

const Bytes kCup("Cup\n\nR1\nAnna 7\n");

// Keys as a keeper types them: text, then Tab, Tab, Enter to "Lägg Till".
void TypeResult(const QString& name, const QString& points)
{
    Type(QApplication::focusWidget(), name);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    Type(QApplication::focusWidget(), points);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

} // namespace

class EveningTest : public QObject
{
    Q_OBJECT
private slots:
    // Opened: the focus on "Ny". "Redigera" on a round with results: on the player's name, so a
    // late result typed by habit is a result; a new round: on its name.
    void focusWhereTheNextEntryGoes()
    {
        CWindow w(kCup);
        QCOMPARE(w.m_dlg.focusWidget(), w.m_dlg.m_btnNew);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& e) {
            TypeResult("Viktor Ek", "25");
            QCOMPARE(e.m_editName->text() + '|' + Rows(e.m_listResults), "R1|Anna=7,Viktor Ek=25");
            e.close();
        }));
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& e) {
            QVERIFY(e.m_editName->hasFocus());
            e.close();
        }));
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), Lines({"Cup", "", "R1", "Anna       7", "Viktor Ek 25"}));
    }

    // Closing the editor with a name and points not added: Ja adds them as "Lägg Till" does (a
    // refusal keeps the editor open), Nej drops them, Avbryt keeps them; one box alone asks nothing.
    void closeWithATypedEntry_data()
    {
        QTest::addColumn<QString>("points");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("left"); // the editor after the close: "closed", or the boxes
        QTest::addColumn<Bytes>("saved");
        QTest::newRow("Ja") << "25" << int(Answer::Yes) << "closed" << Lines({"Cup", "", "R1", "Anna   7", "Cilla 25"});
        QTest::newRow("Ja, refused") << "tre" << int(Answer::Yes) << "Cilla|tre|points" << kCup;
        QTest::newRow("Nej") << "25" << int(Answer::No) << "closed" << kCup;
        QTest::newRow("Avbryt") << "25" << int(Answer::Cancel) << "Cilla|25|name" << kCup;
        QTest::newRow("name alone") << "" << int(Answer::Yes) << "closed" << kCup;
    }
    void closeWithATypedEntry()
    {
        QFETCH(QString, points);
        QFETCH(int, answer);
        QFETCH(QString, left);
        CWindow w(kCup);
        w.m_platform.m_choices << Answer(answer);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& e) {
            Type(e.m_comboName->lineEdit(), "Cilla");
            Type(e.m_comboPoints->lineEdit(), points);
            e.m_comboName->setFocus();
            e.close();
            if (e.isVisible()) {
                QCOMPARE(e.m_comboName->Text() + '|' + e.m_comboPoints->Text() + '|' +
                             (e.m_comboPoints->hasFocus() ? "points" : "name"), left);
                e.m_comboPoints->SetText("");
                e.close();
            }
        }));
        QCOMPARE(w.m_platform.m_questions.join(','),
                 points.isEmpty() ? "" : "Lägga till Cilla " + points + " innan omgången stängs?|Ravelmark|Avbryt");
        QVERIFY(w.Close());
        QTEST(Read(w.m_path), "saved");
    }

    // "Välj Turnering" with changes: Ja saves first (a refused title stays), Nej keeps them
    // aside, Avbryt stays with them; the same file then reads as saved or as it was.
    void chooseWithChanges_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown"); // the window's title and the title field afterwards
        QTest::addColumn<Bytes>("saved");
        QTest::addColumn<QString>("files"); // beside it
        QTest::newRow("Ja") << "Höst" << int(Answer::Yes) << "cup.txt – Ravelmark|Höst"
                            << Lines({"H\xF6st", "", "R1", "Anna  7"}) << "cup.txt,cup_051206_143005.bak";
        QTest::newRow("Ja, empty title") << " " << int(Answer::Yes) << "*cup.txt – Ravelmark| " << kCup << "cup.txt";
        QTest::newRow("Nej") << "Höst" << int(Answer::No) << "cup.txt – Ravelmark|Cup" << kCup << "cup.txt,kept";
        QTest::newRow("Avbryt") << "Höst" << int(Answer::Cancel) << "*cup.txt – Ravelmark|Höst" << kCup << "cup.txt";
    }
    void chooseWithChanges()
    {
        QFETCH(QString, title);
        QFETCH(int, answer);
        CWindow w(kCup);
        TypeOver(w.m_dlg.m_editTitle, title);
        w.m_platform.m_choices << Answer(answer);
        w.Choose(w.m_path);
        QCOMPARE(w.m_platform.m_questions, QStringList{"Vill du spara ändringarna i cup.txt?|Ravelmark|Avbryt"});
        QCOMPARE(w.m_platform.m_filters.size(), title == "Höst" && answer != int(Answer::Cancel) ? 2 : 1);
        QTEST(w.m_dlg.windowTitle() + '|' + w.m_dlg.m_editTitle->text(), "shown");
        QTEST(Read(w.m_path), "saved");
        QStringList files = QDir(w.Folder()).entryList(QDir::Files, QDir::Name);
        files.replaceInStrings(QRegularExpression("^cup_\\d{6}_\\d{6}\\.osparad$"), "kept");
        QTEST(files.join(','), "files");
    }

    // The page beside the file follows the save, without being opened; without a page, the
    // save makes none.
    void pageFollowsTheSave()
    {
        for (const bool page : {false, true}) {
            CWindow w(kCup);
            if (page)
                Click(w.m_dlg.m_btnCreateTable);
            TypeOver(w.m_dlg.m_editTitle, "Höst");
            const auto title = [&w] {
                return QRegularExpression("<title>[^<]*|<missing>").match(QString::fromLatin1(Read(w.File("cup.htm")))).captured();
            };
            QCOMPARE(title(), page ? "<title>Cup" : "<missing>");
            QVERIFY(w.Close());
            QCOMPARE(title(), page ? "<title>Höst" : "<missing>");
            QCOMPARE(w.m_platform.m_openedReports.size(), page ? 1 : 0);
        }
    }

    // Alt+Down and the list's menu move the selected round a place, one step each; the last
    // one down, or the first up, stays. Saved in the order shown.
    void movingRounds()
    {
        CWindow w("Cup\n\nR1\nA 1\n\nR2\nA 2\n\nR3\nA 3\n");
        CRavelmarkDlg& d = w.m_dlg;
        ClickRow(d.m_listRounds, 0);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(d.m_listRounds, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Rows(d.m_listRounds), "R2,R3,R1");
        const QList<QAction*> menu = d.m_listRounds->actions();
        QCOMPARE(Joined(int(menu.size()), [&](int i) { return menu[i]->text(); }), "Flytta upp,Flytta ned");
        menu[0]->trigger();
        QCOMPARE(Rows(d.m_listRounds) + '|' + QString::number(d.m_undo.count()), "R2,R1,R3|3");
        QTest::keyClick(d.m_listRounds, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Rows(d.m_listRounds) + '|' + d.m_undo.undoText(), "R2,R3,R1|Flytta omgång R1");
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), Lines({"Cup", "", "R2", "A  2", "", "R3", "A  3", "", "R1", "A  1"}));
    }

    // "Regler…" OK is one step: Ctrl+Z puts the rules file back whole (removed where there was
    // none), the version it replaces kept beside it and listed in the history; the tournament
    // stays as on disk all along.
    void rulesAsAStep()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        const QString rules = w.File("cup.regler");
        for (const int best : {2, 3})
            QVERIFY(WithModal<CRulesDlg>(d.m_btnRules, [best](CRulesDlg& r) {
                r.m_spinBest->setValue(best);
                Click(r.m_btnOK);
            }));
        QCOMPARE(Read(rules), "bästa = 3\n");
        QStringList versions;
        for (const CVersion& version : ListVersions(w.m_path))
            versions << version.Line().mid(21).replace(QRegularExpression("_\\d{6}_\\d{6}"), "_T");
        QCOMPARE(versions.join(','), "cup.regler  regler: bästa = 3,cup_T.regler.bak  regler: bästa = 2,"
                                     "cup.txt  första versionen: 1 omgång");
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        const auto undo = [&](Qt::Key key) {
            QTest::keyClick(d.focusWidget(), key, Qt::ControlModifier);
            return Read(rules) + '|' + d.windowTitle() + '|' + d.m_undo.undoText();
        };
        QCOMPARE(undo(Qt::Key_Z), "bästa = 2\n|cup.txt – Ravelmark|Ändra regler");
        QCOMPARE(undo(Qt::Key_Z), "<missing>|cup.txt – Ravelmark|");
        QCOMPARE(undo(Qt::Key_Y), "bästa = 2\n|cup.txt – Ravelmark|Ändra regler");
        QVERIFY(w.Close());
        QCOMPARE(QDir(w.Folder()).entryList({"cup_??????_??????.bak"}), QStringList()); // nothing to save
    }

    // On a first evening the names entered earlier in the round complete, and are asked about.
    void namesOfTheOpenRound()
    {
        CWindow w("Cup\n");
        w.m_platform.m_answers << true;
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& e) {
            Type(e.m_editName, "R1");
            QTest::keyClick(e.m_editName, Qt::Key_Tab);
            TypeResult("Bo Ek", "3");
            TypeResult("Cilla", "5");
            Type(e.m_comboName->lineEdit(), "b");
            QCOMPARE(e.m_comboName->Text() + '|' + e.m_comboName->lineEdit()->selectedText(), "Bo Ek|o Ek");
            TypeOver(e.m_comboName->lineEdit(), "bo  ek");
            TypeResult("", "9");
            QCOMPARE(Rows(e.m_listResults), "Bo Ek=9,Cilla=5");
            e.close();
        }));
        QCOMPARE(w.m_platform.m_questions, QStringList{"Menar du Bo Ek?|Ravelmark"});
    }
};

QTEST_MAIN(EveningTest)
#include "evening_test.moc"
