// SPDX-License-Identifier: GPL-3.0-or-later
// "Regler…": the dialog offscreen on a shown tournament, and the rules file it leaves on disk.
#include "WindowDriver.h"
#include "ui/HandicapBox.h"
#include "ui/RulesDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>


namespace {

const QByteArray kCup = "Cup\n\nR1\nAnna 5\nBo 3\n\nR2\nAnna 1\nBo 9\n";

// Clicks "Regler…" and plays `action` in the dialog; true when it opened and the action closed it.
bool WithRules(CRavelmarkDlg& window, const std::function<void(CRulesDlg&)>& action)
{
    return WithDialog<CRulesDlg>([&window] { Click(window.m_btnRules); }, action);
}

void SetCount(QSpinBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    Type(box, text);
}

// What the dialog shows: the three boxes' texts, then the criteria in order, ticked ones with '+'.
QString Shown(const CRulesDlg& d)
{
    QString shown = d.m_spinBest->text() + '|' + d.m_spinPlanned->text() + '|' + d.m_spinMinimum->text() + '|';
    for (int i = 0; i < d.m_listCriteria->count(); ++i) {
        const QListWidgetItem* item = d.m_listCriteria->item(i);
        shown += (item->checkState() == Qt::Checked ? "+" : "") + item->text().section(':', 0, 0) + ' ';
    }
    return shown.trimmed();
}

} // namespace

