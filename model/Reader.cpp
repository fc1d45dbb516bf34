// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Reader.h"

#include "model/Encoding.h"
#include "model/Messages.h"
#include "model/Text.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// The line as the reader shows and keeps it: tabs turned into blanks.
void Assign(std::string& out, std::string_view line)
{
    out.assign(line);
    for (char& c : out) {
        if (c == '\t')
            c = ' ';
    }
}

// Eight bytes at a time: result lines are mostly a name, blanks that pad it and the points.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t Word(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// The high bit of each byte of `word` that equals `c`, and of no other.
std::uint64_t BytesEqual(std::uint64_t word, char c)
{
    const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
    return ~(((x & ~kHighBits) + ~kHighBits) | x | ~kHighBits);
}

std::uint64_t BlanksOrTabs(std::uint64_t word)
{
    return BytesEqual(word, ' ') | BytesEqual(word, '\t');
}

// Whether the name has a tab or a blank before a blank or tab; `name` is followed in memory by
// at least one more byte (the blank before the points).
bool NeedsFolding(std::string_view name)
{
    const char* p = name.data();
    std::size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        const std::uint64_t here = Word(p + i);
        if ((BytesEqual(here, '\t') | (BytesEqual(here, ' ') & BlanksOrTabs(Word(p + i + 1)))) != 0)
            return true;
    }
    for (; i < name.size(); ++i) {
        if (name[i] == '\t' || (name[i] == ' ' && IsBlankOrTab(p[i + 1])))
            return true;
    }
    return false;
}

} // namespace

bool SplitResultLine(std::string_view line, std::string& scratch, std::string_view& name, std::string_view& pointsToken)
{
    std::size_t end = line.size();
    while (end > 0 && !IsBlankOrTab(line[end - 1]))
        --end;
    if (end == 0)
        return false;
    pointsToken = line.substr(end);
    while (end >= 8 && BlanksOrTabs(Word(line.data() + end - 8)) == kHighBits)
        end -= 8;
    while (end > 0 && IsBlankOrTab(line[end - 1]))
        --end;
    name = line.substr(0, end);
    if (!NeedsFolding(name))
        return true;
    scratch.clear();
    for (const char c : name) {
        if (!IsBlankOrTab(c))
            scratch += c;
        else if (!IsBlankOrTab(scratch.back()))
            scratch += ' ';
    }
    name = scratch;
    return true;
}

// Adds results to one round the way CRound::AddResult does, finding a player's earlier result
// in the round through the player's id, so that large rounds stay linear.
class CRoundBuilder
{
public:
    void Start(std::string_view name)
    {
        m_round = CRound();
        Assign(m_round.m_name, name);
        NormalizeName(m_round.m_name);
        // Rounds of one tournament tend to be of one size.
        m_round.m_results.reserve(m_lastSize);
        ++m_roundNo;
    }

    // The player's place in the round, and whether the player was there already.
    std::uint32_t Add(PlayerId player, int points, bool& repeated)
    {
        if (player >= m_roundOf.size()) {
            m_roundOf.resize(player + 1, 0);
            m_positionOf.resize(player + 1, 0);
        }
        std::vector<CResult>& results = m_round.m_results;
        repeated = m_roundOf[player] == m_roundNo;
        if (repeated) {
            results[m_positionOf[player]].m_points = points;
            return m_positionOf[player];
        }
        m_roundOf[player] = m_roundNo;
        m_positionOf[player] = static_cast<std::uint32_t>(results.size());
        results.emplace_back(player, points);
        return m_positionOf[player];
    }

    const CRound& Round() const { return m_round; }

    CRound Take()
    {
        m_lastSize = m_round.m_results.size();
        return std::move(m_round);
    }

private:
    CRound m_round;
    std::size_t m_lastSize = 0;
    std::uint64_t m_roundNo = 0;
    // Per player: the round it last had a result in, and that result's position.
    std::vector<std::uint64_t> m_roundOf;
    std::vector<std::uint32_t> m_positionOf;
};

CTournamentParser::CTournamentParser(CTournament& tournament)
    : m_tournament(tournament)
    , m_builder(std::make_unique<CRoundBuilder>())
{
}

CTournamentParser::~CTournamentParser() = default;

void CTournamentParser::Feed(std::string_view lines)
{
    if (lines.empty())
        return;
    if (m_bytes == 0)
        m_markAtStart = lines.starts_with(kUtf8Bom);
    m_bytes += lines.size();
    CheckEncoding(lines);
    if (m_state == State::Refused)
        return;
    std::size_t pos = 0;
    while (pos < lines.size() && m_state != State::Refused) {
        std::size_t end = lines.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? lines.size() : end + 1;
        if (end == std::string_view::npos)
            end = lines.size();
        // Stops at the largest int rather than overflow on a file of more than 2^31 lines.
        if (m_lineNo < INT_MAX)
            ++m_lineNo;
        OnLine(lines.substr(pos, end - pos));
        pos = next;
    }
}

