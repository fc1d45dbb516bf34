// The round editor driven as a user drives it: typing, clicks, keys and the close request.
#include "Controls.h"
#include "FakePlatform.h"
#include "RoundDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

CRound MakeRound(const std::string& name, const std::vector<CResult>& results)
{
    CRound round;
    round.m_name = name;
    round.m_results = results;
    return round;
}

// A round editor over its own round and standings, shown and active.
struct CEditor
{
    explicit CEditor(CRound initial, const std::vector<std::string>& players = {},
                     TextEncoding encoding = TextEncoding::Windows1252)
        : round(std::move(initial))
    {
        for (const std::string& player : players)
            standings.AddResult(0, player, 1);
        dlg = std::make_unique<CRoundDlg>(round, standings, platform, encoding);
        dlg->InitDialog();
        dlg->show();
        dlg->activateWindow();
        ready = QTest::qWaitForWindowActive(dlg.get());
    }

    // Key by key, also characters outside Latin-1 (which QTest::keyClicks cannot type).
    void Type(QWidget* field, const QString& text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void ClickRow(int row)
    {
        CListView* list = dlg->m_listResults;
        const QPoint at = row < 0 ? QPoint(10, list->viewport()->height() - 5)
                                  : list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    void Add(const QString& name, const QString& points)
    {
        Type(dlg->m_comboName, name);
        Type(dlg->m_comboPoints, points);
        Click(dlg->m_btnAddResult);
    }
    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < dlg->m_listResults->GetItemCount(); ++i)
            rows << dlg->m_listResults->GetItemText(i, 0) + '=' + dlg->m_listResults->GetItemText(i, 1);
        return rows;
    }

    CRound round;
    CStandings standings;
    CFakePlatform platform;
    std::unique_ptr<CRoundDlg> dlg;
    bool ready = false;
};

QStringList g_trace;

void CaptureTrace(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (qstrcmp(context.category, "ravelmark.trace") == 0)
        g_trace << message;
}

} // namespace

class RoundDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void opensWithColumnsListsAndButtonsOff()
    {
        CEditor e(MakeRound("R1", {{"Bo", 3}, {"Anna", 12}}), {"\xD6rjan", "bo", "Anna", "\xC5sa", "cecilia", "Bo"});
        QVERIFY(e.ready);
        CRoundDlg& dlg = *e.dlg;
        QVERIFY(dlg.m_changed);
        QVERIFY(dlg.m_editName->hasFocus());
        QCOMPARE(dlg.m_editName->text(), QStringLiteral("R1"));
        QCOMPARE(e.Rows(), QStringList({"Bo=3", "Anna=12"}));

        const int w = dlg.m_listResults->ClientWidth();
        QCOMPARE(dlg.m_listResults->headerItem()->text(0), QStringLiteral("Deltagare"));
        QCOMPARE(dlg.m_listResults->headerItem()->text(1), QStringLiteral("Poäng"));
        QCOMPARE(dlg.m_listResults->columnWidth(0), 4 * (w / 5));
        QCOMPARE(dlg.m_listResults->columnWidth(1), w / 5);
        QVERIFY(dlg.m_listResults->topLevelItem(0)->textAlignment(1) & Qt::AlignHCenter);

        QStringList names, points;
        for (int i = 0; i < dlg.m_comboName->count(); ++i)
            names << dlg.m_comboName->itemText(i);
        for (int i = 0; i < dlg.m_comboPoints->count(); ++i)
            points << dlg.m_comboPoints->itemText(i);
        QCOMPARE(names, QStringList({"Anna", "bo", "Bo", "cecilia", "Åsa", "Örjan"}));
        QCOMPARE(points.size(), 26);
        QCOMPARE(points.first(), QStringLiteral("0"));
        QCOMPARE(points.last(), QStringLiteral("25"));
        QCOMPARE(points.at(10), QStringLiteral("10"));
        QVERIFY(dlg.m_comboName->Text().isEmpty() && dlg.m_comboPoints->Text().isEmpty());

        QVERIFY(!dlg.m_btnAddResult->isEnabled());
        QVERIFY(!dlg.m_btnEditResult->isEnabled());
        QVERIFY(!dlg.m_btnRemoveResult->isEnabled());
    }

    void addTrimsReplacesInPlaceAndAppends()
    {
        CEditor e(MakeRound("R", {{"Anna", 7}, {"Bo", 3}}), {"Anna"});
        QVERIFY(e.ready);
        e.dlg->m_changed = false;
        e.Add("  Cilla  ", " 7 ");
        QCOMPARE(e.Rows(), QStringList({"Anna=7", "Bo=3", "Cilla=7"}));
        QVERIFY(e.dlg->m_comboName->Text().isEmpty() && e.dlg->m_comboPoints->Text().isEmpty());
        QVERIFY(!e.dlg->m_btnAddResult->isEnabled());
        QVERIFY(e.dlg->m_changed);

        e.Add("Anna", "9");   // same name: new points in place
        e.Add("anna", "007"); // case counts: a new player; leading zeros accepted
        e.Add("Bo", "30");    // beyond the offered 0..25
        QCOMPARE(e.Rows(), QStringList({"Anna=9", "Bo=30", "Cilla=7", "anna=7"}));
        QCOMPARE(e.round.m_results.size(), std::size_t(4));
        QCOMPARE(e.round.m_results[3].m_points, 7);
        // The name list was filled once, at opening.
        QCOMPARE(e.dlg->m_comboName->count(), 1);
        QVERIFY(e.platform.m_errors.isEmpty());
    }

    void refusedEntriesOnlyMoveTheFocus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("points");
        QTest::addColumn<bool>("focusOnPoints");
        QTest::newRow("minus") << "Anna" << "-3" << true;
        QTest::newRow("plus") << "Anna" << "+3" << true;
        QTest::newRow("decimal") << "Anna" << "3.5" << true;
        QTest::newRow("inner blank") << "Anna" << "3 4" << true;
        QTest::newRow("word") << "Anna" << "tre" << true;
        QTest::newRow("no points") << "Anna" << "  " << true;
        QTest::newRow("no name") << "  " << "3" << false;
    }
    void refusedEntriesOnlyMoveTheFocus()
    {
        QFETCH(QString, name);
        QFETCH(QString, points);
        QFETCH(bool, focusOnPoints);
        CEditor e(MakeRound("R", {}));
        QVERIFY(e.ready);
        e.Add(name, points);
        QVERIFY(e.round.m_results.empty());
        QVERIFY(e.platform.m_errors.isEmpty());
        QVERIFY(e.dlg->m_btnAddResult->isEnabled());
        QCOMPARE(e.dlg->m_comboName->Text(), name);
        QCOMPARE(e.dlg->m_comboPoints->Text(), points);
        QVERIFY((focusOnPoints ? e.dlg->m_comboPoints : e.dlg->m_comboName)->hasFocus());
    }

    void addButtonFollowsUserEntriesOnly()
    {
        CEditor e(MakeRound("R", {{"Anna", 7}}));
        QVERIFY(e.ready);
        QPushButton* add = e.dlg->m_btnAddResult;
        e.Click(add); // disabled: nothing happens
        QVERIFY(!add->isEnabled());
        e.dlg->m_comboName->SetText(QStringLiteral("Bo"));
        QVERIFY(!add->isEnabled());
        e.Type(e.dlg->m_comboName, QStringLiteral("x"));
        QVERIFY(add->isEnabled());

        e.Add(QString(), QStringLiteral("1")); // a successful add disables it
        QVERIFY(!add->isEnabled());
        QTest::keyClick(e.dlg->m_comboPoints, Qt::Key_Down); // picking from the list enables it
        QVERIFY(add->isEnabled());

        e.dlg->m_comboName->SetText(QString());
        e.dlg->m_comboPoints->SetText(QString());
        e.Click(add); // both empty: nothing, and it stays enabled
        QVERIFY(add->isEnabled());
        QCOMPARE(e.round.m_results.size(), std::size_t(2));
    }

    void editAndRemoveActOnTheClickedRow()
    {
        CEditor e(MakeRound("R", {{"Anna", 7}, {"Bo", 3}, {"Cilla", 5}}));
        QVERIFY(e.ready);
        CRoundDlg& dlg = *e.dlg;
        e.ClickRow(-1); // no row marked yet
        QVERIFY(!dlg.m_btnEditResult->isEnabled() && !dlg.m_btnRemoveResult->isEnabled());
        e.ClickRow(1);
        QVERIFY(dlg.m_btnEditResult->isEnabled() && dlg.m_btnRemoveResult->isEnabled());

        e.Click(dlg.m_btnEditResult);
        QCOMPARE(dlg.m_comboName->Text(), QStringLiteral("Bo"));
        QCOMPARE(dlg.m_comboPoints->Text(), QStringLiteral("3"));
        QVERIFY(dlg.m_comboPoints->hasFocus());
        QVERIFY(dlg.m_btnAddResult->isEnabled());
        QTest::keyClick(dlg.m_comboPoints, Qt::Key_Backspace);
        e.Type(dlg.m_comboPoints, QStringLiteral("4"));
        e.Click(dlg.m_btnAddResult);
        QCOMPARE(e.Rows(), QStringList({"Anna=7", "Bo=4", "Cilla=5"}));

        e.ClickRow(0);
        e.Click(dlg.m_btnRemoveResult); // answered No
        QCOMPARE(e.platform.m_questions.size(), 1);
        QCOMPARE(e.platform.m_questions[0].text, QStringLiteral("Vill du ta bort spelare Anna ?"));
        QCOMPARE(e.platform.m_questions[0].title, QStringLiteral("Ta bort spelare"));
        QCOMPARE(e.Rows().size(), 3);

        dlg.m_changed = false;
        e.platform.m_answers.enqueue(true);
        e.Click(dlg.m_btnRemoveResult);
        QCOMPARE(e.Rows(), QStringList({"Bo=4", "Cilla=5"}));
        QCOMPARE(e.round.m_results[0].m_name, std::string("Bo"));
        QVERIFY(dlg.m_changed);

        // The refill forgot the mark: the buttons stay enabled but do nothing.
        QVERIFY(dlg.m_btnRemoveResult->isEnabled());
        e.Click(dlg.m_btnRemoveResult);
        e.Click(dlg.m_btnEditResult);
        QCOMPARE(e.platform.m_questions.size(), 2);
        QVERIFY(dlg.m_comboName->Text().isEmpty());
        e.ClickRow(-1);
        QVERIFY(!dlg.m_btnEditResult->isEnabled() && !dlg.m_btnRemoveResult->isEnabled());
    }

    void closeChecksTheName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("withResult");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("empty with a result") << "" << true << false << QByteArray();
        QTest::newRow("only - and _") << "-_ " << true << false << QByteArray();
        QTest::newRow("empty without results") << "" << false << true << QByteArray();
        QTest::newRow("normalised") << "  Final_omg\u00E5ng--1 " << true << true << QByteArray("Final omg\xE5ng 1");
    }
    void closeChecksTheName()
    {
        QFETCH(QString, typed);
        QFETCH(bool, withResult);
        QFETCH(bool, closes);
        QFETCH(QByteArray, stored);
        CEditor e(MakeRound("Old", {}));
        QVERIFY(e.ready);
        if (withResult)
            e.Add(QStringLiteral("Anna"), QStringLiteral("1"));
        e.dlg->m_editName->selectAll();
        QTest::keyClick(e.dlg->m_editName, Qt::Key_Delete);
        e.Type(e.dlg->m_editName, typed);
        e.dlg->m_listResults->setFocus();
        e.dlg->close();
        QCOMPARE(e.round.m_name, stored.toStdString());
        QCOMPARE(e.dlg->isVisible(), !closes);
        QCOMPARE(e.dlg->m_editName->text(), typed); // the field keeps the text as typed
        if (closes) {
            QVERIFY(e.platform.m_errors.isEmpty());
            QCOMPARE(e.dlg->result(), int(CDialogBase::IDCANCEL));
            return;
        }
        QCOMPARE(e.platform.m_errors, QStringList({"Omgångens namn får inte vara tom"}));
        QVERIFY(e.dlg->m_editName->hasFocus());
        e.Type(e.dlg->m_editName, QStringLiteral("x"));
        e.dlg->close();
        QVERIFY(!e.dlg->isVisible());
    }

    void openAndCloseAtOnceCountsAsChange()
    {
        CRound round = MakeRound("Omg\xE5ng_1", {{"Anna", 1}});
        CStandings standings;
        CFakePlatform platform;
        CRoundDlg dlg(round, standings, platform, TextEncoding::Windows1252);
        QVERIFY(!dlg.m_changed);
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QCOMPARE(dlg.DoModal(), int(CDialogBase::IDCANCEL));
        QVERIFY(dlg.m_changed);
        QCOMPARE(round.m_name, std::string("Omg\xE5ng 1"));
    }

    void keysInFieldsNeverClose()
    {
        CEditor e(MakeRound("R", {{"Anna", 7}}));
        QVERIFY(e.ready);
        CRoundDlg& dlg = *e.dlg;
        QLoggingCategory::setFilterRules(QStringLiteral("ravelmark.trace.debug=true"));
        g_trace.clear();
        const QtMessageHandler previous = qInstallMessageHandler(CaptureTrace);
        for (QWidget* field : std::initializer_list<QWidget*>{dlg.m_editName, dlg.m_listResults, dlg.m_comboName,
                                                               dlg.m_comboPoints}) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Escape);
            QTest::keyClick(field, Qt::Key_Return);
        }
        e.ClickRow(0);
        dlg.m_btnEditResult->setFocus();
        QTest::keyClick(dlg.m_btnEditResult, Qt::Key_Return); // presses the focused button
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());

        QVERIFY(dlg.isVisible());
        QCOMPARE(g_trace.count(QStringLiteral("--- CRoundDlg::OnCancel()\n")), 4);
        QCOMPARE(g_trace.count(QStringLiteral("--- CRoundDlg::OnOK()\n")), 4);
        QCOMPARE(e.Rows(), QStringList({"Anna=7"}));
        QCOMPARE(dlg.m_comboName->Text(), QStringLiteral("Anna"));
    }

    void textFollowsTheEncoding_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("1252 å") << false << QStringLiteral("å") << QByteArray("\xE5");
        QTest::newRow("UTF-8 å") << true << QStringLiteral("å") << QByteArray("\xC3\xA5");
        QTest::newRow("1252 cannot hold Ω") << false << QStringLiteral("Ω") << QByteArray("?");
        QTest::newRow("UTF-8 Ω") << true << QStringLiteral("Ω") << QByteArray("\xCE\xA9");
    }
    void textFollowsTheEncoding()
    {
        QFETCH(bool, utf8);
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        const TextEncoding encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
        const std::string stored = bytes.toStdString();
        CEditor e(MakeRound(stored, {{stored, 2}}), {stored}, encoding);
        QVERIFY(e.ready);
        const QString shown = QString::fromLatin1(bytes) == QStringLiteral("?") ? QStringLiteral("?") : typed;
        QCOMPARE(e.dlg->m_editName->text(), shown);
        QCOMPARE(e.dlg->m_comboName->itemText(0), shown);
        QCOMPARE(e.Rows(), QStringList({shown + "=2"}));
        e.dlg->m_editName->clear();
        e.Type(e.dlg->m_editName, typed);
        e.Add(typed, QStringLiteral("5"));
        QCOMPARE(e.round.m_name, stored);
        QCOMPARE(e.round.m_results.size(), std::size_t(1)); // the same player, in place
        QCOMPARE(e.round.m_results[0].m_name, stored);
        QCOMPARE(e.round.m_results[0].m_points, 5);
    }

    void bytesTheScreenCannotShowAreKept()
    {
        // A UTF-8 file (by its byte-order mark) may still hold a stray byte.
        CEditor e(MakeRound("R\xFF", {{"P\xFF", 2}}), {}, TextEncoding::Utf8);
        QVERIFY(e.ready);
        e.ClickRow(0);
        e.Click(e.dlg->m_btnEditResult);
        QTest::keyClick(e.dlg->m_comboPoints, Qt::Key_Backspace);
        e.Type(e.dlg->m_comboPoints, QStringLiteral("6"));
        e.Click(e.dlg->m_btnAddResult);
        e.dlg->close();
        QVERIFY(!e.dlg->isVisible());
        QCOMPARE(e.round.m_name, std::string("R\xFF"));
        QCOMPARE(e.round.m_results.size(), std::size_t(1));
        QCOMPARE(e.round.m_results[0].m_name, std::string("P\xFF"));
        QCOMPARE(e.round.m_results[0].m_points, 6);
    }

    void comboTextsDoNotScroll()
    {
        const std::string longName(80, 'W');
        CEditor e(MakeRound("R", {{longName, 1}}));
        QVERIFY(e.ready);
        CRoundDlg& dlg = *e.dlg;
        const QString many(80, QLatin1Char('W'));
        e.Type(dlg.m_comboName, many);
        const QString kept = dlg.m_comboName->Text();
        QVERIFY(kept.size() > 5 && kept.size() < 80);
        QVERIFY(dlg.m_comboName->fontMetrics().horizontalAdvance(kept) < dlg.m_comboName->lineEdit()->width());
        e.Type(dlg.m_comboPoints, QStringLiteral("1234567890123"));
        QVERIFY(dlg.m_comboPoints->Text().size() >= 3 && dlg.m_comboPoints->Text().size() < 13);
        dlg.m_editName->end(false);
        e.Type(dlg.m_editName, many); // the name field scrolls
        QCOMPARE(dlg.m_editName->text(), "R" + many);

        // A text the program sets is shown whole; the user may shorten it, not lengthen it.
        e.ClickRow(0);
        e.Click(dlg.m_btnEditResult);
        QCOMPARE(dlg.m_comboName->Text(), many);
        dlg.m_comboName->lineEdit()->end(false);
        e.Type(dlg.m_comboName, QStringLiteral("W"));
        QCOMPARE(dlg.m_comboName->Text(), many);
        QTest::keyClick(dlg.m_comboName, Qt::Key_Backspace);
        QCOMPARE(dlg.m_comboName->Text().size(), 79);
    }
};

QTEST_MAIN(RoundDlgTest)
#include "round_dlg_test.moc"
