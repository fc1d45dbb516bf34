#pragma once

#include "Standings.h"
#include "Tournament.h"

#include <QAbstractListModel>

#include <vector>

// The tournament's player names in alphabetical order, as the round editor offers them: a
// list model over the standings' rows, sorted once and kept until the standings change.
class CNameList : public QAbstractListModel
{
public:
    CNameList(const CTournament& tournament, const CStandings& standings, QObject* parent = nullptr);

    const CStandings& Standings() const { return m_standings; }
    // The standings were filled anew. With `appendedOnly` the rows already there kept their
    // places and only new rows follow them.
    void Update(bool appendedOnly = false);
    // Sorts what is not sorted yet; the editor calls it before it shows the names.
    void Sort();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QString NameOfRow(std::size_t row) const;

    const CTournament& m_tournament;
    const CStandings& m_standings;
    std::vector<std::size_t> m_order; // rows of the standings in alphabetical order
    bool m_sorted = false;
};
