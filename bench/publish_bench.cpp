// SPDX-License-Identifier: GPL-3.0-or-later
// Times a publication of one tournament into a folder, after a change: how long the GUI thread is
// held when it starts (the document's one shared copy of the tournament, made there), beside a
// plain copy of the tournament as the recovery file took it, and the whole publication, built
// and checked off the GUI thread.
//
//   publish_bench FILE [RUNS]   prints: hold, copy, whole publication (ms, each the best of RUNS)
#include "files/TournamentDoc.h"
#include "publish/PublishQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fputs("usage: publish_bench FILE [RUNS]\n", stderr);
        return 2;
    }
    const int runs = argc == 3 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;
    CTournamentDoc doc;
    if (!doc.Read(QString::fromLocal8Bit(argv[1])).Ok()) {
        std::fprintf(stderr, "publish_bench: %s was not read\n", argv[1]);
        return 1;
    }
    QTemporaryDir site;
    CPublishTarget target;
    target.m_way = PublishWay::Folder;
    target.m_folder = site.path();
    CPublishQueue queue(doc);
    queue.SetTarget(target, {});
    double hold = 1e9, copy = 1e9, whole = 1e9;
    for (int run = 0; run < runs; ++run) {
        // A change before each: the publication pays for the tournament's copy, as after an edit.
        doc.SetTitle(doc.Tournament().m_title + "x");
        QElapsedTimer clock;
        clock.start();
        const CTournament copied = doc.Tournament();
        copy = std::min(copy, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        const int ended = queue.Ended();
        clock.restart();
        queue.PublishNow();
        hold = std::min(hold, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        while (queue.Ended() == ended)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        whole = std::min(whole, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (!queue.LastResult().Ok()) {
            std::fprintf(stderr, "publish_bench: %s\n", qPrintable(queue.LastResult().m_message));
            return 1;
        }
    }
    std::printf("%.1f %.1f %.1f\n", hold, copy, whole);
    return 0;
}
