// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/NameMatch.h"
#include "model/Tournament.h"
#include "report/Standings.h"

#include <QAbstractListModel>

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

// The players of the standings in alphabetical order, as the round editor offers them: a list
// model over the tournament's names. A file's names are sorted on a thread of their own, so that
// the window shows the tournament without waiting for them; names typed later go into their
// places as they join. The list is complete whenever it is asked for (waiting for the sort if it
// is still running), and the near-duplicate index is taken in beside it.
class CNameList : public QAbstractListModel
{
public:
    // `registered`: players offered also without a row (the club's known players).
    CNameList(const CTournament& tournament, const CStandings& standings,
              const std::vector<PlayerId>* registered = nullptr, QObject* parent = nullptr);
    ~CNameList() override;

    const CStandings& Standings() const { return m_standings; }
    // Another tournament: forget its names.
    void Clear();
    // The standings changed: the names new to the tournament are to be sorted in, and the
    // players that have a row offered.
    void Update();
    // Returns once the sorting running in the background has ended (benchmarks).
    void WaitForSort() const;
    // The first player of the tournament whose name is probably `name` spelled another way
    // (files/NameMatch.h); false when none is.
    bool FindNearDuplicate(const QString& name, PlayerId& match);
    // Starts taking the tournament's names into the near-duplicate index in the background.
    void PrepareMatches() { m_matches.Prepare(m_tournament); }
    // The same rule for results pasted or imported.
    CNameMatcher& Matcher() { return m_matches; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // A name looked for whole, as the name box does when it loses the focus or its editing ends,
    // is found by its place in the order rather than by reading every row.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override;

private:
    QString Name(PlayerId player) const;
    // Brings the list up to date with the tournament; called by whatever reads it.
    void Refresh() const;
    void StopSort();

    const CTournament& m_tournament;
    const CStandings& m_standings;
    const std::vector<PlayerId>* m_registered;
    const std::vector<PlayerId>& Offered() const { return m_allOffered ? m_sorted : m_offered; }

    // Filled in by Refresh, from the read-only calls of the model too.
    mutable std::vector<PlayerId> m_sorted;  // every name of the tournament, in alphabetical order
    mutable std::vector<PlayerId> m_offered; // those with a row in the standings, unless that is all of them
    mutable bool m_allOffered = true;
    mutable bool m_stale = false;
    mutable std::future<std::vector<PlayerId>> m_sorting; // the names of a file, sorted apart
    std::size_t m_sortingCount = 0;                       // how many names that sort takes
    std::shared_ptr<std::atomic<bool>> m_cancel;          // of that sort
    CNameMatchIndex m_matches;
};
