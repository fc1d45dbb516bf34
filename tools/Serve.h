// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <iosfwd>
#include <string>

// `serve FILE`: the standings page of FILE on the local network (or at `bind` alone), from
// port `port` on, following the file as it changes on disk, until SIGINT or SIGTERM. Prints
// the address it serves. Returns the exit code: 0 after the signal, 1 when the file was
// refused or nothing could listen.
// `accept` (a round's number or name, UTF-8; empty for none): also takes results from phones for
// that round, at an address of its own, and lists them in NAME.forslag beside the file for the
// keeper; the tournament file is never written.
int Serve(const std::string& file, int port, const std::string& bind, std::ostream& out, std::ostream& err,
          const std::string& accept = {});

// NAME.forslag beside the tournament at `tournamentPath`.
QString ProposalListPath(const QString& tournamentPath);

// The last modification of the rules file beside the tournament at `tournamentPath`; the epoch
// without one. With the file's own, when the standings last changed.
QDateTime RulesModified(const QString& tournamentPath);

class CTournamentDoc;
// Reads `file` into `doc`; false with the reason on `err` when it was refused.
bool ReadTournament(CTournamentDoc& doc, const std::string& file, std::ostream& err);
