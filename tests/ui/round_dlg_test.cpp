// The round editor driven as a user drives it: typing, clicks and the close request.
#include "WindowDriver.h"

namespace {

// A round editor over its own round and standings, shown and active.
struct CEditor
{
    CEditor(const std::string& name, const std::vector<std::pair<std::string, int>>& results,
            const std::vector<std::string>& players = {}, TextEncoding encoding = TextEncoding::Windows1252)
        : dlg(round, names, text, platform)
    {
        tournament.m_encoding = encoding;
        round.m_name = name;
        for (const auto& [player, points] : results)
            round.AddResult(tournament.MakeResult(player, points));
        for (const std::string& player : players)
            standings.AddResult(0, tournament.AddPlayer(player), 1);
        names.Update();
        dlg.InitDialog();
        dlg.show();
        dlg.activateWindow();
        ready = QTest::qWaitForWindowActive(&dlg);
    }
    // "name|rows|enabled Redigera, Ta Bort, Lägg Till|name box|points box"
    QString State() const
    {
        return dlg.m_editName->text() + '|' + Rows(dlg.m_listResults) + '|' +
               Enabled({dlg.m_btnEditResult, dlg.m_btnRemoveResult, dlg.m_btnAddResult}) + '|' +
               dlg.m_comboName->Text() + '|' + dlg.m_comboPoints->Text();
    }

    CTournament tournament;
    CRound round;
    CStandings standings;
    CNameList names{tournament, standings};
    CFakePlatform platform;
    CTextEntry text{tournament, platform};
    CRoundDlg dlg;
    bool ready = false;
};

} // namespace

class RoundDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void enteringResults()
    {
        CEditor e("R1", {{"Anna", 7}, {"Bo", 3}}, {"\xD6rjan", "bo", "Anna", "\xC5sa", "Bo"});
        QVERIFY(e.ready && e.dlg.m_editName->hasFocus());
        QCOMPARE(e.State(), "R1|Anna=7,Bo=3|000||");
        QCOMPARE(Items(e.dlg.m_comboName), "Anna,bo,Bo,Åsa,Örjan");
        QCOMPARE(Items(e.dlg.m_comboPoints), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25");
        AddResult(e.dlg, "  Cilla  ", " 7 ");
        QCOMPARE(e.State(), "R1|Anna=7,Bo=3,Cilla=7|000||");
        AddResult(e.dlg, "Anna", "9");   // same name: new points in place
        AddResult(e.dlg, "anna", "007"); // case counts: a new player
        AddResult(e.dlg, "Bo", "30");    // beyond the offered 0..25
        QTest::keyClick(e.dlg.m_comboName->lineEdit(), Qt::Key_Return); // adds nothing to the list
        QCOMPARE(e.dlg.m_comboName->count(), 5); // filled once, at opening
        QTest::keyClick(e.dlg.m_comboPoints, Qt::Key_Down); // a pick enables "Lägg Till"
        e.dlg.m_comboPoints->SetText(QString());
        Click(e.dlg.m_btnAddResult); // both empty: nothing
        QCOMPARE(e.State(), "R1|Anna=9,Bo=30,Cilla=7,anna=7|001||");
    }

    // No message: the focus moves to the box to mend; both texts and "Lägg Till" stay.
    void refusedEntriesOnlyMoveTheFocus()
    {
        CEditor e("R", {});
        QVERIFY(e.ready);
        for (const QString points : {"-3", "+3", "3.5", "3 4", "tre", "  ", "3"}) {
            const QString name = points == "3" ? "  " : "Anna";
            e.dlg.m_editName->setFocus();
            AddResult(e.dlg, name, points);
            QVERIFY2((name == "Anna" ? e.dlg.m_comboPoints : e.dlg.m_comboName)->hasFocus(), qPrintable(points));
            QCOMPARE(e.State(), "R||001|" + name + '|' + points);
        }
        QVERIFY(e.platform.m_errors.isEmpty());
    }

    void editAndRemoveActOnTheClickedRow()
    {
        CEditor e("R", {{"Anna", 7}, {"Bo", 3}, {"Cilla", 5}});
        QVERIFY(e.ready);
        ClickRow(e.dlg.m_listResults, -1); // no row marked: both stay off
        ClickRow(e.dlg.m_listResults, 1);
        Click(e.dlg.m_btnEditResult);
        QVERIFY(e.dlg.m_comboPoints->hasFocus());
        QCOMPARE(e.State(), "R|Anna=7,Bo=3,Cilla=5|111|Bo|3");
        ClickRow(e.dlg.m_listResults, 0);
        Click(e.dlg.m_btnRemoveResult); // answered No
        e.platform.m_answers.enqueue(true);
        Click(e.dlg.m_btnRemoveResult);
        // The refill forgot the mark: the buttons stay enabled but do nothing.
        e.dlg.m_comboName->SetText(QString());
        Click(e.dlg.m_btnRemoveResult);
        Click(e.dlg.m_btnEditResult);
        QCOMPARE(e.platform.m_questions, QStringList(2, "Vill du ta bort spelare Anna ?|Ta bort spelare"));
        QCOMPARE(e.State(), "R|Bo=3,Cilla=5|111||3");
    }

    // Only a round without results may go without a name; the field keeps what was typed while
    // the name is normalised.
    void closeChecksTheName()
    {
        CEditor empty("Old", {});
        TypeOver(empty.dlg.m_editName, "");
        empty.dlg.close();
        QVERIFY(!empty.dlg.isVisible() && empty.platform.m_errors.isEmpty());
        CEditor e("Old", {{"Anna", 1}});
        QVERIFY(e.ready);
        for (const QString typed : {"", "-_ ", "  Final_omgång--1 "}) {
            TypeOver(e.dlg.m_editName, typed);
            e.dlg.m_listResults->setFocus();
            e.dlg.close();
            QCOMPARE(e.dlg.m_editName->text(), typed);
            QCOMPARE(e.dlg.isVisible() && e.dlg.m_editName->hasFocus(), e.round.m_name.empty());
        }
        QCOMPARE(e.platform.m_errors, QStringList(2, "Omgångens namn får inte vara tom"));
        QVERIFY(!e.dlg.isVisible());
        QCOMPARE(e.round.m_name, std::string("Final omg\xE5ng 1"));
    }

    // Both boxes take only what fits their width, four digits of points at least; a text the
    // program loads shows whole and may be shortened, not lengthened.
    void boxesTakeOnlyTypingThatFits()
    {
        CEditor e("R", {});
        const QString many(40, 'W');
        Type(e.dlg.m_comboPoints->lineEdit(), "1250");
        Type(e.dlg.m_comboName->lineEdit(), many);
        QCOMPARE(e.dlg.m_comboPoints->Text(), "1250");
        const QString kept = e.dlg.m_comboName->Text();
        QVERIFY(kept.size() > 1 && kept.size() < many.size());
        QVERIFY(e.dlg.m_comboName->fontMetrics().horizontalAdvance(kept) < e.dlg.m_comboName->lineEdit()->width());
        e.dlg.m_comboName->SetText(many);
        Type(e.dlg.m_comboName->lineEdit(), "W");
        QCOMPARE(e.dlg.m_comboName->Text(), many);
        QTest::keyClick(e.dlg.m_comboName->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(e.dlg.m_comboName->Text().size(), many.size() - 1);
    }
};

QTEST_MAIN(RoundDlgTest)
#include "round_dlg_test.moc"
