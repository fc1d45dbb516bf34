#include "NameList.h"

#include "Controls.h"
#include "Platform.h"

#include <algorithm>
#include <numeric>

CNameList::CNameList(const CTournament& tournament, const CStandings& standings, QObject* parent)
    : QAbstractListModel(parent)
    , m_tournament(tournament)
    , m_standings(standings)
{
}

QString CNameList::NameOfRow(std::size_t row) const
{
    // The names' bytes follow the tournament's encoding, also when it becomes UTF-8.
    return ToQString(m_tournament.PlayerName(m_standings.m_rows[row].m_player), m_tournament.m_encoding);
}

void CNameList::Update(bool appendedOnly)
{
    beginResetModel();
    if (!appendedOnly)
        m_order.clear();
    m_sorted = false;
    endResetModel();
}

void CNameList::Sort()
{
    const std::size_t rows = m_standings.m_rows.size();
    if (m_sorted && m_order.size() == rows)
        return;
    beginResetModel();
    const QCollator collator = NameCollator();
    const std::size_t known = std::min(m_order.size(), rows);
    m_order.resize(known);
    if (known == 0 || rows - known > known / 8) {
        // Many new names: one key per name, then a sort that compares bytes only. Equal names
        // keep the order of the standings.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(rows);
        for (std::size_t row = 0; row < rows; ++row)
            keys.push_back(collator.sortKey(NameOfRow(row)));
        m_order.resize(rows);
        std::iota(m_order.begin(), m_order.end(), std::size_t{0});
        std::stable_sort(m_order.begin(), m_order.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    } else {
        // A few new names (a round appended): each into its place, after its equals.
        for (std::size_t row = known; row < rows; ++row) {
            const QString name = NameOfRow(row);
            const auto at = std::upper_bound(m_order.begin(), m_order.end(), name, [&](const QString& n, std::size_t other) {
                return collator.compare(n, NameOfRow(other)) < 0;
            });
            m_order.insert(at, row);
        }
    }
    m_sorted = true;
    endResetModel();
}

int CNameList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

QVariant CNameList::data(const QModelIndex& index, int role) const
{
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_order.size() || m_order[row] >= m_standings.m_rows.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return NameOfRow(m_order[row]);
}
