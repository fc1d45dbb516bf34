// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"
#include "files/TextFile.h"
#include "model/ClubPlayers.h"
#include "model/PlayerRename.h"
#include "model/Reader.h"
#include "model/RoundDelta.h"
#include "model/SeriesRules.h"
#include "model/Tournament.h"
#include "model/TournamentEncoding.h"
#include "report/Standings.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The open tournament with everything that has to follow it: its file and that file's status
// when it was read, its encoding, its standings and whether it was changed since. Every change
// goes through here, so that the standings and the changed flag never fall behind the rounds.
// The window and the tool each hold one.
class CTournamentDoc : public QObject
{
    Q_OBJECT
public:
    explicit CTournamentDoc(QObject* parent = nullptr);

    const CTournament& Tournament() const { return m_tournament; }
    // The tournament as it is now, with the working round (below), shared and read-only: the
    // recovery file, the served page and the publication all take this one copy, made on the
    // first call after a change.
    std::shared_ptr<const CTournament> Snapshot();
    // The standings of all rounds; empty after a read that was not accepted.
    const CStandings& Standings() const { return m_standings; }
    // Full path of the tournament file; it stays when the tournament is dropped.
    const QString& Path() const { return m_path; }
    const CFileStatus& FileStatus() const { return m_fileStatus; }
    bool Changed() const { return m_changed; }
    TextEncoding Encoding() const { return m_tournament.m_encoding; }

    // Drops the open tournament without saving; it counts as unchanged.
    void Clear();
    // Drops the open tournament and reads `path`. After a refused line, the rounds before it
    // stay, without standings; a read error keeps nothing. The path and status are taken from
    // every file that could be opened. The tournament counts as unchanged whatever the outcome.
    // With `notes`, also what the reader accepted but a person may not have meant.
    CFileResult Read(const QString& path, std::vector<CReadNote>* notes = nullptr);

    // Continues with `tournament` (recovered unsaved changes) in place of what was read: the
    // file and its status stay; it counts as changed.
    void Recover(CTournament tournament);

    void SetTitle(std::string title);
    // What the tournament is now counts as unchanged (the window has shown what it read).
    void ClearChanged() { SetChanged(false); }
    // The tournament differs from its file again (a step taken back to before the last save).
    void MarkChanged() { SetChanged(true); }
    void AddRound(CRound round);
    // Puts `round` in the place of round `index`, which must exist.
    void ReplaceRound(std::size_t index, CRound round);
    void RemoveRound(std::size_t index);
    // The player of that name, added to the tournament's names when new; results refer to it.
    PlayerId AddPlayer(std::string_view name);

    // The round open in the editor: a copy that takes the place of round `replaces` when the
    // editor is done, or is added (SIZE_MAX); null once the editor is closed. It must outlive
    // the editor's run. What follows the tournament's changes (the recovery file, the page on
    // phones) shows it meanwhile.
    void SetWorkingRound(const CRound* round, std::size_t replaces = SIZE_MAX);
    const CRound* WorkingRound() const { return m_working; }
    // The working round changed: heard as a change (edited), though the tournament is not yet.
    void WorkingRoundEdited()
    {
        m_snapshot.reset();
        emit edited();
    }
    // Whether the working round holds something its place in the tournament does not.
    bool WorkingRoundDiffers() const;
    // A copy of the tournament with the working round where the editor's close puts it: a new
    // round once it has a result, and one with results but no name yet as "Omgång N" (its place).
    CTournament WithWorkingRound() const;

    // The steps of the window's undo, each the way back of a change above or its way forth again.
    // Puts `round` in place `index` (at most the number of rounds).
    void InsertRound(std::size_t index, CRound round);
    // Removes round `index` and hands it over.
    CRound TakeRound(std::size_t index);
    // Moves round `from` to place `to` (both existing places); the others keep their order.
    void MoveRound(std::size_t from, std::size_t to);
    // Changes round `index` as `delta` says, back to what it was when `undo`.
    void ChangeRound(std::size_t index, const CRoundDelta& delta, bool undo);
    // Exchanges the whole tournament with `other`: a version brought back, a file read again.
    void SwapTournament(CTournament& other);
    // Exchanges the names and the encoding with `text`: a conversion taken back or done again.
    void SwapText(CTournamentText& text);

    // Text the tournament's encoding cannot hold: whether the user refused UTF-8 for this
    // tournament, the refusal, and the conversion (with the mark when `byteOrderMark`).
    bool Utf8Refused() const { return m_utf8Refused; }
    void RefuseUtf8() { m_utf8Refused = true; }
    void ConvertToUtf8(bool byteOrderMark);

    // Writes the standings page of the first `rounds` rounds beside the tournament file (its
    // full path in `pagePath`).
    CFileResult WritePage(QString& pagePath, std::size_t rounds = SIZE_MAX);
    // The same with the table of class `onlyClass` (UTF-8, one the players file names) alone.
    CFileResult WritePage(QString& pagePath, std::size_t rounds, const std::string& onlyClass);
    // After a save: the page beside the file, when there is one, is written anew with the
    // standings as saved (of the tournament as the saved file reads back); none is made where
    // there is none.
    CFileResult RefreshPage();
    // The standings of all rounds, ranked.
    const CStandings& RankedStandings();
    // Saves the tournament over its file: the title trimmed first, the old file kept under its
    // backup name. When the file is gone, `anew` writes it again; otherwise that is refused.
    // Done clears the changed flag, and the new file's status is the one kept.
    CFileResult Save(bool anew = false);

