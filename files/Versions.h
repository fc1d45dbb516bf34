// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

// One saved version of a tournament: its file, a backup the save left beside it, or unsaved
// work kept from a recovery file; or a version of its rules file (NAME.regler, or an earlier one
// kept as NAME_YYMMDD_hhmmss.regler.bak).
struct CVersion
{
    enum Kind { File, Backup, Unsaved, Rules };
    Kind m_kind = File;
    QString m_path;
    QDateTime m_time;  // the file's last modification, as the backup's name keeps it
    QString m_problem; // why it cannot be read; empty when it can
    QString m_summary; // what changed from the readable version before it

    bool Readable() const { return m_problem.isEmpty(); }
    // "2026-12-01 20:15:07  cup_261201_201507.bak  2 nya resultat i R5", or with
    // "kan inte läsas: <why>" in place of the summary.
    QString Line() const;
};

// Every version of the tournament file `path`, newest first: the file itself, then each
// "NAME_YYMMDD_hhmmss.bak" and "NAME_YYMMDD_hhmmss.osparad" beside it (NAME being the file's
// path without its ending), and among them the rules file's versions. Each one is read as
// choosing it does; one that cannot be read is listed with the reason, and the summaries skip
// it. A rules version's summary is the rules it sets.
std::vector<CVersion> ListVersions(const QString& path);

// The rules a rules file's version sets, one "key = value" a line ("inga regler" for none);
// false with the reason in `text` when it cannot be read.
bool RulesVersionText(const QString& path, QString& text);
