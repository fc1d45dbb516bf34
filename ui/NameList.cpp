#include "ui/NameList.h"

#include "ui/Controls.h"
#include "ui/Platform.h"

#include <algorithm>
#include <numeric>

CNameList::CNameList(const CTournament& tournament, const CStandings& standings, QObject* parent)
    : QAbstractListModel(parent)
    , m_tournament(tournament)
    , m_standings(standings)
{
}

QString CNameList::Name(PlayerId player) const
{
    // The bytes follow the tournament's encoding, also once it has become UTF-8.
    return ToQString(m_tournament.PlayerName(player), m_tournament.m_encoding);
}

void CNameList::Clear()
{
    beginResetModel();
    m_sorted.clear();
    m_offered.clear();
    endResetModel();
}

void CNameList::Update()
{
    beginResetModel();
    const QCollator collator = NameCollator();
    const std::size_t names = m_tournament.m_players.Size();
    const std::size_t known = std::min(m_sorted.size(), names);
    m_sorted.resize(known);
    if (known == 0 || names - known > known / 8) {
        // Many new names (a file read): one key per name, then a sort that compares bytes
        // only. Equal names keep the order of the standings.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(names);
        for (std::size_t id = 0; id < names; ++id)
            keys.push_back(collator.sortKey(Name(static_cast<PlayerId>(id))));
        std::vector<std::size_t> rowOf(names, m_standings.m_rows.size());
        for (std::size_t row = 0; row < m_standings.m_rows.size(); ++row)
            rowOf[m_standings.m_rows[row].m_player] = row;
        m_sorted.resize(names);
        std::iota(m_sorted.begin(), m_sorted.end(), PlayerId{0});
        std::stable_sort(m_sorted.begin(), m_sorted.end(), [&](PlayerId a, PlayerId b) {
            const int order = keys[a].compare(keys[b]);
            return order != 0 ? order < 0 : rowOf[a] < rowOf[b];
        });
    } else {
        // A few new names (typed in the editor): each into its place, after its equals.
        for (std::size_t id = known; id < names; ++id) {
            const QString name = Name(static_cast<PlayerId>(id));
            const auto at = std::upper_bound(m_sorted.begin(), m_sorted.end(), name, [&](const QString& n, PlayerId other) {
                return collator.compare(n, Name(other)) < 0;
            });
            m_sorted.insert(at, static_cast<PlayerId>(id));
        }
    }
    // The tournament may keep names that no result uses any more: only players are offered.
    std::vector<bool> playing(names);
    for (const CPlayerRow& row : m_standings.m_rows)
        playing[row.m_player] = true;
    m_offered.clear();
    std::copy_if(m_sorted.begin(), m_sorted.end(), std::back_inserter(m_offered),
                 [&](PlayerId id) { return playing[id]; });
    endResetModel();
}

int CNameList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_offered.size());
}

QVariant CNameList::data(const QModelIndex& index, int role) const
{
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_offered.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Name(m_offered[row]);
}
