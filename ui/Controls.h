#pragma once

#include <QCollator>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

// A single-line edit field whose change signal fires on every change of its text, typed or
// set by the program, also when the program sets the text it already holds.
class CEditField : public QLineEdit
{
    Q_OBJECT
public:
    explicit CEditField(QWidget* parent = nullptr);

    // Sets the text and reports it as a change, as typing does.
    void SetText(const QString& text);

signals:
    void changed();
};

// A list view in report mode: rows of text cells, never sorted, one selected row at most,
// selected across the whole row and shown also without the focus.
class CListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit CListView(QWidget* parent = nullptr);

    void InsertColumn(int column, const QString& header, Qt::Alignment alignment, int width);
    void InsertItem(int row, const QString& text);
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const;
    // Deletes every row; also forgets the selection mark.
    void DeleteAllItems();
    // The row the user last selected, by click or keyboard; -1 for none.
    int GetSelectionMark() const { return m_selectionMark; }
    // Width in pixels of the list's client area.
    int ClientWidth() const;

signals:
    // A left-button click in the list, on a row or on its empty area.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnSelectionChanged();

    QList<Qt::Alignment> m_columnAlignment;
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

    // Adds an entry; a sorted box keeps its list in order without regard to case.
    void AddString(const QString& text);
    // Adds many entries at once, sorting once.
    void AddStrings(const QStringList& texts);
    void SetText(const QString& text);
    QString Text() const;
    bool IsSorted() const { return m_sorted; }

signals:
    // The user picked an entry from the list (selection change).
    void selectionChanged();
    // The user edited the text.
    void textEdited();

private:
    bool m_sorted;
    QCollator m_collator;
};