void CTournamentParser::CheckEncoding(std::string_view lines)
{
    // Once a byte sequence is not UTF-8, the file is Windows-1252 whatever follows.
    if (!m_utf8Valid)
        return;
    std::size_t i = 0;
    // Plain ASCII, eight bytes at a time.
    for (; i + 8 <= lines.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, lines.data() + i, 8);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < lines.size() && static_cast<unsigned char>(lines[i]) < 0x80)
        ++i;
    if (i == lines.size())
        return;
    m_nonAscii = true;
    // The pieces end after a line feed, which no UTF-8 sequence spans: each is checked alone.
    m_utf8Valid = IsValidUtf8(lines.substr(i));
}

void CTournamentParser::OnLine(std::string_view raw)
{
    std::string_view text = Trimmed(raw);
    switch (m_state) {
    case State::Title:
        // Whether a byte-order mark starts the title depends on the whole file: both are kept.
        Assign(m_tournament.m_title, text);
        if (m_markAtStart)
            Assign(m_titleAfterMark, Trimmed(raw.substr(kUtf8Bom.size())));
        if (text.empty()) {
            Refuse(std::string(), msg::kEmptyTitleLine);
            return;
        }
        m_state = State::Between;
        return;
    case State::Between:
        if (!text.empty()) {
            m_builder->Start(text);
            m_state = State::InRound;
            m_roundLineNo = m_lineNo;
            m_resultLineNos.clear();
        }
        return;
    case State::InRound:
        break;
    case State::Refused:
        return;
    }
    if (text.empty()) {
        EndRound();
        m_state = State::Between;
        return;
    }
    std::string_view name, pointsToken;
    if (!SplitResultLine(text, m_scratch, name, pointsToken)) {
        Refuse(text, msg::kExpectedResultLine);
        return;
    }
    int points = 0;
    if (!IsInteger(pointsToken, points)) {
        Refuse(text, msg::kPointsNotInteger);
        return;
    }
    bool repeated = false;
    const std::uint32_t place = m_builder->Add(m_tournament.AddPlayer(name), points, repeated);
    if (!m_notes)
        return;
    if (!repeated)
        m_resultLineNos.push_back(m_lineNo);
    else
        m_notes->push_back(
            {CReadNote::Repeated, m_lineNo, m_resultLineNos[place], m_builder->Round().m_name, std::string(name)});
}

void CTournamentParser::EndRound()
{
    if (m_notes && m_builder->Round().m_results.empty())
        m_notes->push_back({CReadNote::NoResults, m_roundLineNo, 0, m_builder->Round().m_name, {}});
    m_tournament.m_rounds.push_back(m_builder->Take());
}

void CTournamentParser::Refuse(std::string_view text, const char* message)
{
    Assign(m_line, text);
    m_message = message;
    m_state = State::Refused;
}

bool CTournamentParser::Finish(std::string& line, int& lineNo, std::string& message)
{
    CTournament& tournament = m_tournament;
    tournament.m_encoding = m_nonAscii && m_utf8Valid ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    // A mark before bytes that are not UTF-8 is not trusted: read as Windows-1252, every byte
    // shows and comes back unchanged.
    tournament.m_byteOrderMark = m_markAtStart && m_utf8Valid;
    if (tournament.m_byteOrderMark) {
        tournament.m_title = m_titleAfterMark;
        if (tournament.m_title.empty()) {
            // The mark belongs to line 1: a file of the mark alone is one empty line.
            lineNo = 1;
            line.clear();
            message = msg::kEmptyTitleLine;
            tournament.m_rounds.clear();
            tournament.m_players.Clear();
            return false;
        }
    }
    if (m_state == State::Title) {
        // No line at all: an empty file.
        lineNo = 0;
        line.clear();
        message = msg::kEmptyTitleLine;
        return false;
    }
    if (m_state == State::Refused) {
        lineNo = m_lineNo;
        line = std::move(m_line);
        message = std::move(m_message);
        return false;
    }
    if (m_state == State::InRound)
        EndRound();
    lineNo = m_lineNo;
    line.clear();
    message.clear();
    return true;
}

bool ParseTournament(std::string_view fileText, CTournament& tournament, std::string& line, int& lineNo,
                     std::string& message)
{
    CTournamentParser parser(tournament);
    parser.Feed(fileText);
    return parser.Finish(line, lineNo, message);
}

std::string LinePrefix(int lineNo, const std::string& line)
{
    if (lineNo == 0)
        return std::string();
    return "Rad " + std::to_string(lineNo) + " : \"" + line + "\"\n";
}
