// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The stylesheet "table.css" that the standings pages link, as this build has it.
QByteArray ProgramStylesheet();
// The stylesheet put beside a served or published page: the user's "table.css" beside the
// tournament file when there is one, else the program's own.
QByteArray ServedStylesheet(const QString& tournamentPath);

// Puts the program's stylesheet beside the page at `pagePath` when its folder has no
// "table.css"; a file of that name, whatever it holds, is never touched. True when it was
// written. A failure is nobody's concern: the page reads without it, unstyled.
bool PutStylesheetBeside(const QString& pagePath);

// Creates `path` holding `bytes`, complete or not at all, and never in place of anything of
// that name, also not of one that appears while it is written. False when it was not created.
bool CreateNewFile(const QString& path, QByteArrayView bytes);
