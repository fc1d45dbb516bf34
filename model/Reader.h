// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CRoundBuilder;

// What the reader accepts but a person may not have meant, by line: a player listed twice in
// one round (the later points count, at the first place), a round with a name and no results.
struct CReadNote
{
    enum Kind { Repeated, NoResults } m_kind;
    int m_lineNo;         // the later line of the player; the round's name line
    int m_firstLineNo;    // the player's first line in the round; 0 for NoResults
    std::string m_round;  // the round's name, as read
    std::string m_player; // as read; empty for NoResults
};

// Reads a tournament file piece by piece, so that the file never has to be held whole. Each
// piece given to Feed ends right after a line feed, except the file's last piece.
class CTournamentParser
{
public:
    // Fills `tournament`, which the caller has cleared; it must outlive the parser.
    explicit CTournamentParser(CTournament& tournament);
    ~CTournamentParser();
    CTournamentParser(const CTournamentParser&) = delete;
    CTournamentParser& operator=(const CTournamentParser&) = delete;

    // From now on, notes go to `notes` (which must outlive the parser), in the order of their lines.
    void KeepNotes(std::vector<CReadNote>* notes) { m_notes = notes; }
    void Feed(std::string_view lines);
    // After the last piece: decides the encoding and the outcome, as ParseTournament does.
    bool Finish(std::string& line, int& lineNo, std::string& message);

private:
    enum class State { Title, Between, InRound, Refused };

    void CheckEncoding(std::string_view lines);
    void OnLine(std::string_view raw);
    void Refuse(std::string_view text, const char* message);
    void EndRound();

    CTournament& m_tournament;
    std::unique_ptr<CRoundBuilder> m_builder;
    State m_state = State::Title;
    int m_lineNo = 0;
    std::uint64_t m_bytes = 0;
    bool m_markAtStart = false;
    bool m_nonAscii = false;
    bool m_utf8Valid = true;
    // The title as it reads when the file's byte-order mark is dropped.
    std::string m_titleAfterMark;
    std::string m_line, m_message, m_scratch;
    std::vector<CReadNote>* m_notes = nullptr;
    int m_roundLineNo = 0;
    std::vector<int> m_resultLineNos; // of the open round's results, while notes are kept
};

// Reads a whole tournament file (its bytes as they are on disk) into `tournament`, which the
// caller has cleared. Decides the file's encoding and drops a UTF-8 byte-order mark first: UTF-8
// when the file starts with the mark and the rest is valid UTF-8, or when it is valid UTF-8 as
// a whole and holds a non-ASCII byte; otherwise Windows-1252 (pure ASCII included).
// Lines end at LF (a CR right before it goes with it; a last line without LF still counts);
// tabs count as blanks and each line is trimmed. On the first refused line returns false with
// the reader's message in `message`, and `line`/`lineNo` naming that line (`lineNo` 0 when no
// line was read); the round in progress is dropped, the complete rounds before it stay.
bool ParseTournament(std::string_view fileText, CTournament& tournament, std::string& line, int& lineNo,
                     std::string& message);

// Splits a trimmed result line into the player's name (the tokens before the last, joined by
// one blank) and the points token. The name is a view into the line, or into `scratch` when
// blanks had to be joined. False when there are fewer than two tokens.
bool SplitResultLine(std::string_view line, std::string& scratch, std::string_view& name,
                     std::string_view& pointsToken);

// The prefix that names a refused line in the reader's message: "Rad %d : \"%s\"\n";
// empty when `lineNo` is 0.
std::string LinePrefix(int lineNo, const std::string& line);
