// The control semantics the dialogs rely on and Qt does not give by itself.
#include "Controls.h"
#include "DialogBase.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// A dialog that records what reached its handlers.
class CProbeDlg : public CDialogBase
{
public:
    CProbeDlg()
        : CDialogBase(102, nullptr)
    {
    }
    int m_ok = 0, m_cancel = 0, m_close = 0;
    bool m_allowClose = false;

protected:
    void OnOK() override { ++m_ok; }
    void OnCancel() override { ++m_cancel; }
    void OnClose() override
    {
        ++m_close;
        if (m_allowClose)
            EndDialog(IDCANCEL);
    }
};

} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT
private slots:
    void editFieldReportsEveryChange()
    {
        CEditField field;
        QSignalSpy spy(&field, &CEditField::changed);
        field.SetText(QStringLiteral("A"));
        field.SetText(QStringLiteral("A")); // unchanged text still counts
        field.SetText(QString());
        QCOMPARE(spy.count(), 3);
        field.show();
        QTest::keyClicks(&field, QStringLiteral("ab"));
        QCOMPARE(spy.count(), 5);
        const QString longText(100000, QLatin1Char('x'));
        field.SetText(longText);
        QCOMPARE(field.text(), longText);
    }

    void listSelectionMarkFollowsTheUser()
    {
        CListView list;
        list.resize(200, 200);
        list.InsertColumn(0, QStringLiteral("Omgång"), Qt::AlignLeft, 150);
        for (int i = 0; i < 3; ++i)
            list.InsertItem(i, QStringLiteral("R%1").arg(i));
        list.show();
        list.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        QSignalSpy clicks(&list, &CListView::clicked);
        QCOMPARE(list.GetSelectionMark(), -1);

        const QRect row1 = list.visualItemRect(list.topLevelItem(1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row1.center());
        QCOMPARE(list.GetSelectionMark(), 1);
        QCOMPARE(clicks.count(), 1);

        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.GetSelectionMark(), 2);
        QCOMPARE(clicks.count(), 1); // keys are no click

        const QRect row2 = list.visualItemRect(list.topLevelItem(2));
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, row2.center());
        QCOMPARE(clicks.count(), 1);

        // A click on the empty area is a click, and keeps the mark.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 5));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(list.GetSelectionMark(), 2);

        list.DeleteAllItems();
        QCOMPARE(list.GetSelectionMark(), -1);
        QCOMPARE(list.GetItemCount(), 0);
    }

    void sortedComboKeepsItsTextAndOrder()
    {
        CComboBox names(true);
        QSignalSpy edits(&names, &CComboBox::textEdited);
        QSignalSpy picks(&names, &CComboBox::selectionChanged);
        names.SetText(QStringLiteral("typed"));
        names.AddStrings({QStringLiteral("Örjan"), QStringLiteral("bo"), QStringLiteral("Åsa"), QStringLiteral("Anna"),
                          QStringLiteral("Ärla"), QStringLiteral("Cecilia")});
        QStringList order;
        for (int i = 0; i < names.count(); ++i)
            order << names.itemText(i);
        QCOMPARE(order, QStringList({"Anna", "bo", "Cecilia", "Åsa", "Ärla", "Örjan"}));
        QCOMPARE(names.Text(), QStringLiteral("typed"));
        QCOMPARE(edits.count(), 0);
        QCOMPARE(picks.count(), 0);

        CComboBox points(false);
        points.AddStrings({QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("1")});
        QCOMPARE(points.itemText(0), QStringLiteral("2"));
        QCOMPARE(points.Text(), QString());
    }

    void dialogKeysNeverEndTheDialog()
    {
        CProbeDlg dlg;
        dlg.InitDialog();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* choose = qobject_cast<QPushButton*>(dlg.focusWidget());
        QVERIFY(choose);
        QCOMPARE(choose->text(), QStringLiteral("Välj Turnering"));
        QSignalSpy pressed(choose, &QPushButton::clicked);

        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(choose, Qt::Key_Return);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(dlg.m_cancel, 1);
        QVERIFY(dlg.isVisible());

        dlg.close();
        QCOMPARE(dlg.m_close, 1);
        QVERIFY(dlg.isVisible());
        dlg.m_allowClose = true;
        dlg.close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), CDialogBase::IDCANCEL);
    }

    void dialogUnitsFollowTheFont()
    {
        QFont font(QStringLiteral("Arial"), 8);
        const QRect small = CDialogTemplate::ToPixels(QRect(4, 8, 40, 80), font);
        font.setPointSize(16);
        const QRect large = CDialogTemplate::ToPixels(QRect(4, 8, 40, 80), font);
        QVERIFY(small.width() > 0 && small.height() > 0);
        QVERIFY(large.width() > small.width() * 3 / 2);
        QVERIFY(large.height() > small.height() * 3 / 2);
        QCOMPARE(small.width(), small.x() * 10);
    }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