class RulesDlgTest : public QObject
{
    Q_OBJECT
private slots:
    // Set, cancelled, refused, changed and cleared: the file follows each OK at once.
    void setChangeAndRemove()
    {
        CWindow w(kCup);
        const QString rules = w.File("cup.regler");
        QVERIFY(w.m_dlg.m_btnRules->isEnabled());
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QCOMPARE(Shown(d), "alla|ej bestämt|inget krav|segrar högsta struket senaste");
            QCOMPARE(d.windowTitle(), "Regler");
            QCOMPARE(QApplication::focusWidget(), d.m_spinBest);
            SetCount(d.m_spinBest, "8");
            SetCount(d.m_spinPlanned, "12");
            SetCount(d.m_spinMinimum, "6");
            // Högsta before segrar: picked, moved up, both ticked.
            d.m_listCriteria->setCurrentRow(1);
            QVERIFY(d.m_btnDown->isEnabled() && d.m_btnUp->isEnabled());
            Click(d.m_btnUp);
            QVERIFY(!d.m_btnUp->isEnabled());
            d.m_listCriteria->item(0)->setCheckState(Qt::Checked);
            d.m_listCriteria->item(1)->setCheckState(Qt::Checked);
            QTest::keyClick(d.m_spinMinimum, Qt::Key_Return); // Enter is OK
        }));
        const QByteArray written = "bästa = 8\nomgångar = 12\nminst = 6\nsärskiljning = högsta, segrar\n";
        QCOMPARE(Read(rules), written);
        // Shown again as set; Avbryt (Escape) keeps the file as it is.
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QCOMPARE(Shown(d), "8|12|6|+högsta +segrar struket senaste");
            SetCount(d.m_spinBest, "0");
            QTest::keyClick(d.m_spinBest, Qt::Key_Escape);
        }));
        QCOMPARE(Read(rules), written);
        // A breach of the planned rounds is refused in the dialog, the focus on the box to mend.
        QVERIFY(WithRules(w.m_dlg, [&w](CRulesDlg& d) {
            SetCount(d.m_spinMinimum, "13");
            Click(d.m_btnOK);
            QVERIFY(d.isVisible() && QApplication::focusWidget() == d.m_spinMinimum);
            QCOMPARE(w.m_platform.m_errors, QStringList{"Antalet minst spelade får inte vara större än de planerade omgångarna."});
            SetCount(d.m_spinMinimum, "0");
            d.m_listCriteria->item(0)->setCheckState(Qt::Unchecked);
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(rules), "bästa = 8\nomgångar = 12\nsärskiljning = segrar\n");
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QCOMPARE(Shown(d), "8|12|inget krav|+segrar högsta struket senaste");
            SetCount(d.m_spinBest, "0");
            SetCount(d.m_spinPlanned, "0");
            d.m_listCriteria->item(0)->setCheckState(Qt::Unchecked);
            Click(d.m_btnOK);
        }));
        QCOMPARE(Entries(w.Folder()).filter(QRegularExpression("^(?!cup_\\d{6}_\\d{6}(-\\d+)?\\.regler\\.bak$)")).join(' '), "cup.txt");
        QCOMPARE(w.m_platform.m_errors.size(), 1);
    }

    // The column, the chart and the team table alone make a rules file, and show on the page.
    void pageOptions()
    {
        CWindow w(kCup);
        w.Write("cup.spelare", "[lag N]\nAnna\nBo\n");
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QVERIFY(!d.m_checkChange->isChecked() && !d.m_checkChart->isChecked() && d.m_checkOverall->isChecked());
            QCOMPARE(d.m_spinTeam->text(), "ingen lagtabell");
            d.m_checkChange->setFocus();
            QTest::keyClick(d.m_checkChange, Qt::Key_Space);
            QTest::keyClick(d.m_checkChange, Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), d.m_spinTeam);
            Type(d.m_spinTeam, "2");
            QTest::keyClick(d.m_spinTeam, Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.regler")), "lag = 2\ntotalt = nej\nförändring = ja\ndiagram = ja\n");
        Click(w.m_dlg.m_btnCreateTable);
        const QByteArray page = Read(w.File("cup.htm"));
        QVERIFY(page.contains("aria-label=\"upp 1 plats\">") && page.contains("<svg") && !page.contains("class=\"regler\""));
        QVERIFY(page.contains("<p class=\"lagregel\">De 2 b\xE4sta resultaten i varje lag och omg\xE5ng r\xE4knas."));
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QVERIFY(d.m_checkChange->isChecked() && d.m_checkChart->isChecked() && !d.m_checkOverall->isChecked());
            QCOMPARE(d.m_spinTeam->value(), 2);
            d.reject();
        }));
    }

    // The group "Räkning" by keys: a refused table keeps the dialog open on it; the preview counts
    // round 1 as set; a choice that takes no table leaves its keys out.
    void countingGroup()
    {
        CWindow w(kCup);
        QVERIFY(WithRules(w.m_dlg, [&w](CRulesDlg& d) {
            QCOMPARE(d.m_comboCounting->currentText(), "Poäng, högst vinner");
            QVERIFY(!d.m_editPlacePoints->isEnabled() && !d.m_checkLowest->isEnabled() && d.m_spinEntry->isEnabled());
            QCOMPARE(d.m_labelPreview->text(), "Omgång 1: Anna 5 → 5 p; Bo 3 → 3 p");
            d.m_comboCounting->setFocus();
            QTest::keyClick(d.m_comboCounting, Qt::Key_Down);
            QTest::keyClick(d.m_comboCounting, Qt::Key_Down);
            QCOMPARE(d.m_comboCounting->currentText(), "Poäng efter placering");
            QVERIFY(d.m_editPlacePoints->isEnabled() && d.m_checkLowest->isEnabled());
            QTest::keyClick(d.m_comboCounting, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), d.m_editPlacePoints);
            Type(d.m_editPlacePoints, "10 6 7");
            QCOMPARE(d.m_labelPlacePoints->text(), "Placeringspoängen får inte stiga");
            QTest::keyClick(d.m_editPlacePoints, Qt::Key_Return);
            QVERIFY(d.isVisible() && QApplication::focusWidget() == d.m_editPlacePoints);
            QCOMPARE(w.m_platform.m_errors, QStringList{"Placeringspoängen får inte stiga"});
            // The table is selected: what is typed replaces it.
            Type(d.m_editPlacePoints, "10 6 4");
            QVERIFY(d.m_labelPlacePoints->text().isEmpty());
            d.m_checkLowest->setFocus();
            QTest::keyClick(d.m_checkLowest, Qt::Key_Space);
            QCOMPARE(d.m_labelPreview->text(), "Omgång 1: Anna 5 → plats 2 → 6 p; Bo 3 → plats 1 → 10 p");
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.regler")), "räkning = placering\nplaceringspoäng = 10 6 4\nlägst vinner = ja\n");
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QCOMPARE(d.m_editPlacePoints->text(), "10 6 4");
            QVERIFY(d.m_checkLowest->isChecked());
            d.m_comboCounting->setCurrentIndex(1);
            QVERIFY(!d.m_editPlacePoints->isEnabled() && !d.m_checkLowest->isEnabled() && !d.m_spinEntry->isEnabled());
            QCOMPARE(d.m_labelPreview->text(), "Omgång 1: Anna 5 slag → plats 2; Bo 3 slag → plats 1");
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.regler")), "räkning = slag\n");
    }

    // The group "Handikapp": ticked, its fields make the keys; K above N is refused in the dialog.
    void handicapGroup()
    {
        CWindow w(kCup);
        QVERIFY(WithRules(w.m_dlg, [&w](CRulesDlg& d) {
            CHandicapBox* box = d.m_boxHandicap;
            QVERIFY(!box->isChecked() && !box->m_spinBase->isEnabled());
            box->setChecked(true);
            QVERIFY(box->m_spinBase->isEnabled() && !box->m_spinWindowRounds->isVisibleTo(&d));
            SetCount(box->m_spinBase, "210");
            SetCount(box->m_spinPercent, "90");
            box->m_comboWindow->setCurrentIndex(2);
            QVERIFY(box->m_spinWindowRounds->isVisibleTo(&d) && box->m_spinWindowBest->isVisibleTo(&d));
            SetCount(box->m_spinWindowBest, "6");
            Click(d.m_btnOK);
            QVERIFY(d.isVisible() && QApplication::focusWidget() == box->m_spinWindowBest);
            QCOMPARE(w.m_platform.m_errors, QStringList{"K får inte vara större än N i de bästa K av de senaste N."});
            SetCount(box->m_spinWindowBest, "4");
            box->m_checkGross->setFocus();
            QTest::keyClick(box->m_checkGross, Qt::Key_Space);
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.regler")), "handikapp = ja\nhandikappbas = 210\nhandikappprocent = 90\n"
                                             "handikappsnitt = bästa 4 av 5\nbruttotabell = ja\n");
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QCOMPARE(d.m_boxHandicap->m_spinWindowBest->value(), 4);
            d.m_boxHandicap->setChecked(false);
            Click(d.m_btnOK);
        }));
        QVERIFY(!QFile::exists(w.File("cup.regler")));
    }

    // A refused file is told once on reading; "Skapa Tabell" refuses until it is set anew.
    void refusedFile()
    {
        CWindow w;
        w.Write("cup.regler", "bästa = 1\nsärskiljning = segrar,\n");
        w.Choose(w.Write("cup.txt", kCup));
        const QString refused = "Rad 2 i cup.regler : \"särskiljning = segrar,\"\nTomt kriterium i särskiljningen";
        QCOMPARE(w.m_platform.m_errors, QStringList{refused});
        QCOMPARE(Shown(w.m_dlg), "Cup|R1,R2|11100");
        Click(w.m_dlg.m_btnCreateTable);
        QCOMPARE(w.m_platform.m_errors, (QStringList{refused, refused}));
        QVERIFY(w.m_platform.m_openedReports.isEmpty() && !QFile::exists(w.File("cup.htm")));
        QVERIFY(WithRules(w.m_dlg, [&refused](CRulesDlg& d) {
            QVERIFY(d.m_labelRefused && d.m_labelRefused->text().contains(refused));
            QCOMPARE(Shown(d), "alla|ej bestämt|inget krav|segrar högsta struket senaste");
            SetCount(d.m_spinBest, "1");
            Click(d.m_btnOK);
        }));
        QCOMPARE(Read(w.File("cup.regler")), "bästa = 1\n");
        Click(w.m_dlg.m_btnCreateTable);
        QCOMPARE(w.m_platform.m_openedReports.size(), 1);
        QVERIFY(Read(w.File("cup.htm")).contains("<td align=\"center\" class=\"struken\">(1)</td>"));
        QCOMPARE(Read(w.File("cup.txt")), kCup); // the tournament is never touched
        // Changed on disk since: the dialog shows the file as it is now.
        w.Write("cup.regler", "bästa = 3\n");
        QVERIFY(WithRules(w.m_dlg, [](CRulesDlg& d) {
            QCOMPARE(Shown(d).left(2), "3|");
            d.reject();
        }));
    }
};

QTEST_MAIN(RulesDlgTest)
#include "rules_dlg_test.moc"
