// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/StandingsView.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

// One file put on the server: its name there and its bytes.
struct CPublishedFile
{
    QString m_name;
    QByteArray m_bytes;
};

// What one publication puts on the server, in the order it is put there: the stylesheet first,
// so that a page never links one that is not there yet.
struct CPublication
{
    std::vector<CPublishedFile> m_files;
    std::string m_updatedLine; // "Uppdaterad ÅÅÅÅ-MM-DD HH:MM", as the page has it
};

// "Uppdaterad 2026-12-07 19:42": when the standings last changed, in local time.
std::string UpdatedText(const QDateTime& updated);

// The page exactly as "Skapa Tabell" writes it, with the line "Uppdaterad ÅÅÅÅ-MM-DD HH:MM" after
// its heading, named `pageName`, and the stylesheet `css` as "table.css"; with `groups`, the
// classes' and teams' tables as the page has them. With `tournamentPath`, the time is that of
// the page's last change as kept for the tournament (PageChangedAt), `updated` for a new page.
CPublication BuildPublication(const CStandingsView& view, const QDateTime& updated, const QString& pageName,
                              const QByteArray& css, const CGroupStandings* groups = nullptr,
                              const QString& tournamentPath = {});

// The "Uppdaterad" line a fetched page carries; empty when it has none.
std::string UpdatedLineOf(const QByteArray& page);
