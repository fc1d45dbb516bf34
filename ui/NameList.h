// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/NameMatch.h"
#include "model/Tournament.h"
#include "report/Standings.h"

#include <QAbstractListModel>

#include <vector>

// The players of the standings in alphabetical order, as the round editor offers them: a list
// model over the tournament's names. The names are sorted as they join the tournament, so a
// change of the standings costs one pass, and opening the editor nothing.
class CNameList : public QAbstractListModel
{
public:
    CNameList(const CTournament& tournament, const CStandings& standings, QObject* parent = nullptr);

    const CStandings& Standings() const { return m_standings; }
    // Another tournament: forget its names.
    void Clear();
    // The standings changed: sorts the names new to the tournament and offers the players
    // that have a row.
    void Update();
    // The first player of the tournament whose name is probably `name` spelled another way
    // (files/NameMatch.h); false when none is.
    bool FindNearDuplicate(const QString& name, PlayerId& match);
    // The same rule for results pasted or imported.
    CNameMatcher& Matcher() { return m_matches; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QString Name(PlayerId player) const;

    const CTournament& m_tournament;
    const CStandings& m_standings;
    const std::vector<PlayerId>& Offered() const { return m_allOffered ? m_sorted : m_offered; }

    std::vector<PlayerId> m_sorted;  // every name of the tournament, in alphabetical order
    std::vector<PlayerId> m_offered; // those with a row in the standings, unless that is all of them
    bool m_allOffered = true;
    CNameMatchIndex m_matches;
};
