// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCollator>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

#include <functional>

class QMenu;

// Alphabetical order of names as the user expects it: Swedish (å ä ö after z), case aside.
QCollator NameCollator();

// Whether `text` holds what no name, round name or title may hold: a control character (tab
// and line breaks too) or DEL.
bool HoldsControlChar(QStringView text);

// Every way of pasting into a text box (the paste keys, the box's menu by mouse or keyboard, the
// middle button's selection) goes through here: text with a tab or a line break inside is never
// pasted as it is. It goes to the block handler when there is one, and is refused otherwise;
// other text is pasted without the blanks and line ends around it.
class CPasteGuard : public QObject
{
    Q_OBJECT
public:
    // Watches `box` and its text field `edit` (the same for an edit field). `insert` pastes a
    // text as the user's own change.
    CPasteGuard(QWidget* box, QLineEdit* edit, std::function<void(const QString&)> insert);
    // The guard of a box or of a combo box's text field; null when there is none.
    static CPasteGuard* Of(QWidget* boxOrEdit);
    void SetBlockHandler(std::function<void(const QString&)> handler) { m_block = std::move(handler); }
    // Makes the paste command of the box's menu paste through here.
    void TakeOverPaste(QMenu& menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Paste(bool selection);

    QWidget* m_box;
    QLineEdit* m_edit;
    std::function<void(const QString&)> m_insert;
    std::function<void(const QString&)> m_block;
};

// A single-line edit field whose change signal fires on every change of its text, typed or
// set by the program, also when the program sets the text it already holds.
class CEditField : public QLineEdit
{
    Q_OBJECT
public:
    explicit CEditField(QWidget* parent = nullptr);

    // Sets the text and reports it as a change, as typing does.
    void SetText(const QString& text);
    // Puts back `stored` after a refused change, with the cursor at its end; no change is
    // reported, since what the field stands for did not change.
    void Restore(const QString& stored);
    CPasteGuard* PasteGuard() const { return m_paste; }

signals:
    void changed();

private:
    CPasteGuard* m_paste;
    QString m_shown; // the text before the change being checked
    friend class CControlValidator;
};

// A list view in report mode: rows of text cells, never sorted, one selected row at most,
// selected across the whole row and shown also without the focus. A row whose first cell is
// cut short shows that cell whole as its tooltip. The rows are a view over the caller's data:
// a cell's text is asked for only when it is drawn, so the cost of a change does not grow with
// the number of rows, and the view keeps no record per row beyond its header's small one.
class CListView : public QTableView
{
    Q_OBJECT
public:
    using RowCount = std::function<int()>;
    using CellText = std::function<QString(int row, int column)>;

    explicit CListView(QWidget* parent = nullptr);

    // Where the rows come from: their number and each cell's text. A dialog cuts the source
    // (empty functions) before the data it reads is destroyed.
    void SetSource(RowCount count, CellText text);
    void InsertColumn(int column, const QString& header, Qt::Alignment alignment, int width);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const;
    // Shows the source anew, as deleting every row and inserting them again would: no row is
    // selected and the selection mark is gone.
    void Refill();
    // Runs `change`, which appends rows or changes rows in place, then shows it; as Refill, no
    // row is selected afterwards.
    void Change(const std::function<void()>& change);
    // Runs `remove`, which takes row `row` out of the source, then shows it; as Refill.
    void RemoveRow(int row, const std::function<void()>& remove);
    // The row the user last selected, by click or keyboard; -1 for none.
    int GetSelectionMark() const { return m_selectionMark; }
    // Width in pixels of the list's client area.
    int ClientWidth() const;
    // Selects row `row` as a click would, making it the selection mark.
    void SelectRow(int row);
    // Brings row `row` into view.
    void ScrollToRow(int row);

signals:
    // A left-button click in the list, on a row or on its empty area.
    void clicked();
    // A key left a row selected: keys select as a click does.
    void keySelected();
    // The Delete key, pressed in the list.
    void deletePressed();

protected:
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSelectionChanged();
    void ForgetSelection();
    void FitRowHeight();

    class CRows;
    CRows* m_rows;
    int m_selectionMark = -1;
    bool m_leftPressed = false;
};

// A drop-down with editable text. The entry signals fire for user actions only: a text set
// by the program is not an entry change. The text does not scroll: the user can type only
// what fits the visible field, while a text set by the program (or picked from the list) is
// shown as it is, however long.
class CComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CComboBox(bool sorted, QWidget* parent = nullptr);

    // Adds entries, sorting once; a sorted box keeps its list in order without regard to case.
    void AddStrings(const QStringList& texts);
    // Offers the entries of `model` instead, in its order; the box does not own it. The text
    // the user sees stays.
    void SetListModel(QAbstractItemModel* model);
    // Pixels the text field lacks to show `text` whole; 0 when it fits.
    int MissingWidth(const QString& text) const;
    void SetText(const QString& text);
    QString Text() const;
    // Typing at the end of the text completes it inline with the first entry it begins, as the
    // box's order compares (a sorted box: case aside, Swedish letters apart); the completed part
    // is selected, so that typing on replaces it. Only what the user typed has to fit the field.
    void SetInlineCompletion(bool on) { m_complete = on; }
    // The entry that `typed` begins, or a null string: among equals, one that begins with it
    // letter case included.
    QString FindCompletion(const QString& typed) const;
    // Completion also knows `name`, which the list does not offer (yet).
    void AddCompletion(const QString& name);
    CPasteGuard* PasteGuard() const { return m_paste; }

signals:
    // The user picked an entry from the list (selection change).
    void selectionChanged();
    // The user edited the text.
    void textEdited();

private:
    void OnTextEdited(const QString& text);
    // The completion of `typed` among `count` entries in the box's order.
    QString FindIn(const QString& typed, int count, const std::function<QString(int)>& entry) const;

    bool m_sorted;
    CPasteGuard* m_paste = nullptr;
    QStringList m_moreNames; // in the box's order
    bool m_complete = false;
    QCollator m_collator;
};
