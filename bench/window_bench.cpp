// SPDX-License-Identifier: GPL-3.0-or-later
// Times the window's steps on one tournament, driving the real dialogs offscreen through their
// controls as a user does: "Välj Turnering", "Redigera" on the first round, a typed result and
// "Lägg Till", the editor's close box, "Skapa Tabell", and the main window's close box, which
// saves. Each step counts until the event queue is idle. The player names the editor offers are
// sorted in the background once the window shows the file: "names" is the time from the choice
// until they are ready, which is when "Redigera" can show them at once. "type" is the typing of
// a new name and its points; "add" the click on "Lägg Till" alone, the first after the load, which
// asks the near-duplicate index (built in the background too). bench/run prints the figures.
//
//   window_bench FILE    prints: load names edit type add close table save (ms), empty window and
//                        peak (MB)
//
// FILE is copied to a temporary folder first; the original stays as it is.
#include "WindowBench.h"
#include "ui/Controls.h"
#include "ui/RavelmarkDlg.h"
#include "ui/RoundDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

CIdle* g_idle = nullptr;

void WaitIdle()
{
    g_idle->Wait();
}

double PeakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// A left click on a row, through the list's public view API.
void ClickRow(QAbstractItemView* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

} // namespace

int main(int argc, char** argv)
{
    PrepareBench();
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: window_bench FILE\n", stderr);
        return 2;
    }
    QTemporaryDir folder;
    CBenchPlatform platform;
    if (!platform.UseCopyOf(argv[1], folder))
        return 1;
    CIdle idle;
    g_idle = &idle;

    CRavelmarkDlg dlg(platform);
    StartWindow(dlg);
    WaitIdle();
    const double emptyMb = PeakMb();

    enum Step { Load, Names, Edit, Type, Add, Close, Table, Save, StepCount };
    double ms[StepCount] = {};
    QElapsedTimer timer;
    timer.start();
    Click(dlg.m_btnChoose);
    WaitIdle();
    ms[Load] = Ms(timer);
    dlg.m_playerNames.WaitForSort();
    ms[Names] = Ms(timer);

    // The editor runs modally: its steps are played from inside its event loop.
    bool edited = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* editor = qobject_cast<CRoundDlg*>(QApplication::activeModalWidget());
        if (editor == nullptr)
            return;
        poll.stop();
        WaitIdle();
        ms[Edit] = Ms(timer);
        timer.restart();
        QTest::keyClicks(editor->m_comboName->lineEdit(), "Bench Spelare");
        QTest::keyClicks(editor->m_comboPoints->lineEdit(), "7");
        WaitIdle();
        ms[Type] = Ms(timer);
        timer.restart();
        Click(editor->m_btnAddResult);
        WaitIdle();
        ms[Add] = Ms(timer);
        timer.restart();
        editor->close();
        edited = !editor->isVisible();
    });
    ClickRow(dlg.m_listRounds, 0);
    WaitIdle();
    poll.start(0);
    timer.restart();
    Click(dlg.m_btnEdit);
    poll.stop(); // when no editor opened
    WaitIdle();
    ms[Close] = Ms(timer);

    timer.restart();
    Click(dlg.m_btnCreateTable);
    WaitIdle();
    ms[Table] = Ms(timer);

    timer.restart();
    dlg.close();
    WaitIdle();
    ms[Save] = Ms(timer);

    if (!edited || dlg.isVisible() || !platform.m_errors.isEmpty()) {
        std::fprintf(stderr, "window_bench: the steps did not run through%s%s\n",
                     platform.m_errors.isEmpty() ? "" : ": ", qPrintable(platform.m_errors.join("; ")));
        return 1;
    }
    for (const double step : ms)
        std::printf("%.1f ", step);
    std::printf("%.1f %.1f\n", emptyMb, PeakMb());
    return 0;
}
