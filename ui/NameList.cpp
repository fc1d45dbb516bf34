// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/NameList.h"

#include "ui/Controls.h"
#include "ui/Platform.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

CNameList::CNameList(const CTournament& tournament, const CStandings& standings,
                     const std::vector<PlayerId>* registered, QObject* parent)
    : QAbstractListModel(parent)
    , m_tournament(tournament)
    , m_standings(standings)
    , m_registered(registered)
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
    m_allOffered = true;
    m_matches.Clear();
    endResetModel();
}

bool CNameList::FindNearDuplicate(const QString& name, PlayerId& match)
{
    return m_matches.FindMatch(m_tournament, name.toStdU16String(), match);
}

void CNameList::Update()
{
    // The near-duplicate index is built beside the sort, off the click of the first new name.
    m_matches.Prepare(m_tournament);
    beginResetModel();
    const QCollator collator = NameCollator();
    const std::size_t names = m_tournament.m_players.Size();
    const std::size_t known = std::min(m_sorted.size(), names);
    m_sorted.resize(known);
    if (known == 0 || names - known > known / 8) {
        // Many new names (a file read): sorted by collation keys, equal names in the order of
        // the standings. A key costs a hundred bytes or so, so the keys of one chunk of names
        // at a time are held, and the sorted chunks are merged with the keys of their heads.
        const auto before = [&](const QCollatorSortKey& keyA, PlayerId a, const QCollatorSortKey& keyB, PlayerId b) {
            const int order = keyA.compare(keyB);
            if (order != 0)
                return order < 0;
            const std::uint32_t rowA = m_standings.RowOf(a), rowB = m_standings.RowOf(b);
            return rowA != rowB ? rowA < rowB : a < b;
        };
        constexpr std::size_t kChunk = 4096;
        m_sorted.resize(names);
        for (std::size_t start = 0; start < names; start += kChunk) {
            const std::size_t end = std::min(start + kChunk, names);
            std::vector<QCollatorSortKey> keys;
            keys.reserve(end - start);
            for (std::size_t id = start; id < end; ++id)
                keys.push_back(collator.sortKey(Name(static_cast<PlayerId>(id))));
            const auto first = m_sorted.begin() + static_cast<std::ptrdiff_t>(start);
            const auto last = m_sorted.begin() + static_cast<std::ptrdiff_t>(end);
            std::iota(first, last, static_cast<PlayerId>(start));
            std::sort(first, last,
                      [&](PlayerId a, PlayerId b) { return before(keys[a - start], a, keys[b - start], b); });
        }
        if (names > kChunk) {
            struct CHead
            {
                QCollatorSortKey key;
                std::size_t at, end;
            };
            std::vector<CHead> heads;
            for (std::size_t start = 0; start < names; start += kChunk)
                heads.push_back({collator.sortKey(Name(m_sorted[start])), start, std::min(start + kChunk, names)});
            // A heap whose top is the head that comes first.
            const auto later = [&](const CHead& a, const CHead& b) {
                return before(b.key, m_sorted[b.at], a.key, m_sorted[a.at]);
            };
            std::make_heap(heads.begin(), heads.end(), later);
            std::vector<PlayerId> merged;
            merged.reserve(names);
            while (!heads.empty()) {
                std::pop_heap(heads.begin(), heads.end(), later);
                CHead& head = heads.back();
                merged.push_back(m_sorted[head.at]);
                if (++head.at == head.end) {
                    heads.pop_back();
                    continue;
                }
                head.key = collator.sortKey(Name(m_sorted[head.at]));
                std::push_heap(heads.begin(), heads.end(), later);
            }
            m_sorted.swap(merged);
        }
    } else {
        // A few new names (typed in the editor): each into its place, after its equals.
        for (std::size_t id = known; id < names; ++id) {
            const QString name = Name(static_cast<PlayerId>(id));
            const auto at =
                std::upper_bound(m_sorted.begin(), m_sorted.end(), name, [&](const QString& n, PlayerId other) {
                    return collator.compare(n, Name(other)) < 0;
                });
            m_sorted.insert(at, static_cast<PlayerId>(id));
        }
    }
    // The tournament may keep names that no result uses any more: only players are offered.
    // Mostly every name has a row, and the sorted names are offered as they are.
    std::vector<PlayerId>().swap(m_offered);
    m_allOffered = m_standings.m_rows.size() == names;
    if (!m_allOffered) {
        std::vector<bool> playing(names);
        for (const CPlayerRow& row : m_standings.m_rows)
            playing[row.m_player] = true;
        for (std::size_t i = 0; m_registered && i < m_registered->size(); ++i)
            playing[(*m_registered)[i]] = true;
        std::copy_if(m_sorted.begin(), m_sorted.end(), std::back_inserter(m_offered),
                     [&](PlayerId id) { return playing[id]; });
    }
    endResetModel();
}

int CNameList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Offered().size());
}

QVariant CNameList::data(const QModelIndex& index, int role) const
{
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= Offered().size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Name(Offered()[row]);
}
