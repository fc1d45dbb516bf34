#include "Reader.h"

#include "Encoding.h"
#include "Messages.h"
#include "NameIndex.h"
#include "Text.h"

#include <climits>

bool CTextLines::Next(std::string_view& line)
{
    if (m_pos >= m_text.size())
        return false;
    const std::size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) {
        line = m_text.substr(m_pos);
        m_pos = m_text.size();
        return true;
    }
    std::size_t lineEnd = end;
    if (lineEnd > m_pos && m_text[lineEnd - 1] == '\r')
        --lineEnd;
    line = m_text.substr(m_pos, lineEnd - m_pos);
    m_pos = end + 1;
    return true;
}

bool ReadLine(CTextLines& in, std::string& line, int& lineNo)
{
    line.clear();
    std::string_view raw;
    if (!in.Next(raw))
        return false;
    // Stops at the largest int rather than overflow on a file of more than 2^31 lines.
    if (lineNo < INT_MAX)
        ++lineNo;
    line.assign(raw);
    for (char& c : line) {
        if (c == '\t')
            c = ' ';
    }
    TrimSpaces(line);
    return true;
}

namespace {

// Splits a result line into the player's name (the tokens before the last, joined by one
// blank) and the points token. False when there are fewer than two tokens.
bool SplitResultLine(std::string_view text, std::string& name, std::string_view& pointsToken)
{
    name.clear();
    std::string_view previous;
    int tokens = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i == text.size())
            break;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (tokens >= 2)
            name += ' ';
        if (tokens >= 1)
            name += previous;
        previous = text.substr(start, i - start);
        ++tokens;
    }
    pointsToken = previous;
    return tokens >= 2;
}

// Adds results to one round the way CRound::AddResult does, with an index of the names
// so that large rounds stay linear.
class CRoundBuilder
{
public:
    void Start(std::string name)
    {
        m_round = CRound();
        m_round.m_name = std::move(name);
        NormalizeName(m_round.m_name);
        m_index.Clear();
    }

    void Add(std::string& name, int points)
    {
        std::vector<CResult>& results = m_round.m_results;
        const auto [position, added] = m_index.FindOrAdd(
            name, results.size(), [&](std::size_t i) -> const std::string& { return results[i].m_name; });
        if (added)
            results.emplace_back(std::move(name), points);
        else
            results[position].m_points = points;
    }

    CRound& Round() { return m_round; }

private:
    CRound m_round;
    CNameIndex m_index;
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

    CTextLines in(fileText);
    ReadLine(in, line, lineNo);
    tournament.m_title = line;
    if (line.empty()) {
        message = msg::kEmptyTitleLine;
        return false;
    }

    enum class State { Between, InRound } state = State::Between;
    CRoundBuilder builder;
    std::string name;
    for (;;) {
        const bool more = ReadLine(in, line, lineNo);
        if (state == State::Between) {
            if (!more)
                return true;
            if (!line.empty()) {
                builder.Start(line);
                state = State::InRound;
            }
            continue;
        }
        if (!more || line.empty()) {
            tournament.m_rounds.push_back(std::move(builder.Round()));
            if (!more)
                return true;
            state = State::Between;
            continue;
        }
        std::string_view pointsToken;
        if (!SplitResultLine(line, name, pointsToken)) {
            message = msg::kExpectedResultLine;
            return false;
        }
        int points = 0;
        if (!IsInteger(std::string(pointsToken), points)) {
            message = msg::kPointsNotInteger;
            return false;
        }
        builder.Add(name, points);
    }
}

std::string LinePrefix(int lineNo, const std::string& line)
{
    if (lineNo == 0)
        return std::string();
    return "Rad " + std::to_string(lineNo) + " : \"" + line + "\"\n";
}
