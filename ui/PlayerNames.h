#pragma once

#include "Standings.h"

#include <QAbstractListModel>

#include <vector>

// The tournament's player names in alphabetical order, as the round editor offers them: a
// list model over the standings' rows, sorted once and kept until the standings change.
class CPlayerNames : public QAbstractListModel
{
public:
    explicit CPlayerNames(const CStandings& standings, QObject* parent = nullptr);

    const CStandings& Standings() const { return m_standings; }
    // The standings were rebuilt, their names in `encoding`. With `appendedOnly` the rows
    // already there kept their places and only new rows follow them.
    void Update(TextEncoding encoding, bool appendedOnly = false);
    // Sorts what is not sorted yet; the editor calls it before it shows the names.
    void Sort();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const CStandings& m_standings;
    TextEncoding m_encoding = TextEncoding::Windows1252;
    std::vector<int> m_order; // rows of the standings in alphabetical order
    bool m_sorted = false;
};
