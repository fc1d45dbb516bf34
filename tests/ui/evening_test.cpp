// SPDX-License-Identifier: GPL-3.0-or-later
// An evening by habit: where the focus goes, the questions before an entry or a change would be
// dropped, completion from the round being entered, the page at the save, rounds moved, the rules
// as a step. What is on disk afterwards is what counts.
#include "WindowDriver.h"
#include "files/Versions.h"
#include "ui/RulesDlg.h"

#include <QAction>
#include <QSpinBox>

using Bytes = QByteArray;
using Answer = CPlatform::Answer;

namespace {

const Bytes kCup("Cup\n\nR1\nAnna 7\n");

// Keys where the focus is, as a keeper types them: the name, Tab, the points, and with `add`
// Tab and Enter on "Lägg Till".
void TypeResult(const QString& name, const QString& points, bool add = true)
{
    Type(QApplication::focusWidget(), name);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    Type(QApplication::focusWidget(), points);
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Return})
        if (add)
            QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

class EveningTest : public QObject
{
    Q_OBJECT
private slots:
    // "Redigera" on a round with results opens on the player's name: a late result typed by habit
    // is a result, not the round's name. Closed with a name and points not added: Ja adds them as
    // "Lägg Till" does (a refusal keeps the editor open), Nej drops them, Avbryt keeps them; one
    // box alone asks nothing.
    void closeWithATypedEntry_data()
    {
        QTest::addColumn<QString>("points");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("left"); // the editor after the close: "closed", or the boxes
        QTest::addColumn<Bytes>("saved");
        const Bytes late = Lines({"Cup", "", "R1", "Anna       7", "Viktor Ek 25"});
        QTest::newRow("Ja") << "5" << int(Answer::Yes) << "closed" << Lines({"Cup", "", "R1", "Anna       7", "Viktor Ek 25", "Cilla      5"});
        QTest::newRow("Ja, refused") << "tre" << int(Answer::Yes) << "Cilla|tre|points" << late;
        QTest::newRow("Nej") << "5" << int(Answer::No) << "closed" << late;
        QTest::newRow("Avbryt") << "5" << int(Answer::Cancel) << "Cilla|5|name" << late;
        QTest::newRow("name alone") << "" << int(Answer::Yes) << "closed" << late;
    }
    void closeWithATypedEntry()
    {
        QFETCH(QString, points);
        QFETCH(int, answer);
        QFETCH(QString, left);
        CWindow w(kCup);
        QCOMPARE(w.m_dlg.focusWidget(), w.m_dlg.m_btnNew); // shown: the next entry is a round
        w.m_platform.m_choices << Answer(answer);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& e) {
            TypeResult("Viktor Ek", "25");
            TypeResult("Cilla", points, false);
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

    // "Välj Turnering" with changes: Ja saves first (a refused title stays), and the page
    // beside the file follows the save, unopened; Nej keeps the changes aside, Avbryt stays with
    // them. The same file then reads as saved or as it was.
    void chooseWithChanges_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown"); // the window's title, the title field, the page's; file dialogs, pages opened
        QTest::addColumn<Bytes>("saved");
        QTest::addColumn<QString>("files"); // beside it
        QTest::newRow("Ja") << "Höst" << int(Answer::Yes) << "cup.txt – Ravelmark|Höst|<title>Höst|21" << Lines({"H\xF6st", "", "R1", "Anna  7"}) << "cup.htm,cup.txt,cup_051206_143005.bak";
        QTest::newRow("Ja, empty title") << " " << int(Answer::Yes) << "*cup.txt – Ravelmark| |<title>Cup|11" << kCup << "cup.htm,cup.txt";
        QTest::newRow("Nej") << "Höst" << int(Answer::No) << "cup.txt – Ravelmark|Cup|<title>Cup|21" << kCup << "cup.htm,cup.txt,kept";
        QTest::newRow("Avbryt") << "Höst" << int(Answer::Cancel) << "*cup.txt – Ravelmark|Höst|<title>Cup|11" << kCup << "cup.htm,cup.txt";
    }
    void chooseWithChanges()
    {
        QFETCH(QString, title);
        QFETCH(int, answer);
        CWindow w(kCup);
        Click(w.m_dlg.m_btnCreateTable);
        TypeOver(w.m_dlg.m_editTitle, title);
        w.m_platform.m_choices << Answer(answer);
        w.Choose(w.m_path);
        QCOMPARE(w.m_platform.m_questions, QStringList{"Vill du spara ändringarna i cup.txt?|Ravelmark|Avbryt"});
        const QString page = QString::fromLatin1(Read(w.File("cup.htm")));
        QTEST(w.m_dlg.windowTitle() + '|' + w.m_dlg.m_editTitle->text() + '|' +
                  QRegularExpression("<title>[^<]*").match(page).captured() + '|' +
                  QString::number(w.m_platform.m_filters.size()) + QString::number(w.m_platform.m_openedReports.size()),
              "shown");
        QTEST(Read(w.m_path), "saved");
        QStringList files = QDir(w.Folder()).entryList({"cup*"}, QDir::Files, QDir::Name);
        QTEST(files.replaceInStrings(QRegularExpression("^cup_\\d{6}_\\d{6}\\.osparad$"), "kept").join(','), "files");
    }

