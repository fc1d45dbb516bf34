// The control semantics the dialogs rely on and Qt does not give by itself.
#include "WindowDriver.h"

#include <QSignalSpy>

class ControlsTest : public QObject
{
    Q_OBJECT
private slots:
    void editFieldReportsEveryChange()
    {
        CEditField field;
        QSignalSpy changes(&field, &CEditField::changed);
        field.SetText("A");
        field.SetText("A"); // the text it already holds counts too
        Type(&field, "b");
        QCOMPARE(changes.count(), 3);
        field.SetText(QString(100000, 'x')); // beyond QLineEdit's default limit
        QCOMPARE(field.text().size(), 100000);
    }

    void listSelectionMarkFollowsTheUser()
    {
        CListView list;
        list.resize(200, 200);
        list.InsertColumn(0, "Omgång", Qt::AlignLeft, 150);
        list.SetSource([] { return 3; }, [](int row, int) { return QString::number(row); });
        list.show();
        QSignalSpy clicks(&list, &CListView::clicked);
        ClickRow(&list, 1);
        QCOMPARE(list.GetSelectionMark(), 1);
        QTest::keyClick(&list, Qt::Key_Down);
        ClickRow(&list, 2, Qt::RightButton);
        ClickRow(&list, -1);
        QCOMPARE(list.GetSelectionMark(), 2); // moved by the key, kept by the click on the empty area
        QCOMPARE(clicks.count(), 2);          // neither the key nor the right button clicks
        list.Refill();
        QCOMPARE(list.GetSelectionMark(), -1);
    }

    void comboEntriesAreTheUsersOnly()
    {
        CComboBox names(true);
        QSignalSpy entries(&names, &CComboBox::textEdited);
        QSignalSpy picks(&names, &CComboBox::selectionChanged);
        names.SetText("typed");
        names.AddStrings({"Örjan", "bo", "Åsa", "Anna", "Ärla"});
        names.AddString("Cecilia");
        QCOMPARE(Items(&names), "Anna,bo,Cecilia,Åsa,Ärla,Örjan");
        QCOMPARE(names.Text(), "typed");
        QCOMPARE(entries.count() + picks.count(), 0);
        QTest::keyClick(names.lineEdit(), Qt::Key_Return); // adds nothing to the list
        QCOMPARE(names.count(), 6);
    }

    void comboTakesOnlyTypingThatFits()
    {
        CComboBox box(false);
        box.resize(90, box.sizeHint().height());
        box.show();
        const QString many(40, 'W');
        Type(box.lineEdit(), many);
        QVERIFY(box.Text().size() > 1 && box.Text().size() < many.size());
        QVERIFY(box.fontMetrics().horizontalAdvance(box.Text()) < box.lineEdit()->width());
        // A text the program sets shows whole; the user may shorten it, not lengthen it.
        box.SetText(many);
        Type(box.lineEdit(), "W");
        QCOMPARE(box.Text(), many);
        QTest::keyClick(box.lineEdit(), Qt::Key_Backspace);
        QCOMPARE(box.Text().size(), many.size() - 1);
    }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
