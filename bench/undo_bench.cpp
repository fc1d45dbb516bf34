// SPDX-License-Identifier: GPL-3.0-or-later
// Times undo and redo in the window on one tournament, and the history of many backups.
//
//   undo_bench FILE     reads FILE in the real window (offscreen), takes 100 steps as the
//                       window's commands take them (a round edited: one result's points and one
//                       new result; a round removed; the title typed), then undoes and redoes
//                       each, every one until the event queue is idle. Prints: the slowest undo
//                       and redo (ms), then memory (MB in use, as malloc counts it): the tournament's own
//                       (after reading, less the empty window), the 100 steps', and their ratio
//                       (window after the steps, less the empty window, over the tournament's).
//   undo_bench --history FILE COUNT
//                       puts COUNT backups of FILE (each with another title) beside a copy of it
//                       and prints the ms the history dialog takes to list them.
#include "WindowBench.h"
#include "ui/HistoryDlg.h"
#include "ui/UndoSteps.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <string>

namespace {

void WaitIdle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Memory in use now, in MB: the heap's blocks in use and the big blocks mapped apart.
double ResidentMb()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / 1048576.0;
}

int History(const QString& file, int count)
{
    QTemporaryDir folder;
    const QString cup = folder.filePath(QStringLiteral("cup.txt"));
    if (!QFile::copy(file, cup))
        return 1;
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = source.readAll();
    const QDateTime start(QDate(2026, 1, 1), QTime(18, 0));
    for (int i = 0; i < count; ++i) {
        QFile backup(folder.filePath(
            QStringLiteral("cup_%1.bak").arg(start.addSecs(3600LL * i).toString(QStringLiteral("yyMMdd_hhmmss")))));
        if (!backup.open(QIODevice::WriteOnly) || backup.write("Version " + QByteArray::number(i) + '\n') < 0 ||
            backup.write(bytes.mid(bytes.indexOf('\n') + 1)) < 0)
            return 1;
    }
    CBenchPlatform platform;
    platform.m_file = cup;
    CRavelmarkDlg dlg(platform);
    StartWindow(dlg);
    dlg.m_btnChoose->click();
    WaitIdle();
    QElapsedTimer timer;
    timer.start();
    CHistoryDlg history(dlg);
    history.show();
    WaitIdle();
    const double ms = Ms(timer);
    if (history.m_versions->count() != count + 1)
        return 1;
    std::printf("%.1f\n", ms);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareBench();
    QApplication application(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--history")
        return History(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    if (argc != 2) {
        std::fputs("usage: undo_bench FILE | undo_bench --history FILE COUNT\n", stderr);
        return 2;
    }
    // A copy: the steps' recovery file must not stay beside the benchmark's file for the next run.
    QTemporaryDir folder;
    CBenchPlatform platform;
    if (!platform.UseCopyOf(argv[1], folder))
        return 1;
    CRavelmarkDlg dlg(platform);
    StartWindow(dlg);
    WaitIdle();
    const double emptyMb = ResidentMb();
    dlg.m_btnChoose->click();
    WaitIdle();
    const double loadedMb = ResidentMb();
    CTournamentDoc& doc = dlg.m_doc;
    if (doc.Tournament().m_rounds.empty())
        return 1;

    // The steps as the commands push them: an edited round goes in as the editor's copy.
    constexpr int kSteps = 100;
    for (int i = 0; i < kSteps; ++i) {
        const std::size_t rounds = doc.Tournament().m_rounds.size();
        if (i % 3 == 0 || rounds == 1) {
            const std::size_t index = static_cast<std::size_t>(i) % rounds;
            CRound round = doc.Tournament().m_rounds[index];
            round.m_results[round.m_results.size() / 2].m_points += 1;
            round.AddResult(CResult(doc.AddPlayer("Bench " + std::to_string(i)), 7));
            dlg.m_undo.push(new CEditRoundStep(doc, index, std::move(round), QStringLiteral("Redigera")));
        } else if (i % 3 == 1) {
            dlg.m_undo.push(new CRemoveRoundStep(doc, rounds / 2, QStringLiteral("Ta bort")));
        } else {
            dlg.m_undo.push(new CTitleStep(doc, doc.Tournament().m_title + "x", i));
        }
        WaitIdle();
    }
    const double stepsMb = ResidentMb();
    double undo = 0, redo = 0;
    QElapsedTimer timer;
    for (int i = 0; i < kSteps; ++i) {
        timer.start();
        dlg.m_undo.undo();
        WaitIdle();
        undo = std::max(undo, Ms(timer));
    }
    for (int i = 0; i < kSteps; ++i) {
        timer.start();
        dlg.m_undo.redo();
        WaitIdle();
        redo = std::max(redo, Ms(timer));
    }
    std::printf("%.1f %.1f %.1f %.1f %.2f\n", undo, redo, loadedMb - emptyMb, stepsMb - loadedMb,
                (stepsMb - emptyMb) / (loadedMb - emptyMb));
    return 0;
}
