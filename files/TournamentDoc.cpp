// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TournamentDoc.h"

#include "files/TournamentFile.h"
#include "model/TournamentEncoding.h"
#include "report/StandingsView.h"

#include <utility>

CTournamentDoc::CTournamentDoc(QObject* parent)
    : QObject(parent)
{
}

void CTournamentDoc::Clear()
{
    m_tournament.Clear();
    m_standings.Clear();
    m_standingsInStep = true;
    m_utf8Refused = false;
    emit cleared();
    SetChanged(false);
}

CFileResult CTournamentDoc::Read(const QString& path)
{
    Clear();
    CLoadedTournament loaded;
    const CFileResult result = LoadTournamentFile(path, loaded);
    if (result.m_kind != CFileResult::CannotOpen) {
        m_path = loaded.m_path;
        m_fileStatus = loaded.m_status;
        m_tournament = std::move(loaded.m_tournament);
    }
    // The rounds before a refused line stay, for a later change to build on; the standings
    // are filled only from a file read whole.
    if (result.Ok())
        RebuildStandings();
    else
        m_standingsInStep = m_tournament.m_rounds.empty();
    return result;
}

void CTournamentDoc::SetTitle(std::string title)
{
    m_tournament.m_title = std::move(title);
    SetChanged(true);
}

void CTournamentDoc::AddRound(CRound round)
{
    m_tournament.AddRound(std::move(round));
    // The last round only adds to what the others gave: no rebuild from the first round on.
    if (m_standingsInStep) {
        AddToStandings(m_standings, m_tournament.m_rounds.back());
        emit standingsChanged();
    } else {
        RebuildStandings();
    }
    SetChanged(true);
}

void CTournamentDoc::ReplaceRound(std::size_t index, CRound round)
{
    CRound& stored = m_tournament.m_rounds[index];
    // The standings hang on the results alone, not on the round's name.
    const bool resultsChanged = stored.m_results != round.m_results;
    stored = std::move(round);
    if (resultsChanged || !m_standingsInStep)
        RebuildStandings();
    SetChanged(true);
}

void CTournamentDoc::RemoveRound(std::size_t index)
{
    m_tournament.m_rounds.erase(m_tournament.m_rounds.begin() + static_cast<std::ptrdiff_t>(index));
    RebuildStandings();
    SetChanged(true);
}

PlayerId CTournamentDoc::AddPlayer(std::string_view name)
{
    return m_tournament.AddPlayer(name);
}

void CTournamentDoc::ConvertToUtf8(bool byteOrderMark)
{
    ::ConvertToUtf8(m_tournament, byteOrderMark);
}

const CStandings& CTournamentDoc::RankedStandings()
{
    m_standings.BuildRanking();
    return m_standings;
}

CFileResult CTournamentDoc::WritePage(QString& pagePath, std::size_t rounds)
{
    if (rounds < m_tournament.m_rounds.size())
        return WriteStandingsPage(m_path, CStandingsView(m_tournament, rounds), pagePath);
    return WriteStandingsPage(m_path, CStandingsView(m_tournament, RankedStandings()), pagePath);
}

CFileResult CTournamentDoc::Save()
{
    CFileResult result = SaveTournamentFile(m_tournament, m_path, m_fileStatus.LastModified());
    if (result.Ok())
        SetChanged(false);
    return result;
}

void CTournamentDoc::RebuildStandings()
{
    m_standings.Clear();
    AddToStandings(m_standings, m_tournament);
    m_standingsInStep = true;
    emit standingsChanged();
}

void CTournamentDoc::SetChanged(bool changed)
{
    if (changed == m_changed)
        return;
    m_changed = changed;
    emit changedFlagChanged(changed);
}
