// SPDX-License-Identifier: GPL-3.0-or-later
// Times "Klistra in resultat" on the real dialogs, offscreen: the first round of FILE open in
// the round editor, 1,000 rows on the clipboard (a quarter each: known names, names in other
// letter case, new names, known names with other points), Ctrl+V in the result list until the
// preview is shown and idle, then OK until the editor is idle with the rows entered.
//
//   paste_bench FILE [ROWS]   prints: preview apply (ms)
#include "WindowBench.h"
#include "ui/Controls.h"
#include "ui/PasteResultsDlg.h"
#include "ui/RavelmarkDlg.h"
#include "ui/RoundDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

CIdle* g_idle = nullptr;

void WaitIdle()
{
    g_idle->Wait();
}

// Runs `action` on the modal dialog of type T as soon as it is up.
template <typename T>
void WhenOpen(QTimer& poll, const std::function<void(T&)>& action)
{
    QObject::connect(&poll, &QTimer::timeout, [&poll, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll.stop();
            action(*dialog);
        }
    });
    poll.start(0);
}

} // namespace

int main(int argc, char** argv)
{
    PrepareBench();
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fputs("usage: paste_bench FILE [ROWS]\n", stderr);
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    QTemporaryDir folder;
    CBenchPlatform platform;
    if (!platform.UseCopyOf(argv[1], folder))
        return 1;
    CIdle idle;
    g_idle = &idle;
    CRavelmarkDlg dlg(platform);
    StartWindow(dlg);
    QTest::mouseClick(dlg.m_btnChoose, Qt::LeftButton);
    WaitIdle();

    double preview = 0, apply = 0;
    int entered = 0;
    QElapsedTimer timer;
    QTimer editorPoll, pastePoll;
    WhenOpen<CRoundDlg>(editorPoll, [&](CRoundDlg& editor) {
        WaitIdle();
        QString rows;
        const int known = editor.m_listResults->GetItemCount();
        for (int i = 0; i < count; ++i) {
            const QString name = editor.m_listResults->GetItemText(i % known, 0);
            switch (i % 4) {
            case 0:
                rows += name + QStringLiteral("\t7\n");
                break;
            case 1:
                rows += name.toUpper() + QStringLiteral("\t8\n");
                break;
            case 2:
                rows += QStringLiteral("Ny Spelare %1\t9\n").arg(i);
                break;
            default:
                rows += name + QStringLiteral("\t25\n");
            }
        }
        QApplication::clipboard()->setText(rows);
        const int before = editor.m_listResults->GetItemCount();
        QTest::mouseClick(editor.m_listResults->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        WaitIdle();
        WhenOpen<CPasteResultsDlg>(pastePoll, [&](CPasteResultsDlg& paste) {
            WaitIdle();
            preview = Ms(timer);
            timer.restart();
            QTest::mouseClick(paste.m_btnOK, Qt::LeftButton);
        });
        timer.start();
        QTest::keyClick(editor.m_listResults, Qt::Key_V, Qt::ControlModifier);
        WaitIdle();
        apply = Ms(timer);
        entered = editor.m_listResults->GetItemCount() - before;
        editor.close();
    });
    QTest::mouseClick(dlg.m_listRounds->viewport(), Qt::LeftButton, {},
                      dlg.m_listRounds->visualRect(dlg.m_listRounds->model()->index(0, 0)).center());
    QTest::mouseClick(dlg.m_btnEdit, Qt::LeftButton);
    WaitIdle();
    // A quarter of the rows are new players, appended; the rest change rows in place.
    if (entered != count / 4) {
        std::fprintf(stderr, "paste_bench: %d rows appended, not %d\n", entered, count / 4);
        return 1;
    }
    std::printf("%.1f %.1f\n", preview, apply);
    return 0;
}