    // The series rules in force, from the rules file beside the tournament file (none when
    // there is none, or it was refused); and how reading that file went when it was last read.
    const CSeriesRules& Rules() const { return m_rules; }
    const CFileResult& RulesResult() const { return m_rulesResult; }
    // Reads the rules file again, as it is now on disk.
    const CFileResult& ReloadRules();
    // Sets the rules and writes them at once, removing the file when none is left; nothing is
    // written when they are what is in force already.
    CFileResult SetRules(const CSeriesRules& rules);
    // The rules file's bytes as they are on disk; none when there is no rules file.
    std::optional<std::string> RulesFileBytes() const;
    // Puts the rules file back to `bytes` (removed when none) by the same safe replace; the rules
    // are read again and whatever follows the tournament hears of it (edited).
    CFileResult PutRulesFile(const std::optional<std::string>& bytes);

    // The club's players from the players file beside the tournament file (nobody when there
    // is none, or it was refused), and how reading it went when it was last read.
    const CClubPlayers& ClubPlayers() const { return m_clubPlayers; }
    const CFileResult& PlayersResult() const { return m_playersResult; }
    // Reads the players file again, as it is now on disk.
    const CFileResult& ReloadPlayers();
    // The players the players file names, known to the tournament even before their first
    // result (its names hold them), in the file's order. A name its encoding cannot hold is none.
    const std::vector<PlayerId>& Registered() const { return m_registered; }
    // Sets the club's players and writes them at once, removing the file when nobody is left;
    // nothing is written when they are what is in force already.
    // `renamed`: the renames made meanwhile, whose lines keep their places (ClubPlayersText).
    CFileResult SetClubPlayers(const CClubPlayers& players, const CRenamedNames& renamed = {});
    // The players file's bytes as they are on disk (none when there is none), and the file put
    // back to `bytes` (removed when none) by the safe replace, then read again.
    std::optional<std::string> PlayersFileBytes() const;
    CFileResult PutPlayersFile(const std::optional<std::string>& bytes);

    // Gives player `from`'s results to `to` in every round (a rename, or a merge when `to` has
    // results); the rounds where both have one must be none. ApplyRename takes it back or
    // makes it again: the steps of the window's undo.
    CPlayerRename RenamePlayer(PlayerId from, PlayerId to);
    void ApplyRename(const CPlayerRename& rename, bool undo);

    // How the file on disk stands against the status taken when it was read: the same file,
    // changed or replaced by another program, or gone.
    enum class DiskState { Same, Changed, Gone };
    DiskState FileOnDisk() const;
    // From now on, watch the tournament file (and its folder, as editors save by renaming)
    // and report when it changes on disk: fileChangedOnDisk.
    void WatchFile();

signals:
    // The standings were rebuilt or grew: whatever lists the players follows.
    void standingsChanged();
    // Another tournament (or none): whatever lists its players forgets them.
    void cleared();
    // The names of a tournament just read are all there; its standings follow.
    void namesRead();
    // The same tournament with its names replaced (ids meaning other names): lists of them start afresh.
    void namesReplaced();
    void changedFlagChanged(bool changed);
    // A round was added, removed or changed, or the rounds were replaced: whatever lists them follows.
    void roundsChanged();
    // Something of the tournament was changed: title, rounds, results, encoding or rules; each
    // change, also when it had changes already.
    void edited();
    // The file on disk differs from what was last seen of it; once for each new state.
    void fileChangedOnDisk();

private:
    void RebuildStandings();
    CFileResult WritePageOf(const CTournament& tournament, QString& pagePath, std::size_t rounds,
                            const std::string& onlyClass);
    // Replaces (or removes) the rules file by `write`, its version as it is kept beside it first
    // as NAME_YYMMDD_hhmmss.regler.bak; nothing is kept when the write fails, and nothing is
    // written when the version cannot be kept.
    CFileResult ReplaceRulesFile(const std::function<CFileResult(const QString& path)>& write);
    void SetChanged(bool changed);
    // Makes the players file's names the tournament's, for Registered().
    void RegisterClubPlayers();
    // Watches the current file afresh, its status as read being what was last seen.
    void Rewatch();
    void OnDiskEvent();

    CTournament m_tournament;
    std::shared_ptr<const CTournament> m_snapshot; // WithWorkingRound(), until either changes
    CStandings m_standings;
    CSeriesRules m_rules;
    CFileResult m_rulesResult;
    CClubPlayers m_clubPlayers;
    CFileResult m_playersResult;
    std::vector<PlayerId> m_registered;
    // False while the standings lack rounds (after a refused read): the next change rebuilds them.
    bool m_standingsInStep = true;
    QString m_path;
    CFileStatus m_fileStatus;
    bool m_utf8Refused = false;
    bool m_changed = false;
    std::optional<CTournament> m_savedAs; // as the file last saved reads back, until its page is made
    const CRound* m_working = nullptr;
    std::size_t m_workingReplaces = SIZE_MAX;
    QFileSystemWatcher* m_watcher = nullptr; // while watching
    CFileStatus m_seen;                      // of the file on disk, as last reported
};
