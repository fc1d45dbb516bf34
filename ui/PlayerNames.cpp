#include "PlayerNames.h"

#include "Controls.h"
#include "Platform.h"

#include <algorithm>
#include <numeric>

CPlayerNames::CPlayerNames(const CStandings& standings, QObject* parent)
    : QAbstractListModel(parent)
    , m_standings(standings)
{
}

void CPlayerNames::Update(TextEncoding encoding, bool appendedOnly)
{
    beginResetModel();
    m_encoding = encoding;
    if (!appendedOnly)
        m_order.clear();
    m_sorted = false;
    endResetModel();
}

void CPlayerNames::Sort()
{
    const std::size_t rows = m_standings.m_rows.size();
    if (m_sorted && m_order.size() == rows)
        return;
    beginResetModel();
    const QCollator collator = NameCollator();
    const auto nameAt = [&](int row) { return ToQString(m_standings.m_rows[static_cast<std::size_t>(row)].m_name, m_encoding); };
    const std::size_t known = std::min(m_order.size(), rows);
    m_order.resize(known);
    if (rows - known > known / 8 || known == 0) {
        // Many new names: one key per name, then a sort that compares bytes only. Equal names
        // keep the order of the standings.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(rows);
        for (std::size_t row = 0; row < rows; ++row)
            keys.push_back(collator.sortKey(nameAt(static_cast<int>(row))));
        m_order.resize(rows);
        std::iota(m_order.begin(), m_order.end(), 0);
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]) < 0;
        });
    } else {
        // A few new names (a round appended): each into its place, after its equals.
        for (std::size_t row = known; row < rows; ++row) {
            const QString name = nameAt(static_cast<int>(row));
            const auto at = std::upper_bound(m_order.begin(), m_order.end(), name, [&](const QString& n, int other) {
                return collator.compare(n, nameAt(other)) < 0;
            });
            m_order.insert(at, static_cast<int>(row));
        }
    }
    m_sorted = true;
    endResetModel();
}

int CPlayerNames::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

QVariant CPlayerNames::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return ToQString(m_standings.m_rows[static_cast<std::size_t>(m_order[static_cast<std::size_t>(index.row())])].m_name,
                     m_encoding);
}
