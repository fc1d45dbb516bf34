// SPDX-License-Identifier: GPL-3.0-or-later
// The round editor driven as a user drives it, opened from the main window: typing, clicks and
// the close request.
#include "WindowDriver.h"

#include <QHelpEvent>
#include <QToolTip>

namespace {

// R1 holds Anna 7 and Bo 3; R2 brings the other players, with Windows-1252 names.
const QByteArray kCup("Cup\n\nR1\nAnna 7\nBo 3\n\nR2\n\xD6rjan 1\nbo 1\n\xC5sa 1\n");
// Names to complete: one a prefix of another, Swedish letters beside their look-alikes, two
// players apart only by case, an accent, and one too long for the box.
const QByteArray kNames("Cup\n\nR1\nAnna Berg 1\nAnna 1\n\xC5sa 1\nOlle 1\n\xD6rjan 1\nBo 1\nbo 1\nRen\xE9 1\n" +
                        QByteArray(40, 'W') + " 1\n");

// "name|rows|enabled Redigera, Ta Bort, Lägg Till|name box|points box"
QString State(const CRoundDlg& e)
{
    return e.m_editName->text() + '|' + Rows(e.m_listResults) + '|' +
           Enabled({e.m_btnEditResult, e.m_btnRemoveResult, e.m_btnAddResult}) + '|' + e.m_comboName->Text() + '|' +
           e.m_comboPoints->Text();
}

// The tooltip over a row; "" when none has shown yet.
QString TipAt(CListView* list, int row)
{
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QHelpEvent event(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    return QToolTip::isVisible() ? QToolTip::text() : "";
}

} // namespace

class RoundDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void enteringResults()
    {
        CWindow w(kCup);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& e) {
            // A round with results opens for one more result; a new round (below) with its name.
            QVERIFY(e.m_comboName->hasFocus() && e.minimumSize() == e.maximumSize()); // fixed size
            // A close box only, no minimise or maximise box.
            QCOMPARE(e.windowFlags(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
            const QAbstractItemModel* list = e.m_listResults->model();
            QCOMPARE(Joined(2, [list](int i) { return list->headerData(i, Qt::Horizontal).toString(); }),
                     "Deltagare,Poäng");
            QCOMPARE(State(e), "R1|Anna=7,Bo=3|000||");
            QCOMPARE(Items(e.m_comboName), "Anna,Bo,bo,Åsa,Örjan");
            QCOMPARE(Items(e.m_comboPoints), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25");
            AddResult(e, "  Cilla  ", " 7 ");
            QCOMPARE(State(e), "R1|Anna=7,Bo=3,Cilla=7|000||");
            // The next key after "Lägg Till", clicked or pressed by key, starts the next name.
            Type(QApplication::focusWidget(), "Q"); // clicked: a wrong focus renames the round
            AddResult(e, "Anna", "9", true);       // same name: new points in place
            Type(QApplication::focusWidget(), "Q");
            QCOMPARE(State(e), "R1|Anna=9,Bo=3,Cilla=7|001|Q|");
            AddResult(e, "anna", "007"); // case counts: a new player
            AddResult(e, "Bo", "1250");  // beyond the offered 0..25: four digits fit
            QTest::keyClick(e.m_comboName->lineEdit(), Qt::Key_Return); // adds nothing to the list
            QCOMPARE(e.m_comboName->count(), 5); // filled once, at opening
            QTest::keyClick(e.m_comboPoints, Qt::Key_Down); // a pick enables "Lägg Till"
            e.m_comboPoints->SetText(QString());
            Click(e.m_btnAddResult); // both empty: nothing
            QCOMPARE(State(e), "R1|Anna=9,Bo=1250,Cilla=7,anna=7|001||");
            // Refused entries give no message: the focus moves to the box to mend; the texts stay.
            for (const QString points : {"-3", "+3", "3.5", "3 4", "tre", "  ", "3"}) {
                const QString name = points == "3" ? "  " : "Anna";
                e.m_editName->setFocus();
                AddResult(e, name, points);
                QVERIFY2((name == "Anna" ? e.m_comboPoints : e.m_comboName)->hasFocus(), qPrintable(points));
                QCOMPARE(State(e), "R1|Anna=9,Bo=1250,Cilla=7,anna=7|001|" + name + '|' + points);
            }
            // Typing stops where the box is full; a text the program loads shows whole.
            const QString many(40, 'W');
            e.m_comboName->SetText(many);
            Type(e.m_comboName->lineEdit(), "W");
            QCOMPARE(e.m_comboName->Text(), many);
            TypeOver(e.m_comboName->lineEdit(), many);
            QVERIFY(e.m_comboName->Text().size() > 1 && e.m_comboName->Text().size() < many.size());
            e.close();
        }));
        QVERIFY(w.m_platform.m_errors.isEmpty());
    }

    // A name its column cuts short is read whole in the row's tooltip (the editor's list is the
    // same control).
    void longNamesAsTooltips()
    {
        const QString round = "Första omgången av vårserien i Västerås";
        CWindow w(("Cup\n\nR1\nBo 1\n\n" + round + "\nBo 3\n").toUtf8());
        QCOMPARE(TipAt(w.m_dlg.m_listRounds, 0), ""); // fits: none
        QCOMPARE(TipAt(w.m_dlg.m_listRounds, 1), round);
    }

