// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <string_view>

// When the standings page of the tournament at `tournamentPath` last changed, for the line
// "Uppdaterad" of the pages put on the club's site and on phones: the time kept for it when
// `page` (the page as "Skapa Tabell" writes it) is the page kept for that tournament; otherwise
// the page is new since, changed at `changed`, which is kept with it from now on. So a page whose
// standings are as before keeps its time across saves, restarts and the tool, however often it
// is put out again. Kept in the user's state folder; safe to call from any thread.
QDateTime PageChangedAt(const QString& tournamentPath, std::string_view page, const QDateTime& changed);
