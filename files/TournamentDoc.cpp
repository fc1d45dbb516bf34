// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TournamentDoc.h"

#include "files/RulesFile.h"
#include "files/TournamentFile.h"
#include "model/TournamentEncoding.h"
#include "report/StandingsView.h"

#include <QFileInfo>

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
    m_rules = CSeriesRules();
    m_rulesResult = CFileResult();
    emit cleared();
    SetChanged(false);
}

CFileResult CTournamentDoc::Read(const QString& path)
{
    Clear();
    CLoadedTournament loaded;
    CFileResult result = LoadTournamentFile(path, loaded);
    if (result.m_kind != CFileResult::CannotOpen) {
        m_path = loaded.m_path;
        m_fileStatus = loaded.m_status;
        m_tournament = std::move(loaded.m_tournament);
        m_snapshot.reset();
        Rewatch();
        ReloadRules();
    }
    // The rounds before a refused line stay, for a later change to build on; the standings
    // are filled only from a file read whole.
    if (result.Ok())
        RebuildStandings();
    else
        m_standingsInStep = m_tournament.m_rounds.empty();
    return result;
}

void CTournamentDoc::Recover(CTournament tournament)
{
    m_tournament = std::move(tournament);
    m_utf8Refused = false;
    emit cleared();
    RebuildStandings();
    SetChanged(true);
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
    emit roundsChanged();
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
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::RemoveRound(std::size_t index)
{
    m_tournament.m_rounds.erase(m_tournament.m_rounds.begin() + static_cast<std::ptrdiff_t>(index));
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::InsertRound(std::size_t index, CRound round)
{
    m_tournament.m_rounds.insert(m_tournament.m_rounds.begin() + static_cast<std::ptrdiff_t>(index), std::move(round));
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

CRound CTournamentDoc::TakeRound(std::size_t index)
{
    CRound round = std::move(m_tournament.m_rounds[index]);
    RemoveRound(index);
    return round;
}

void CTournamentDoc::ChangeRound(std::size_t index, const CRoundDelta& delta, bool undo)
{
    CRound& round = m_tournament.m_rounds[index];
    undo ? delta.Undo(round) : delta.Redo(round);
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::SwapTournament(CTournament& other)
{
    std::swap(m_tournament, other);
    // Other players under the same ids: whatever lists names starts afresh.
    emit namesReplaced();
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

void CTournamentDoc::SwapText(CTournamentText& text)
{
    ::SwapText(m_tournament, text);
    emit namesReplaced();
    RebuildStandings();
    emit roundsChanged();
    SetChanged(true);
}

PlayerId CTournamentDoc::AddPlayer(std::string_view name)
{
    m_snapshot.reset();
    return m_tournament.AddPlayer(name);
}

void CTournamentDoc::ConvertToUtf8(bool byteOrderMark)
{
    ::ConvertToUtf8(m_tournament, byteOrderMark);
    m_snapshot.reset();
    emit edited();
}

std::shared_ptr<const CTournament> CTournamentDoc::Snapshot()
{
    if (!m_snapshot)
        m_snapshot = std::make_shared<const CTournament>(m_tournament);
    return m_snapshot;
}

const CStandings& CTournamentDoc::RankedStandings()
{
    m_standings.BuildRanking();
    return m_standings;
}

CFileResult CTournamentDoc::WritePage(QString& pagePath, std::size_t rounds)
{
    // A rules file mended since it was refused counts at once; one still refused stops the page.
    if (!ReloadRules().Ok())
        return m_rulesResult;
    if (rounds < m_tournament.m_rounds.size())
        return WriteStandingsPage(m_path, CStandingsView(m_tournament, m_rules, rounds), pagePath);
    return WriteStandingsPage(m_path, CStandingsView(m_tournament, RankedStandings(), m_rules), pagePath);
}

const CFileResult& CTournamentDoc::ReloadRules()
{
    m_rulesResult = LoadRulesFile(m_path, m_rules);
    return m_rulesResult;
}

CFileResult CTournamentDoc::SetRules(const CSeriesRules& rules)
{
    if (rules == m_rules && m_rulesResult.Ok())
        return {};
    CFileResult result = SaveRulesFile(m_path, rules);
    if (result.Ok()) {
        m_rules = rules;
        m_rulesResult = CFileResult();
        emit edited();
    }
    return result;
}

CFileResult CTournamentDoc::Save(bool anew)
{
    CFileResult result = SaveTournamentFile(m_tournament, m_path, anew);
    m_snapshot.reset(); // the title trimmed
    if (result.Ok()) {
        // What is on disk now is this tournament: later changes are measured from it.
        ReadFileStatus(m_path, m_fileStatus);
        Rewatch();
        SetChanged(false);
    }
    return result;
}

CTournamentDoc::DiskState CTournamentDoc::FileOnDisk() const
{
    CFileStatus now;
    if (m_fileStatus.m_size < 0)
        return DiskState::Same; // nothing was read
    if (!ReadFileStatus(m_path, now))
        return DiskState::Gone;
    return now == m_fileStatus ? DiskState::Same : DiskState::Changed;
}

void CTournamentDoc::WatchFile()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &CTournamentDoc::OnDiskEvent);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &CTournamentDoc::OnDiskEvent);
    Rewatch();
}

void CTournamentDoc::Rewatch()
{
    m_seen = m_fileStatus;
    if (!m_watcher)
        return;
    if (!m_watcher->files().isEmpty() || !m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->files() + m_watcher->directories());
    if (m_path.isEmpty())
        return;
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    m_watcher->addPath(m_path);
}

void CTournamentDoc::OnDiskEvent()
{
    // A file put in place by a rename is a new one: the old watch went with the old file. The
    // folder's event may come before the old watch is gone and the file's after it, when the
    // new status has been seen already: so the watch is renewed on every event.
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    CFileStatus now;
    if (!ReadFileStatus(m_path, now) || now == m_seen)
        return;
    m_seen = now;
    emit fileChangedOnDisk();
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
    // Every change of the tournament ends here (a save, which may trim the title, too).
    m_snapshot.reset();
    if (changed)
        emit edited();
    if (changed == m_changed)
        return;
    m_changed = changed;
    emit changedFlagChanged(changed);
}
