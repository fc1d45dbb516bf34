#include "Reader.h"

#include "Encoding.h"
#include "Messages.h"
#include "Text.h"

#include <climits>
#include <cstdint>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// Walks the file's lines as views into its text: no copy of a line unless it is kept.
class CLines
{
public:
    explicit CLines(std::string_view text)
        : m_text(text)
    {
    }

    // The next line, trimmed, and counts it in `lineNo`. False at the end of the text.
    bool Next(std::string_view& line, int& lineNo)
    {
        if (m_pos >= m_text.size())
            return false;
        std::size_t end = m_text.find('\n', m_pos);
        const std::size_t next = end == std::string_view::npos ? m_text.size() : end + 1;
        if (end == std::string_view::npos)
            end = m_text.size();
        // The CR before the LF, and any other whitespace at the ends, is trimmed below.
        std::size_t begin = m_pos;
        m_pos = next;
        while (begin < end && IsSpace(m_text[begin]))
            ++begin;
        while (end > begin && IsSpace(m_text[end - 1]))
            --end;
        line = m_text.substr(begin, end - begin);
        // Stops at the largest int rather than overflow on a file of more than 2^31 lines.
        if (lineNo < INT_MAX)
            ++lineNo;
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The line as the reader shows and keeps it: tabs turned into blanks.
void Assign(std::string& out, std::string_view line)
{
    out.assign(line);
    for (char& c : out) {
        if (c == '\t')
            c = ' ';
    }
}

// Splits a trimmed result line into the player's name (the tokens before the last, joined by
// one blank) and the points token. The name is a view into the line, or into `scratch` when
// blanks had to be joined. False when there are fewer than two tokens.
bool SplitResultLine(std::string_view line, std::string& scratch, std::string_view& name,
                     std::string_view& pointsToken)
{
    std::size_t end = line.size();
    while (end > 0 && !IsBlankOrTab(line[end - 1]))
        --end;
    if (end == 0)
        return false;
    pointsToken = line.substr(end);
    while (end > 0 && IsBlankOrTab(line[end - 1]))
        --end;
    name = line.substr(0, end);
    bool plain = true;
    for (std::size_t i = 0; i < name.size() && plain; ++i)
        plain = name[i] != '\t' && !(name[i] == ' ' && IsBlankOrTab(name[i + 1]));
    if (plain)
        return true;
    scratch.clear();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!IsBlankOrTab(name[i]))
            scratch += name[i];
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

    void Add(PlayerId player, int points)
    {
        if (player >= m_roundOf.size()) {
            m_roundOf.resize(player + 1, 0);
            m_positionOf.resize(player + 1, 0);
        }
        std::vector<CResult>& results = m_round.m_results;
        if (m_roundOf[player] == m_roundNo) {
            results[m_positionOf[player]].m_points = points;
            return;
        }
        m_roundOf[player] = m_roundNo;
        m_positionOf[player] = static_cast<std::uint32_t>(results.size());
        results.emplace_back(player, points);
    }

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

} // namespace

bool ParseTournament(std::string_view fileText, CTournament& tournament, std::string& line, int& lineNo,
                     std::string& message)
{
    line.clear();
    lineNo = 0;
    message.clear();
    tournament.m_encoding = DetectEncoding(fileText, tournament.m_byteOrderMark);
    if (tournament.m_byteOrderMark)
        fileText.remove_prefix(kUtf8Bom.size());

    CLines in(fileText);
    std::string_view text;
    in.Next(text, lineNo);
    Assign(tournament.m_title, text);
    if (text.empty()) {
        line = tournament.m_title;
        message = msg::kEmptyTitleLine;
        return false;
    }

    enum class State { Between, InRound } state = State::Between;
    CRoundBuilder builder;
    std::string scratch;
    for (;;) {
        const bool more = in.Next(text, lineNo);
        if (state == State::Between) {
            if (!more)
                return true;
            if (!text.empty()) {
                builder.Start(text);
                state = State::InRound;
            }
            continue;
        }
        if (!more || text.empty()) {
            tournament.m_rounds.push_back(builder.Take());
            if (!more)
                return true;
            state = State::Between;
            continue;
        }
        std::string_view name, pointsToken;
        if (!SplitResultLine(text, scratch, name, pointsToken)) {
            Assign(line, text);
            message = msg::kExpectedResultLine;
            return false;
        }
        int points = 0;
        if (!IsInteger(pointsToken, points)) {
            Assign(line, text);
            message = msg::kPointsNotInteger;
            return false;
        }
        builder.Add(tournament.AddPlayer(name), points);
    }
}

std::string LinePrefix(int lineNo, const std::string& line)
{
    if (lineNo == 0)
        return std::string();
    return "Rad " + std::to_string(lineNo) + " : \"" + line + "\"\n";
}