    // Alt+Down and the list's menu move the selected round a place, one step each; the last
    // one down stays. Saved in the order shown.
    void movingRounds()
    {
        CWindow w("Cup\n\nR1\nA 1\n\nR2\nA 2\n\nR3\nA 3\n");
        CRavelmarkDlg& d = w.m_dlg;
        ClickRow(d.m_listRounds, 0);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(d.m_listRounds, Qt::Key_Down, Qt::AltModifier);
        const QList<QAction*> menu = d.m_listRounds->actions();
        QCOMPARE(Rows(d.m_listRounds) + '|' + menu[0]->text() + ',' + menu[1]->text(), "R2,R3,R1|Flytta upp,Flytta ned");
        menu[0]->trigger();
        QCOMPARE(Rows(d.m_listRounds) + '|' + QString::number(d.m_undo.count()), "R2,R1,R3|3");
        QTest::keyClick(d.m_listRounds, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Rows(d.m_listRounds) + '|' + d.m_undo.undoText(), "R2,R3,R1|Flytta omgång R1");
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), Lines({"Cup", "", "R2", "A  2", "", "R3", "A  3", "", "R1", "A  1"}));
        QVERIFY(!QFile::exists(w.File("cup.htm"))); // the save makes no page where there was none
    }

    // "Regler…" OK is one step: Ctrl+Z puts the rules file back whole (removed where there was
    // none), the version it replaces kept beside it and listed in the history; the tournament
    // stays as on disk all along.
    void rulesAsAStep()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        for (const int best : {2, 3})
            QVERIFY(WithModal<CRulesDlg>(d.m_btnRules, [best](CRulesDlg& r) {
                r.m_spinBest->setValue(best);
                Click(r.m_btnOK);
            }));
        QStringList versions;
        for (const CVersion& version : ListVersions(w.m_path))
            versions << version.Line().mid(21).replace(QRegularExpression("_\\d{6}_\\d{6}"), "_T");
        QCOMPARE(versions.join(','), "cup.regler  regler: bästa = 3,cup_T.regler.bak  regler: bästa = 2,cup.txt  första versionen: 1 omgång");
        QStringList states;
        for (const auto step : {&QUndoStack::undo, &QUndoStack::undo, &QUndoStack::redo}) {
            (d.m_undo.*step)();
            states << Read(w.File("cup.regler")) + d.windowTitle() + '|' + d.m_undo.undoText();
        }
        QCOMPARE(states, QStringList({"bästa = 2\ncup.txt – Ravelmark|Ändra regler", "<missing>cup.txt – Ravelmark|",
                                      "bästa = 2\ncup.txt – Ravelmark|Ändra regler"}));
        d.m_undo.undo(); // the rules file gone; the history brings its first kept version back
        QVERIFY(d.RestoreRulesVersion(
            w.File(QDir(w.Folder()).entryList({"cup_*.regler.bak"}, QDir::Files, QDir::Time | QDir::Reversed).value(0))));
        QCOMPARE(Read(w.File("cup.regler")) + d.m_undo.undoText().left(14), "bästa = 2\nÅterställ cup_");
        QVERIFY(w.Close());
        QCOMPARE(QDir(w.Folder()).entryList({"cup_??????_??????.bak"}), QStringList()); // nothing to save
    }

    // On a first evening the names entered earlier in the round complete, and are asked about.
    void namesOfTheOpenRound()
    {
        CWindow w("Cup\n");
        w.m_platform.m_answers << true;
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& e) {
            TypeResult("R1", "", false); // the round's name, Tab to the empty list and on to the player's
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
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
