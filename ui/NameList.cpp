// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/NameList.h"

#include "ui/Controls.h"
#include "ui/Platform.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace {

// The names in alphabetical order, equal names in the order of their rows in the standings
// (`rows`, by player). A collation key costs a hundred bytes or so, so the keys of one chunk of
// names at a time are held, and the sorted chunks are merged with the keys of their heads.
// Empty when cancelled.
std::vector<PlayerId> SortNames(const CPlayerNames& players, TextEncoding encoding,
                                const std::vector<std::uint32_t>& rows, const std::atomic<bool>& cancel)
{
    const QCollator collator = NameCollator();
    const auto key = [&](PlayerId id) { return collator.sortKey(ToQString(players.Name(id), encoding)); };
    const auto before = [&](const QCollatorSortKey& keyA, PlayerId a, const QCollatorSortKey& keyB, PlayerId b) {
        const int order = keyA.compare(keyB);
        if (order != 0)
            return order < 0;
        return rows[a] != rows[b] ? rows[a] < rows[b] : a < b;
    };
    constexpr std::size_t kChunk = 4096;
    const std::size_t names = players.Size();
    std::vector<PlayerId> sorted(names);
    for (std::size_t start = 0; start < names; start += kChunk) {
        if (cancel)
            return {};
        const std::size_t end = std::min(start + kChunk, names);
        std::vector<QCollatorSortKey> keys;
        keys.reserve(end - start);
        for (std::size_t id = start; id < end; ++id)
            keys.push_back(key(static_cast<PlayerId>(id)));
        const auto first = sorted.begin() + static_cast<std::ptrdiff_t>(start);
        const auto last = sorted.begin() + static_cast<std::ptrdiff_t>(end);
        std::iota(first, last, static_cast<PlayerId>(start));
        std::sort(first, last, [&](PlayerId a, PlayerId b) { return before(keys[a - start], a, keys[b - start], b); });
    }
    if (names <= kChunk)
        return sorted;
    struct CHead
    {
        QCollatorSortKey key;
        std::size_t at, end;
    };
    std::vector<CHead> heads;
    for (std::size_t start = 0; start < names; start += kChunk)
        heads.push_back({key(sorted[start]), start, std::min(start + kChunk, names)});
    // A heap whose top is the head that comes first.
    const auto later = [&](const CHead& a, const CHead& b) { return before(b.key, sorted[b.at], a.key, sorted[a.at]); };
    std::make_heap(heads.begin(), heads.end(), later);
    std::vector<PlayerId> merged;
    merged.reserve(names);
    while (!heads.empty()) {
        if (merged.size() % kChunk == 0 && cancel)
            return {};
        std::pop_heap(heads.begin(), heads.end(), later);
        CHead& head = heads.back();
        merged.push_back(sorted[head.at]);
        if (++head.at == head.end) {
            heads.pop_back();
            continue;
        }
        head.key = key(sorted[head.at]);
        std::push_heap(heads.begin(), heads.end(), later);
    }
    return merged;
}

} // namespace

CNameList::CNameList(const CTournament& tournament, const CStandings& standings,
                     const std::vector<PlayerId>* registered, QObject* parent)
    : QAbstractListModel(parent)
    , m_tournament(tournament)
    , m_standings(standings)
    , m_registered(registered)
{
}

CNameList::~CNameList()
{
    StopSort();
}

QString CNameList::Name(PlayerId player) const
{
    // The bytes follow the tournament's encoding, also once it has become UTF-8.
    return ToQString(m_tournament.PlayerName(player), m_tournament.m_encoding);
}

void CNameList::Clear()
{
    beginResetModel();
    StopSort();
    m_sorted.clear();
    m_offered.clear();
    m_allOffered = true;
    m_stale = false;
    m_matches.Clear();
    endResetModel();
}

void CNameList::StopSort()
{
    if (!m_sorting.valid())
        return;
    *m_cancel = true;
    m_sorting.get();
}

void CNameList::WaitForSort() const
{
    if (m_sorting.valid())
        m_sorting.wait();
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
    const std::size_t names = m_tournament.m_players.Size();
    const std::size_t known = m_sorting.valid() ? m_sortingCount : std::min(m_sorted.size(), names);
    if (names > 0 && (known == 0 || names - known > known / 8)) {
        // Many new names (a file read): all sorted anew, apart, from copies of the names and
        // of their rows; a sort still running for fewer of them is dropped.
        StopSort();
        std::vector<std::uint32_t> rows(names);
        for (std::size_t id = 0; id < names; ++id)
            rows[id] = m_standings.RowOf(static_cast<PlayerId>(id));
        m_cancel = std::make_shared<std::atomic<bool>>(false);
        m_sorting =
            std::async(std::launch::async,
                       [players = m_tournament.m_players, encoding = m_tournament.m_encoding, rows = std::move(rows),
                        cancel = m_cancel] { return SortNames(players, encoding, rows, *cancel); });
        m_sortingCount = names;
        m_sorted.clear();
    }
    m_stale = true;
    endResetModel();
}

void CNameList::Refresh() const
{
    if (!m_stale)
        return;
    m_stale = false;
    if (m_sorting.valid())
        m_sorted = m_sorting.get();
    const QCollator collator = NameCollator();
    const std::size_t names = m_tournament.m_players.Size();
    m_sorted.resize(std::min(m_sorted.size(), names));
    // A few new names (typed in the editor): each into its place, after its equals.
    for (std::size_t id = m_sorted.size(); id < names; ++id) {
        const QString name = Name(static_cast<PlayerId>(id));
        const auto at = std::upper_bound(m_sorted.begin(), m_sorted.end(), name, [&](const QString& n, PlayerId other) {
            return collator.compare(n, Name(other)) < 0;
        });
        m_sorted.insert(at, static_cast<PlayerId>(id));
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
}

int CNameList::rowCount(const QModelIndex& parent) const
{
    Refresh();
    return parent.isValid() ? 0 : static_cast<int>(Offered().size());
}

QVariant CNameList::data(const QModelIndex& index, int role) const
{
    Refresh();
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= Offered().size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Name(Offered()[row]);
}

QModelIndexList CNameList::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                 Qt::MatchFlags flags) const
{
    // The box asks with MatchFixedString when its editing ends: for text, the same whole compare.
    const bool whole = flags == (Qt::MatchExactly | Qt::MatchCaseSensitive) || flags == Qt::MatchExactly ||
                       flags == (Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (!whole || start.row() != 0 || start.parent().isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) ||
        value.typeId() != QMetaType::QString || hits == 0)
        return QAbstractListModel::match(start, role, value, hits, flags);
    Refresh();
    // The rows are in the collator's order, which holds equal strings together.
    const QString text = value.toString();
    const QCollator collator = NameCollator();
    const std::vector<PlayerId>& offered = Offered();
    auto at = std::lower_bound(offered.begin(), offered.end(), text, [&](PlayerId player, const QString& t) {
        return collator.compare(Name(player), t) < 0;
    });
    QModelIndexList found;
    for (; at != offered.end() && collator.compare(Name(*at), text) == 0; ++at) {
        if (Name(*at) == text) {
            found.append(index(static_cast<int>(at - offered.begin())));
            if (found.size() == hits)
                break;
        }
    }
    return found;
}
