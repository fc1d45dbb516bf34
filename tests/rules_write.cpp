// SPDX-License-Identifier: GPL-3.0-or-later
// Sets the rules of a tournament as the rules dialog's OK does, for the crash points of that
// write: rules_write TOURNAMENT RULES-TEXT. Exit 0 written, 1 failed (the message on stderr).
#include "files/RulesFile.h"
#include "files/TournamentDoc.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    CSeriesRules rules;
    CRulesRefusal refusal;
    if (!ParseSeriesRules(argv[2], rules, refusal))
        return 2;
    CTournamentDoc doc;
    const CFileResult read = doc.Read(QFile::decodeName(argv[1]));
    const CFileResult written = read.Ok() ? doc.SetRules(rules) : read;
    if (!written.Ok())
        std::cerr << ResultMessage(written, doc.Encoding()).toStdString() << '\n';
    return written.Ok() ? 0 : 1;
}
