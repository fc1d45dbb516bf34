// SPDX-License-Identifier: GPL-3.0-or-later
// The club's archive on a big club: SEASONS seasons of PLAYERS players and ROUNDS rounds each,
// the players drawn from a club of 1.5 x PLAYERS members so that most play many seasons. Times
// the whole site: reading every season with its rules, the pages, and writing them into a new
// folder; then the same at half and double the seasons, to show the cost grows with the
// results. Best of RUNS; bench/run archive prints them.
//
//   archive_bench [SEASONS PLAYERS ROUNDS [RUNS]]   prints one line per size: seasons, results,
//                                                   read ms, pages ms, write ms, whole ms, ns per result
#include "archive/Archive.h"
#include "archive/SiteFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Season `s`: the players of a club of `club` members that play it, 20 rounds of points.
void WriteSeason(const QString& folder, int s, int players, int rounds, int club)
{
    std::string text = "S\xC3\xA4song " + std::to_string(s) + "\n";
    for (int k = 0; k < rounds; ++k) {
        text += "\nOmg\xC3\xA5ng " + std::to_string(k + 1) + "\n";
        for (int p = 0; p < players; ++p)
            text += "Spelare " + std::to_string((p * 7 + s * 31) % club) + " " + std::to_string((p * 13 + k * 7) % 40) +
                    "\n";
    }
    const QString base = QDir(folder).filePath(QString::number(2000 + s / 2) + (s % 2 ? "-host" : "-var"));
    QFile file(base + ".txt"), rules(base + ".regler");
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !rules.open(QIODevice::WriteOnly) ||
        rules.write(("s\xC3\xA4song = " + std::to_string(2000 + s / 2) + (s % 2 ? " h\xC3\xB6st\n" : " v\xC3\xA5r\n"))
                        .c_str()) < 0)
        std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seasons = argc > 3 ? std::atoi(argv[1]) : 30, players = argc > 3 ? std::atoi(argv[2]) : 200;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 20, runs = argc > 4 ? std::atoi(argv[4]) : 3;
    for (const int count : {seasons / 2, seasons, seasons * 2}) {
        QTemporaryDir dir;
        for (int s = 0; s < count; ++s)
            WriteSeason(dir.path(), s, players, rounds, players * 3 / 2);
        double read = 1e300, pages = 1e300, write = 1e300, whole = 1e300;
        for (int run = 0; run < runs; ++run) {
            const QString site = dir.filePath("site" + QString::number(run));
            const auto start = std::chrono::steady_clock::now();
            CArchive archive;
            QString error;
            if (!ReadArchive(dir.path(), archive, error, site))
                return 1;
            const double readMs = Since(start);
            const std::vector<CSiteFile> files = ArchiveSite(archive);
            const double pagesMs = Since(start) - readMs;
            CSiteWritten written;
            if (!WriteSite(files, site, written).Ok())
                return 1;
            const double wholeMs = Since(start);
            read = std::min(read, readMs);
            pages = std::min(pages, pagesMs);
            write = std::min(write, wholeMs - readMs - pagesMs);
            whole = std::min(whole, wholeMs);
        }
        const double results = double(count) * players * rounds;
        std::printf("%d %.0f %.0f %.0f %.0f %.0f %.0f\n", count, results, read, pages, write, whole,
                    whole * 1e6 / results);
    }
    return 0;
}
