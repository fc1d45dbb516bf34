// SPDX-License-Identifier: GPL-3.0-or-later
// "Spelare…": the dialog offscreen on a shown tournament: classes and teams into the players
// file, a merge through "Byt namn…" with the window's undo and the dialog's own, Avbryt, the
// refused merge, and the club's register kept.
#include "WindowDriver.h"
#include "ui/PlayersDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>

namespace {

// The rows shown, "name played total class team" each.
QString Rows(const CPlayersDlg& d)
{
    QStringList rows;
    for (int r = 0; r < d.m_table->rowCount(); ++r) {
        if (d.m_table->isRowHidden(r))
            continue;
        QStringList cells;
        for (int c = 0; c < d.m_table->columnCount(); ++c)
            cells << d.m_table->item(r, c)->text();
        rows << cells.join(' ').trimmed();
    }
    return rows.join(", ");
}

void Select(CPlayersDlg& d, const QString& name)
{
    for (int r = 0; r < d.m_table->rowCount(); ++r) {
        if (d.m_table->item(r, CPlayersDlg::Name)->text() == name)
            d.m_table->selectRow(r);
    }
}

void RenameTo(CPlayersDlg& d, const QString& name)
{
    QVERIFY(WithDialog<CRenameDlg>([&] { Click(d.m_btnRename); }, [&](CRenameDlg& r) {
        TypeOver(r.m_editName, name);
        Click(r.m_btnOK);
    }));
}

const QByteArray kCup = "Cup\n\nR1\n\xC3\x85ke Lund 5\nBo 3\n\nR2\nAke Lund 4\nBo 2\n\nR3\nBo 6\n";

} // namespace

class PlayersDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void classesTeamsAndMerge()
    {
        CWindow w(kCup);
        w.Write("cup.spelare", "# klubben\n[klass Herrar]\n\xC3\x85ke Lund\n[spelare]\nEva\n");
        w.Choose(w.m_path);
        QVERIFY(w.m_dlg.m_btnPlayers->isEnabled());
        // In the column under "Visa på mobil", one place left free between them.
        const QRect players = w.m_dlg.m_btnPlayers->geometry(), mobile = w.m_dlg.m_btnShowMobile->geometry();
        QCOMPARE(players.x(), mobile.x());
        QCOMPARE(players.size(), mobile.size());
        QVERIFY(players.y() > mobile.y() + 2 * mobile.height());
        QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) {
            QCOMPARE(d.windowTitle(), "Spelare");
            QCOMPARE(Rows(d), "Ake Lund 1 4, Bo 3 11, Eva 0 0, Åke Lund 1 5 Herrar");
            d.m_table->sortByColumn(CPlayersDlg::Total, Qt::AscendingOrder);
            QCOMPARE(Rows(d), "Eva 0 0, Ake Lund 1 4, Åke Lund 1 5 Herrar, Bo 3 11");
            Type(d.m_editFilter, "herr");
            QCOMPARE(Rows(d), "Åke Lund 1 5 Herrar");
            TypeOver(d.m_editFilter, "");
            Click(d.m_checkSimilar);
            QCOMPARE(Rows(d), "Ake Lund 1 4, Åke Lund 1 5 Herrar");
            // "Ake Lund" into "Åke Lund": asked, merged, one step of the window's undo.
            w.m_platform.m_answers.enqueue(true);
            Select(d, "Ake Lund");
            RenameTo(d, " Åke  Lund ");
            QCOMPARE(w.m_platform.m_questions, QStringList{"Åke Lund finns redan. Slå ihop Ake Lund med Åke Lund?|Slå ihop spelare"});
            QCOMPARE(Rows(d), "");
            Click(d.m_checkSimilar);
            QCOMPARE(Rows(d), "Eva 0 0, Åke Lund 2 9 Herrar, Bo 3 11");
            Select(d, "Bo");
            d.m_comboClass->setFocus();
            Type(d.m_comboClass->lineEdit(), "Herrar");
            Type(d.m_comboTeam->lineEdit(), "Norr");
            QCOMPARE(Rows(d), "Eva 0 0, Åke Lund 2 9 Herrar, Bo 3 11 Herrar Norr");
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.spelare")), "# klubben\n[klass Herrar]\n\xC3\x85ke Lund\nBo\n[spelare]\nEva\n\n[lag Norr]\nBo\n");
        QCOMPARE(w.m_dlg.m_undo.undoText(), "Byt namn Ake Lund till Åke Lund");
        QVERIFY(w.m_dlg.windowTitle().startsWith('*'));
        // Ctrl+Z takes the merge back: Ake Lund has his result again, and nothing is to be saved.
        w.m_dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.m_dlg));
        QTest::keyClick(w.m_dlg.focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.m_dlg.m_doc.Standings().m_rows.size(), 3u);
        QVERIFY(!w.m_dlg.windowTitle().startsWith('*'));
        QTest::keyClick(w.m_dlg.focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), "Cup\r\n\r\nR1\r\n\xC3\x85ke Lund  5\r\nBo        3\r\n\r\nR2\r\n\xC3\x85ke Lund  4\r\n"
                                 "Bo        2\r\n\r\nR3\r\nBo        6\r\n");
    }

    // A start value set on two players at once goes to the players file; the column "Hcp" shows
    // each one's handicap for the next round with what the start value gives, and says why.
    void startValuesAndHandicaps()
    {
        CWindow w(kCup);
        w.Write("cup.regler", "handikapp = ja\nhandikappbas = 10\nhandikappminst = 3\n");
        w.Choose(w.m_path);
        QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) {
            QCOMPARE(Rows(d), "Ake Lund 1 4, Bo 3 11    6, Åke Lund 1 5");
            Select(d, "Ake Lund");
            d.m_table->selectionModel()->select(d.m_table->model()->index(2, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QVERIFY(!d.m_spinStart->isEnabled());
            d.m_comboStart->setCurrentIndex(1);
            TypeOver(d.m_spinStart->findChild<QLineEdit*>(), "8");
            QCOMPARE(Rows(d), "Ake Lund 1 4   snitt 8 2, Bo 3 11    6, Åke Lund 1 5   snitt 8 2");
            QCOMPARE(d.m_table->item(1, CPlayersDlg::Handicap)->toolTip(),
                     "R1: 3, R2: 2, R3: 6; snitt 3,67; 100 % av (10 − 3,67) = 6,33 → 6");
            Select(d, "Åke Lund");
            d.m_comboStart->setCurrentIndex(0);
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.spelare")), "[snitt 8]\nAke Lund\n");
    }

    // A new tournament made after this one takes its players and rules: the round editor offers
    // every one of them before the first evening.
    void newSeasonKnowsThePlayers()
    {
        CWindow w(kCup);
        w.Write("cup.spelare", "# klubben\n[klass Herrar]\n\xC3\x85ke Lund\n[spelare]\nEva\n");
        w.Write("cup.regler", "lag = 2\n");
        w.m_platform.m_answers << true << true;
        w.Choose(w.File("next"));
        QCOMPARE(w.m_platform.m_questions.last(), "Ta med spelare och regler från cup.txt?|Ny turnering");
        QCOMPARE(Read(w.File("next.spelare")),
                 "# klubben\n[klass Herrar]\n\xC3\x85ke Lund\n[spelare]\nEva\nBo\nAke Lund\n");
        QCOMPARE(Read(w.File("next.regler")), "lag = 2\n");
        QCOMPARE(Joined(w.m_dlg.m_playerNames.rowCount(),
                        [&](int i) { return w.m_dlg.m_playerNames.data(w.m_dlg.m_playerNames.index(i), Qt::DisplayRole).toString(); }),
                 "Ake Lund,Bo,Eva,Åke Lund");
    }

    // A refused players file: told once when the tournament is read, again by "Skapa Tabell",
    // which writes no page, and by "Spelare…", which does not open over it.
    void refusedFile()
    {
        CWindow w;
        w.Write("cup.spelare", "Bo\n");
        w.Choose(w.Write("cup.txt", kCup));
        const QString refused = "Rad 1 i cup.spelare : \"Bo\"\nSpelare före första avsnittet: börja med [klass NAMN], "
                                "[lag NAMN] eller [spelare]";
        QCOMPARE(w.m_platform.m_errors, QStringList{refused});
        Click(w.m_dlg.m_btnCreateTable);
        QCOMPARE(w.m_platform.m_errors, QStringList({refused, refused}));
        QCOMPARE(Read(w.File("cup.htm")), "<missing>");
        Click(w.m_dlg.m_btnPlayers);
        QCOMPARE(w.m_platform.m_errors.size(), 3);
        QCOMPARE(Read(w.File("cup.spelare")), "Bo\n");
    }

    void refusedMergeAndCancel()
    {
        CWindow w("Cup\n\nR1\nAke 1\n\xC3\x85ke 2\n\nR2\nAke 3\n\nR3\n\xC3\x85ke 1\nAke 2\n");
        QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) {
            w.m_platform.m_answers.enqueue(true);
            Select(d, "Ake");
            RenameTo(d, "Åke");
            QCOMPARE(w.m_platform.m_errors, QStringList{"Båda har resultat i R1, R3"});
            QCOMPARE(Rows(d), "Ake 3 6, Åke 2 3");
            Select(d, "Åke");
            Type(d.m_comboClass->lineEdit(), "D");
            QTest::keyClick(d.m_table, Qt::Key_Escape);
        }));
        QCOMPARE(w.m_dlg.m_undo.count(), 0);
        QVERIFY(!w.m_dlg.windowTitle().startsWith('*'));
        QCOMPARE(Read(w.File("cup.spelare")), "<missing>");
        // OK with nothing changed writes nothing.
        QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) { Click(d.m_btnOK); }));
        QCOMPARE(Read(w.File("cup.spelare")), "<missing>");
    }

    // Inside the dialog Ctrl+Z and Ctrl+Y take back and redo a merge and a class; Tab leaves the
    // table; Avbryt (the close box alike) leaves the tournament as it was, nothing to save.
    void undoInsideAndCancel()
    {
        CWindow w(kCup);
        for (const bool escape : {true, false}) {
            QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) {
                w.m_platform.m_answers.enqueue(true);
                Select(d, "Ake Lund");
                RenameTo(d, "Åke Lund");
                Select(d, "Bo");
                d.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&d));
                d.m_table->setFocus();
                QTest::keyClick(d.m_table, Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), d.m_comboClass);
                Type(d.m_comboClass->lineEdit(), "Dam");
                QCOMPARE(Rows(d), "Bo 3 11 Dam, Åke Lund 2 9");
                QTest::keyClick(d.m_comboClass, Qt::Key_Z, Qt::ControlModifier);
                QCOMPARE(Rows(d), "Bo 3 11, Åke Lund 2 9");
                // Again in the box, whose own undo has nothing left: the dialog's takes the merge back.
                QTest::keyClick(d.m_comboClass, Qt::Key_Z, Qt::ControlModifier);
                QCOMPARE(Rows(d), "Ake Lund 1 4, Bo 3 11, Åke Lund 1 5");
                QTest::keyClick(d.m_table, Qt::Key_Y, Qt::ControlModifier);
                QCOMPARE(Rows(d), "Bo 3 11, Åke Lund 2 9");
                if (escape)
                    QTest::keyClick(d.m_table, Qt::Key_Escape);
                else
                    d.close();
            }));
            QCOMPARE(w.m_dlg.m_doc.Standings().m_rows.size(), 3u);
            QCOMPARE(w.m_dlg.m_undo.count(), 0);
            QVERIFY(!w.m_dlg.windowTitle().startsWith('*'));
        }
        QVERIFY(w.Close());
        QCOMPARE(Read(w.m_path), kCup);
    }

    // The club's register alone ([spelare]) stays with its comments; a merge carries its line, and
    // the window's Ctrl+Z puts back the file and the rounds as one step. A file that sets
    // nothing and lists no one goes, and comes back with Ctrl+Z.
    void registerKept()
    {
        CWindow w(kCup);
        const QByteArray club = "# klubben\n[spelare]\n# nya\nAke Lund\nEva\n";
        w.Write("cup.spelare", club);
        const auto merge = [&](const QString& from, const QString& to) {
            QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) {
                w.m_platform.m_answers.enqueue(true);
                Select(d, from);
                RenameTo(d, to);
                Click(d.m_btnOK);
            }));
        };
        merge("Ake Lund", "Åke Lund");
        QCOMPARE(Read(w.File("cup.spelare")), "# klubben\n[spelare]\n# nya\n\xC3\x85ke Lund\nEva\n");
        QCOMPARE(w.m_dlg.m_undo.undoText(), "Byt namn Ake Lund till Åke Lund");
        w.m_dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.m_dlg));
        QTest::keyClick(w.m_dlg.focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Read(w.File("cup.spelare")), club);
        QVERIFY(!w.m_dlg.windowTitle().startsWith('*'));
        merge("Eva", "Bo"); // known to the register only: Bo's line is the one left
        QCOMPARE(Read(w.File("cup.spelare")), "# klubben\n[spelare]\n# nya\nAke Lund\nBo\n");

        w.Write("cup.spelare", "[klass D]\nBo\n");
        QVERIFY(WithDialog<CPlayersDlg>([&] { Click(w.m_dlg.m_btnPlayers); }, [&](CPlayersDlg& d) {
            Select(d, "Bo");
            TypeOver(d.m_comboClass->lineEdit(), "");
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.spelare")), "<missing>");
        QCOMPARE(w.m_dlg.m_undo.undoText(), "Ändra klass och lag");
        w.m_dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.m_dlg));
        QTest::keyClick(w.m_dlg.focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Read(w.File("cup.spelare")), "[klass D]\nBo\n");
    }
};

QTEST_MAIN(PlayersDlgTest)
#include "players_dlg_test.moc"
