// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/Publication.h"

#include "files/PageTime.h"

#include <utility>

std::string UpdatedText(const QDateTime& updated)
{
    return "Uppdaterad " + updated.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
}

CPublication BuildPublication(const CStandingsView& view, const QDateTime& updated, const QString& pageName,
                              const QByteArray& css, const CGroupStandings* groups, const QString& tournamentPath)
{
    const std::string written = HtmlPageText(view, groups);
    CPublication publication;
    publication.m_updatedLine =
        UpdatedText(tournamentPath.isEmpty() ? updated : PageChangedAt(tournamentPath, written, updated));
    const std::string line = "<p class=\"updated\">" + publication.m_updatedLine + "</p>\r\n";
    const std::size_t at = AfterPageHeading(written, view.Tournament().m_title);
    QByteArray page;
    page.reserve(static_cast<qsizetype>(written.size() + line.size()));
    page.append(written.data(), static_cast<qsizetype>(at))
        .append(line.data(), static_cast<qsizetype>(line.size()))
        .append(written.data() + at, static_cast<qsizetype>(written.size() - at));
    publication.m_files.push_back({QStringLiteral("table.css"), css});
    publication.m_files.push_back({pageName, std::move(page)});
    return publication;
}

std::string UpdatedLineOf(const QByteArray& page)
{
    constexpr QByteArrayView start = "<p class=\"updated\">";
    const qsizetype at = page.indexOf(start);
    if (at < 0)
        return {};
    const qsizetype end = page.indexOf("</p>", at);
    return end < 0 ? std::string() : page.mid(at + start.size(), end - at - start.size()).toStdString();
}