    void editRemoveAndClose()
    {
        CWindow w(kCup);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&w](CRoundDlg& e) {
            ClickRow(e.m_listResults, -1); // no row marked: both stay off
            ClickRow(e.m_listResults, 1);
            Click(e.m_btnEditResult);
            QVERIFY(e.m_comboPoints->hasFocus());
            QCOMPARE(State(e), "R1|Anna=7,Bo=3|111|Bo|3");
            ClickRow(e.m_listResults, 1); // a row after the first: the right result goes
            Click(e.m_btnRemoveResult); // answered No
            w.m_platform.m_answers.enqueue(true);
            Click(e.m_btnRemoveResult);
            // Nothing is selected after the refill: both are off.
            e.m_comboName->SetText(QString());
            QCOMPARE(State(e), "R1|Anna=7|001||3");
            // A round with results needs a name to close; the field keeps what was typed while the
            // name is normalised.
            for (const QString typed : {"", "-_ ", "  Final_omgång--1 "}) {
                TypeOver(e.m_editName, typed);
                e.m_listResults->setFocus();
                e.close();
                QCOMPARE(e.m_editName->text(), typed);
                QCOMPARE(e.isVisible() && e.m_editName->hasFocus(), !typed.contains("Final"));
            }
        }));
        QCOMPARE(w.m_platform.m_questions, QStringList(2, "Vill du ta bort spelare Bo (3 poäng) ?|Ta bort spelare|Nej"));
        QCOMPARE(w.m_platform.m_errors, QStringList(2, "Omgångens namn får inte vara tom"));
        QCOMPARE(Rows(w.m_dlg.m_listRounds), "Final omgång 1,R2");
        // Bo played only there: the next editor no longer offers him.
        ClickRow(w.m_dlg.m_listRounds, 1);
        w.m_platform.m_answers.enqueue(true);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&w](CRoundDlg& e) {
            QCOMPARE(Items(e.m_comboName), "Anna,bo,Åsa,Örjan");
            ClickRow(e.m_listResults, 0); // the first row, removed and edited
            Click(e.m_btnRemoveResult);
            ClickRow(e.m_listResults, 0);
            Click(e.m_btnEditResult);
            QCOMPARE(State(e), "R2|bo=1,Åsa=1|111|bo|1");
            // Another name corrects the result loaded, in its place, as one step.
            TypeOver(e.m_comboName->lineEdit(), "Anna");
            Click(e.m_btnAddResult);
            QCOMPARE(State(e), "R2|Anna=1,Åsa=1|000||");
            QTest::keyClick(e.m_comboName->lineEdit(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Rows(e.m_listResults), "bo=1,Åsa=1");
            // A name with a result in the round already: asked first (Enter alone keeps both).
            ClickRow(e.m_listResults, 1);
            Click(e.m_btnEditResult);
            TypeOver(e.m_comboName->lineEdit(), "bo");
            TypeOver(e.m_comboPoints->lineEdit(), "4");
            Click(e.m_btnAddResult);
            QCOMPARE(Rows(e.m_listResults) + '|' + e.m_comboName->Text(), "bo=1,Åsa=1|bo");
            w.m_platform.m_answers.enqueue(true);
            Click(e.m_btnAddResult);
            QCOMPARE(Rows(e.m_listResults), "bo=4");
            QCOMPARE(w.m_platform.m_questions.mid(3), QStringList(2, "bo har redan ett resultat i omgången (1 poäng). "
                                                                     "Ändra Åsa till bo med 4 poäng och ta bort det?|Ravelmark|Nej"));
            e.close();
        }));
    }

    // "Redigera" on a round without a name (a "-" line in the file) asks for one at close, as a
    // new round does; a name wider than the box, put there by "Redigera", shortens by Backspace.
    void unnamedRoundAndWideName()
    {
        const QString wide(40, 'W');
        CWindow w(("Cup\n\n-\n" + wide + " 1\n").toUtf8());
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&](CRoundDlg& e) {
            ClickRow(e.m_listResults, 0);
            Click(e.m_btnEditResult);
            e.m_comboName->setFocus();
            e.m_comboName->lineEdit()->end(false);
            QTest::keyClick(e.m_comboName->lineEdit(), Qt::Key_Backspace);
            QCOMPARE(e.m_comboName->Text(), QString(39, 'W'));
            e.close();
            QVERIFY(e.isVisible() && e.m_editName->hasFocus());
            Type(e.m_editName, "R1");
            e.close();
        }));
        QCOMPARE(w.m_platform.m_errors, QStringList{"Omgångens namn får inte vara tom"});
        QCOMPARE(Rows(w.m_dlg.m_listRounds), "R1");
    }

    // Inline completion in the name box ('<' stands for Backspace): "text|selected part" after the
    // keys (the text alone for the long name), and Tab takes the text as shown on to the points.
    // Only the typed part has to fit the box: the long name completes whole, typing stops at the edge.
    void completion_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("first letter") << "a" << "Anna|nna";
        QTest::newRow("a name that begins another") << "ANNA " << "Anna Berg|Berg";
        QTest::newRow("typed whole: as typed") << "anna" << "anna|";
        QTest::newRow("å is not a") << "å" << "Åsa|sa";
        QTest::newRow("o is not ö") << "o" << "Olle|lle";
        QTest::newRow("ö") << "Ö" << "Örjan|rjan";
        QTest::newRow("players apart by case") << "b" << "bo|o";
        QTest::newRow("accent counts") << "rene" << "rene|";
        QTest::newRow("Backspace takes the completion") << "an<" << "an|";
        QTest::newRow("typing on completes again") << "an<n" << "Anna|a";
        QTest::newRow("too long to type whole") << QString(40, 'W') << QString(40, 'W');
    }
    void completion()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        CWindow w(kNames);
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [&](CRoundDlg& e) {
            QLineEdit* name = e.m_comboName->lineEdit();
            e.m_comboName->setFocus();
            for (const QChar key : keys)
                key == '<' ? QTest::keyClick(name, Qt::Key_Backspace) : Type(name, key);
            QCOMPARE(name->text() + (shown.contains('|') ? '|' + name->selectedText() : ""), shown);
            QCOMPARE(e.m_comboName->MissingWidth(name->text().left(name->selectionStart())), 0);
            QTest::keyClick(name, Qt::Key_Tab);
            QVERIFY(e.m_comboPoints->hasFocus() && name->text() == shown.section('|', 0, 0));
            e.close();
        }));
    }

    // Keys alone in the editor: Tab from the round's name stops at the empty list (a paste's
    // place), then goes on to the first result's name; the list
    // shows the row just added or replaced; a key selects a result as a click does; "Redigera"
    // selects the points, so typing replaces them; Delete asks as "Ta Bort" does.
    void keyboardInTheEditor()
    {
        CWindow w(kCup);
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [&w](CRoundDlg& e) {
            CListView* list = e.m_listResults;
            const auto inView = [list](int row) {
                return list->viewport()->rect().contains(list->visualRect(list->model()->index(row, 0)));
            };
            QTest::keyClick(e.m_editName, Qt::Key_Tab);
            QVERIFY(list->hasFocus());
            QTest::keyClick(list, Qt::Key_Tab);
            QVERIFY(e.m_comboName->hasFocus());
            for (int i = 1; i <= 40; ++i) { // also once the scroll bars come
                AddResult(e, "P" + QString::number(i), "1");
                QTRY_VERIFY(inView(i - 1));
            }
            QVERIFY(!inView(0));
            AddResult(e, "P1", "17"); // replaced in place
            QVERIFY(inView(0) && !inView(39));
            e.m_editName->setFocus();
            QTest::keyClick(e.m_editName, Qt::Key_Tab);
            QVERIFY(list->hasFocus());
            QTest::keyClick(list, Qt::Key_Home);
            QCOMPARE(Enabled({e.m_btnEditResult, e.m_btnRemoveResult}), "11");
            Click(e.m_btnEditResult);
            Type(QApplication::focusWidget(), "7");
            QCOMPARE(e.m_comboName->Text() + '=' + e.m_comboPoints->Text(), "P1=7");
            Click(e.m_btnAddResult);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_End);
            w.m_platform.m_answers << true;
            QTest::keyClick(list, Qt::Key_Delete);
            QCOMPARE(w.m_platform.m_questions, QStringList{"Vill du ta bort spelare P40 (1 poäng) ?|Ta bort spelare|Nej"});
            QCOMPARE(QString::number(list->GetItemCount()) + list->GetItemText(0, 1), "397");
            TypeOver(e.m_editName, "R3");
            e.close();
        }));
    }

    // More names than one sorting chunk: the chunks are merged into one sorted list of them all.
    // A name looked for whole, as the box does when it loses the focus, is that very spelling.
    void manyPlayersOffered()
    {
        QByteArray file = "Cup\n\nR1\nbo 1\nBo 1\n";
        for (int i = 20000; i > 0; --i)
            file += "P" + QByteArray::number(i) + " 1\n";
        CWindow w(file);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& e) {
            QCOMPARE(e.m_comboName->count(), 20002);
            const QCollator collator = NameCollator();
            for (int i = 3; i < e.m_comboName->count(); ++i) // in strict order: none twice
                QVERIFY(collator.compare(e.m_comboName->itemText(i - 1), e.m_comboName->itemText(i)) < 0);
            for (const Qt::MatchFlags flags : {Qt::MatchExactly | Qt::MatchCaseSensitive,
                                               Qt::MatchFixedString | Qt::MatchCaseSensitive}) {
                for (const QString name : {"Bo", "bo", "P1", "P12345", "P20000"})
                    QCOMPARE(e.m_comboName->itemText(e.m_comboName->findText(name, flags)), name);
                QCOMPARE(e.m_comboName->findText("p12345", flags), -1);
            }
            e.close();
        }));
    }
};

QTEST_MAIN(RoundDlgTest)
#include "round_dlg_test.moc"
