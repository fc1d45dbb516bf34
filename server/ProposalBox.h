// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Encoding.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// One result sent from a phone: a suggestion the keeper sees, never an entry of the tournament.
struct CProposal
{
    enum class State { Waiting, Accepted, Rejected, Replaced };

    std::string m_id;        // random, for the log to name it by; never the round's code
    std::string m_sender;    // the phone's own list it belongs to
    std::string m_address;   // where it came from
    std::int64_t m_time = 0; // when, in seconds since the epoch
    std::string m_name;      // UTF-8, blanks folded
    std::string m_points;    // digits
    State m_state = State::Waiting;
    std::string m_reason; // why it was refused on arrival (UTF-8); empty otherwise
};

// What the box answers a request with.
struct CProposalAnswer
{
    unsigned m_status = 200;
    std::string m_body;
    std::string m_contentType = "text/html; charset=utf-8";
    std::string m_location; // a 303's
    int m_retryAfter = 0;   // seconds, for 429 and 503
};

// The proposals of the round being entered, taken from phones by the page server's threads and
// read by the window. Thread-safe throughout. The round is reached at "/r/TOKEN", TOKEN 128 bits
// of the system's random source; a new code ends the old one, and an ended code answers 410.
// Nothing here changes a tournament: the keeper accepts or rejects what waits.
class CProposalBox : public QObject
{
    Q_OBJECT
public:
    // The limits said to phones and kept.
    static constexpr std::size_t kBodyLimit = 4096; // bytes of one form
    static constexpr std::size_t kRateLimit = 20;   // proposals a minute from one address
    static constexpr std::size_t kOpenLimit = 200;  // proposals waiting in a round
    static constexpr std::size_t kNameLimit = 80;   // characters of a name
    static constexpr std::size_t kRowsShown = 4;    // rows of an empty form: a group's card
    static constexpr int kRefreshSeconds = 3;       // the phone's list is fetched again

    CProposalBox() = default;

    // Starts taking proposals for the round `roundName` (UTF-8): a new code, the old one ended.
    // `players`: the names offered on the phone (UTF-8); `encoding`: what the tournament stores.
    // Returns the code, for the address; it is never logged.
    std::string Open(std::string roundName, std::vector<std::string> players, TextEncoding encoding);
    // Ends the code: its address answers 410 from now on. The proposals stay.
    void End();
    bool Live() const;
    // The tournament changed its encoding (the keeper said yes to UTF-8).
    void SetEncoding(TextEncoding encoding);

    // Appends one line per proposal and per outcome to `path` (empty: none). Never rewritten.
    void SetLog(const QString& path);
    // The proposals still waiting for round `roundName` in the log, as they were when written:
    // taken into the box (a restart after a crash), and returned.
    std::vector<CProposal> RestoreFromLog(const std::string& roundName);

    // Every proposal of the round open now, in the order they came.
    std::vector<CProposal> Proposals() const;
    // How many proposals have arrived since the box was made (tests and the benchmark).
    std::size_t Arrived() const;
    // The keeper's decision on proposal `id`; logged. False when there is no such proposal.
    bool Decide(const std::string& id, CProposal::State state);

    // A request to "/r/…" (`path` as it came, `body` the whole form of a POST).
    CProposalAnswer Answer(std::string_view method, std::string_view path, std::string_view contentType,
                           std::string_view body, const std::string& address);

signals:
    // Proposals arrived; emitted on a server thread.
    void arrived();

private:
    CProposalAnswer Post(const std::string& sender, std::string_view contentType, std::string_view body,
                         const std::string& address);
    CProposalAnswer FormPage(const std::string& sender, const std::vector<std::pair<std::string, std::string>>& rows,
                             std::string_view problem, unsigned status) const;
    CProposalAnswer ListPage(const std::string& sender) const;
    // The reason the editor's own rules refuse `name` and `points`; empty when they pass.
    std::string Refusal(const std::string& name, const std::string& points) const;
    void Log(const CProposal& proposal, std::string_view event) const;
    std::string NewId(std::size_t bytes) const;

    mutable std::mutex m_mutex;
    std::string m_token;
    std::set<std::string> m_ended;
    std::string m_round;
    std::vector<std::string> m_players;
    TextEncoding m_encoding = TextEncoding::Utf8;
    std::vector<CProposal> m_proposals;
    std::set<std::string> m_senders;
    std::map<std::string, std::deque<std::chrono::steady_clock::time_point>> m_rate;
    std::size_t m_arrived = 0;
    QString m_log;
};

class CTournament;
// The names a phone is offered: every player the tournament knows (its results and the club's
// register), UTF-8, in alphabetical order without regard to case.
std::vector<std::string> OfferedNames(const CTournament& tournament);

// The log of proposals beside the tournament at `tournamentPath`: "NAME.forslag.log".
QString ProposalLogPath(const QString& tournamentPath);

// The state as the phone and the log say it.
const char* StateWord(CProposal::State state);
