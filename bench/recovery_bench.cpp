// SPDX-License-Identifier: GPL-3.0-or-later
// Times the recovery file on one tournament in the real window, offscreen: a letter typed in the
// title, then the wait until its recovery file is written, RUNS times. The event loop is watched
// all the while by a timer that fires whenever it is free: its longest gap is the longest a click
// would have waited for the window (the copy taken on the GUI thread included), and the time from
// the debounce's end to the file on disk is the whole write, done off the GUI thread.
//
//   recovery_bench FILE [RUNS]   prints: longest gap, median gap of the worst run, write (ms)
//
// FILE is copied to a temporary folder first; the original stays as it is.
#include "WindowBench.h"
#include "ui/Controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    PrepareBench();
    QApplication application(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fputs("usage: recovery_bench FILE [RUNS]\n", stderr);
        return 2;
    }
    const int runs = argc == 3 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;
    QTemporaryDir folder;
    CBenchPlatform platform;
    platform.m_answer = false;
    if (!platform.UseCopyOf(argv[1], folder))
        return 1;
    CRavelmarkDlg dlg(platform);
    StartWindow(dlg);
    QTest::mouseClick(dlg.m_btnChoose, Qt::LeftButton);
    if (dlg.m_doc.Tournament().m_rounds.empty()) {
        std::fputs("recovery_bench: the tournament was not read\n", stderr);
        return 1;
    }

    bool written = false;
    int error = 0;
    QElapsedTimer since;
    qint64 writeNs = 0;
    QObject::connect(&dlg.m_recovery, &CRecovery::written, [&](int result) {
        written = true;
        error = result;
        writeNs = since.nsecsElapsed() - qint64{CRecovery::kDelayMs} * 1000000;
    });
    double longest = 0;
    double worstWrite = 0;
    std::vector<double> worstGaps;
    for (int run = 0; run < runs; ++run) {
        written = false;
        std::vector<double> gaps;
        QElapsedTimer gap;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            gaps.push_back(Ms(gap.nsecsElapsed()));
            gap.restart();
        });
        QTest::keyClick(dlg.m_editTitle, Qt::Key_X);
        since.start();
        gap.start();
        tick.start(0);
        while (!written)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        tick.stop();
        if (error != 0) {
            std::fprintf(stderr, "recovery_bench: the write failed (errno %d)\n", error);
            return 1;
        }
        const double most = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
        if (most >= longest) {
            longest = most;
            worstGaps = gaps;
        }
        worstWrite = std::max(worstWrite, Ms(writeNs));
    }
    std::sort(worstGaps.begin(), worstGaps.end());
    std::printf("%.1f %.3f %.1f\n", longest, worstGaps.empty() ? 0 : worstGaps[worstGaps.size() / 2], worstWrite);
    // Closed unsaved, as after a normal close: the recovery file goes too.
    dlg.m_doc.ClearChanged();
    dlg.close();
    return 0;
}
