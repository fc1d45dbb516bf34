// SPDX-License-Identifier: GPL-3.0-or-later
// "Klistra in resultat" driven as a user drives it from the round editor: the paste keys, the
// preview's ticks, players and columns, OK and Avbryt, then the editor's undo and the recovery file.
#include "WindowDriver.h"
#include "ui/PasteResultsDlg.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QStyleOptionViewItem>
#include <QTableView>

namespace {

// R1 holds Åke Lund 7 and Anna 3; R2 brings Bo and Cilla Berg.
const QByteArray kCup("Cup\n\nR1\n\xC5ke Lund 7\nAnna 3\n\nR2\nBo 1\nCilla Berg 2\n");

bool WithPaste(const std::function<void()>& trigger, const std::function<void(CPasteResultsDlg&)>& action)
{
    return WithDialog(trigger, action);
}

// "pasted|player|points|word|ticked|colour" per row, joined by commas.
QString Preview(const CPasteResultsDlg& d)
{
    const QAbstractItemModel* rows = d.m_listRows->model();
    return Joined(rows->rowCount(), [rows](int row) {
        const auto cell = [&](int column, int role = Qt::DisplayRole) { return rows->index(row, column).data(role); };
        return QStringList{cell(0).toString(), cell(1).toString(), cell(2).toString(), cell(3).toString(),
                           cell(0, Qt::CheckStateRole).toInt() == Qt::Checked ? "1" : "0",
                           cell(3, Qt::BackgroundRole).value<QBrush>().color().name()}
            .join('|');
    });
}

// A click on the tick of row `row`.
void ClickTick(QTableView* view, int row)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(view->model()->index(row, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect tick = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, tick.center());
}

// Clicks row `row`'s player, F2, and types `name` into the box that opens, then Enter.
void ChangePlayer(QTableView* view, int row, const QString& name)
{
    const QModelIndex cell = view->model()->index(row, CPasteResultsDlg::kPlayer);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
    QTest::keyClick(view, Qt::Key_F2);
    QComboBox* box = nullptr;
    QTRY_VERIFY((box = qobject_cast<QComboBox*>(view->indexWidget(cell))));
    TypeOver(box->lineEdit(), name);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
}

} // namespace

class PasteDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void previewAndEnter()
    {
        CWindow w(kCup);
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [&w](CRoundDlg& e) {
            QCOMPARE(Joined(static_cast<int>(e.m_listResults->actions().size()),
                            [&](int i) { return e.m_listResults->actions()[i]->text(); }),
                     "Klistra in resultat…");
            QApplication::clipboard()->setText("Namn\tPoäng\r\nAnna\t3\r\nBo\t4\r\nake  lnud\t9\r\nDan\t\r\n"
                                               "Eva\t5\r\nFia\t+3\r\n" + QString(40, 'W') + "\t3\r\nBo\t6\r\n");
            ClickRow(e.m_listResults, 0);
            QVERIFY(WithPaste([&] { QTest::keyClick(e.m_listResults, Qt::Key_V, Qt::ControlModifier); },
                              [](CPasteResultsDlg& d) {
                QCOMPARE(d.windowTitle(), "Klistra in resultat");
                QVERIFY(d.m_listRows->hasFocus() && !d.m_comboNameColumn);
                QCOMPARE(Preview(d), "Anna|Anna|3|samma som förut|1|#d4edda,"
                                     "Bo|Bo|4|ersätts av rad 8|1|#eeeeee,"
                                     "ake lnud|Åke Lund|9|liknar Åke Lund, ersätter 7|1|#fde8b4,"
                                     "Dan|||poäng saknas|0|#f5c6cb,"
                                     "Eva|Eva|5|ny spelare|1|#d6e4f5,"
                                     "Fia||+3|poängen är inget heltal|0|#f5c6cb,"
                                     "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW||3|för lång|0|#f5c6cb,"
                                     "Bo|Bo|6|känd|1|#d4edda");
                QCOMPARE(d.m_labelSummary->text(), "8 rader: 5 förs in, 3 avvisas.");
                // The later Bo unticked: the earlier goes in again. Players: the near name (a
                // letter away) as pasted, a new name to a known player.
                ClickTick(d.m_listRows, 7);
                ChangePlayer(d.m_listRows, 2, "ake lnud");
                ChangePlayer(d.m_listRows, 4, "Cilla Berg");
                ChangePlayer(d.m_listRows, 0, "Nobody"); // neither pasted nor known: stays
                QCOMPARE(Preview(d).section(',', 0, 4), "Anna|Anna|3|samma som förut|1|#d4edda,"
                                                        "Bo|Bo|4|känd|1|#d4edda,"
                                                        "ake lnud|ake lnud|9|ny spelare|1|#d6e4f5,"
                                                        "Dan|||poäng saknas|0|#f5c6cb,"
                                                        "Eva|Cilla Berg|5|känd|1|#d4edda");
                QCOMPARE(Preview(d).section(',', 7), "Bo|Bo|6|känd|0|#eeeeee");
                Click(d.m_btnOK);
            }));
            QCOMPARE(Rows(e.m_listResults), "Åke Lund=7,Anna=3,Bo=4,ake lnud=9,Cilla Berg=5");
            QCOMPARE(e.focusWidget(), e.m_comboName); // the window's focus when it is active again
            QCOMPARE(e.m_undo.undoText(), "Klistra in 4 resultat");
            // The recovery file holds the whole paste; one undo takes it all back, one redo brings it.
            QTRY_VERIFY_WITH_TIMEOUT(Read(w.File(".cup.txt.osparad")).contains("Cilla Berg  5\r\n"), 3000);
            QCOMPARE(Read(w.File(".cup.txt.osparad")).split('\n').mid(2, 6).join('|'),
                     "R1\r|\xC5ke Lund    7\r|Anna        3\r|Bo          4\r|ake lnud    9\r|Cilla Berg  5\r");
            e.activateWindow(); // as the desktop does when the dialog is gone
            QTRY_VERIFY(e.m_comboName->hasFocus());
            QTest::keyClick(e.m_comboName->lineEdit(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Rows(e.m_listResults), "Åke Lund=7,Anna=3");
            QTest::keyClick(e.m_comboName->lineEdit(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(Rows(e.m_listResults), "Åke Lund=7,Anna=3,Bo=4,ake lnud=9,Cilla Berg=5");
            e.close();
        }));
    }

    // Avbryt and Escape change nothing; a single line pastes into the name box as text.
    void cancelAndNameBox()
    {
        CWindow w(kCup);
        // The title takes no block, no tab and no DEL: the stored title stays, with the focus.
        w.m_dlg.m_editTitle->setFocus();
        for (const char* pasted : {"Bo 4\nEva 5", "Cup\t2", "Cup\x7F"}) {
            QApplication::clipboard()->setText(pasted);
            QTest::keyClick(w.m_dlg.m_editTitle, Qt::Key_V, Qt::ControlModifier);
        }
        QVERIFY(w.m_dlg.m_editTitle->text() == "Cup" && w.m_dlg.m_editTitle->hasFocus() && !w.m_dlg.m_doc.Changed());
        ClickRow(w.m_dlg.m_listRounds, 0);
        QVERIFY(WithEditor(w.m_dlg.m_btnEdit, [](CRoundDlg& e) {
            QLineEdit* name = e.m_comboName->lineEdit();
            QApplication::clipboard()->setText("Bo 4\nEva 5\n");
            name->setFocus();
            QVERIFY(WithPaste([&] { QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier); },
                              [](CPasteResultsDlg& d) {
                                  QCOMPARE(Preview(d), "Bo|Bo|4|känd|1|#d4edda,Eva|Eva|5|ny spelare|1|#d6e4f5");
                                  Click(d.m_btnCancel);
                              }));
            // The keys reach the combo box itself, as they do from the keyboard; the round's name
            // box pastes a block as results too, and a single line with tabs is a row.
            const auto escape = [](CPasteResultsDlg& d) { QTest::keyClick(d.m_listRows, Qt::Key_Escape); };
            QVERIFY(WithPaste([&] { QTest::keyClick(e.m_comboName, Qt::Key_Insert, Qt::ShiftModifier); }, escape));
            QVERIFY(WithPaste([&] { QTest::keyClick(e.m_editName, Qt::Key_V, Qt::ControlModifier); }, escape));
            QApplication::clipboard()->setText("Eva\t5");
            QVERIFY(WithPaste([&] { QTest::keyClick(e.m_comboName, Qt::Key_V, Qt::ControlModifier); },
                              [](CPasteResultsDlg& d) {
                                  QCOMPARE(Preview(d), "Eva|Eva|5|ny spelare|1|#d6e4f5");
                                  Click(d.m_btnCancel);
                              }));
            // The points box has no block to take: refused, as what does not fit is.
            e.m_comboPoints->setFocus();
            QTest::keyClick(e.m_comboPoints, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(Rows(e.m_listResults) + '|' + e.m_comboName->Text() + '|' + e.m_comboPoints->Text() + '|' +
                         e.m_editName->text(),
                     "Åke Lund=7,Anna=3|||R1");
            QVERIFY(e.focusWidget() == e.m_comboPoints);
            QApplication::clipboard()->setText("Bo 4\nEva 5\n");
            // The box's menu: "Klistra in" of a block opens the dialog; of one line, pastes it.
            QTimer menu;
            QObject::connect(&menu, &QTimer::timeout, [&menu] {
                if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    menu.stop();
                    QAction* paste = popup->actions().value(5);
                    QVERIFY(paste && paste->text().contains("Paste"));
                    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(paste).center());
                }
            });
            // By the mouse on the field, or by the keyboard (Menu, Shift+F10) on the box.
            const auto openMenu = [&](QWidget* on, QContextMenuEvent::Reason reason) {
                menu.start(5);
                QContextMenuEvent click(reason, QPoint(2, 2), name->mapToGlobal(QPoint(2, 2)));
                QApplication::sendEvent(on, &click);
                QVERIFY(QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }));
            };
            QVERIFY(WithPaste([&] { openMenu(name, QContextMenuEvent::Mouse); },
                              [](CPasteResultsDlg& d) { Click(d.m_btnCancel); }));
            QVERIFY(WithPaste([&] { openMenu(e.m_comboName, QContextMenuEvent::Keyboard); },
                              [](CPasteResultsDlg& d) { Click(d.m_btnCancel); }));
            QApplication::clipboard()->setText("Bo\n");
            openMenu(name, QContextMenuEvent::Mouse);
            QCOMPARE(e.m_comboName->Text().trimmed(), "Bo");
            e.m_comboName->SetText(QString());
            QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(e.m_comboName->Text().trimmed(), "Bo");
            QVERIFY(!e.m_undo.canUndo());
            e.m_comboName->SetText(QString());
            e.close();
        }));
    }

    // Three columns (as few as offer a choice) without headings: the guess is offered, and another
    // pick reads the rows anew.
    void pickColumns()
    {
        CWindow w(kCup);
        QVERIFY(WithEditor(w.m_dlg.m_btnNew, [](CRoundDlg& e) {
            Type(e.m_editName, "R3");
            QApplication::clipboard()->setText("Bo\t12\t3\nEva\t9\t4\n");
            ClickRow(e.m_listResults, -1);
            QVERIFY(WithPaste([&] { QTest::keyClick(e.m_listResults, Qt::Key_Insert, Qt::ShiftModifier); },
                              [](CPasteResultsDlg& d) {
                QVERIFY(d.m_comboNameColumn && d.m_comboPointsColumn);
                QCOMPARE(Items(d.m_comboNameColumn), "1: Bo,2: 12,3: 3");
                QCOMPARE(d.m_comboNameColumn->currentIndex() * 10 + d.m_comboPointsColumn->currentIndex(), 2);
                d.m_comboPointsColumn->setFocus();
                QTest::keyClick(d.m_comboPointsColumn, Qt::Key_Up);
                QCOMPARE(Preview(d), "Bo|Bo|12|känd|1|#d4edda,Eva|Eva|9|ny spelare|1|#d6e4f5");
                Click(d.m_btnOK);
            }));
            QCOMPARE(Rows(e.m_listResults), "Bo=12,Eva=9");
            // The list's context menu offers it too.
            QTimer menu;
            QObject::connect(&menu, &QTimer::timeout, [&menu] {
                if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    menu.stop();
                    QCOMPARE(popup->actions().value(0)->text(), "Klistra in resultat…");
                    QTest::keyClick(popup, Qt::Key_Down);
                    QTest::keyClick(popup, Qt::Key_Return);
                }
            });
            menu.start(5);
            QVERIFY(WithPaste(
                [&] {
                    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                            e.m_listResults->viewport()->mapToGlobal(QPoint(5, 5)));
                    QApplication::sendEvent(e.m_listResults->viewport(), &click);
                },
                [](CPasteResultsDlg& d) { Click(d.m_btnCancel); }));
            e.close();
        }));
        QCOMPARE(Shown(w.m_dlg).section('|', 1, 1), "R1,R2,R3");
    }
};

QTEST_MAIN(PasteDlgTest)
#include "paste_dlg_test.moc"
