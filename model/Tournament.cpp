#include "Tournament.h"

#include "Encoding.h"

#include <cstdio>
#include <utility>

CResult::CResult(std::string name, int points)
    : m_name(std::move(name))
    , m_points(points)
{
}

void CResult::Write(CLineOutput& out, int width, TextEncoding encoding) const
{
    std::string line = m_name;
    const std::size_t length = TextLength(m_name, encoding);
    if (width > 0 && length < static_cast<std::size_t>(width))
        line.append(static_cast<std::size_t>(width) - length, ' ');
    char points[16];
    std::snprintf(points, sizeof points, " %2d", m_points);
    line += points;
    out.WriteLine(line);
}

void CRound::AddResult(const CResult& result)
{
    for (CResult& existing : m_results) {
        if (existing.m_name == result.m_name) {
            existing.m_points = result.m_points;
            return;
        }
    }
    m_results.push_back(result);
}

void CRound::Write(CLineOutput& out, int width, TextEncoding encoding) const
{
    out.WriteLine(std::string());
    // A name line of only '-' reads as an empty name. An empty line would end the round
    // instead, and its first result would come back as a round name.
    out.WriteLine(m_name.empty() && !m_results.empty() ? std::string("-") : m_name);
    for (const CResult& result : m_results)
        result.Write(out, width, encoding);
}

void CTournament::AddRound(const CRound& round)
{
    m_rounds.push_back(round);
}

void CTournament::Clear()
{
    m_title.clear();
    m_rounds.clear();
}

void CTournament::Write(CLineOutput& out, int width) const
{
    // A title that itself begins with the mark's bytes gets a blank before it, which the
    // reader trims, so that the title is not read back as the mark.
    const bool markInTitle = !m_byteOrderMark && std::string_view(m_title).starts_with(kUtf8Bom);
    out.WriteLine(m_byteOrderMark ? std::string(kUtf8Bom) + m_title : markInTitle ? " " + m_title : m_title);
    for (const CRound& round : m_rounds)
        round.Write(out, width, m_encoding);
}
