// SPDX-License-Identifier: GPL-3.0-or-later
// A club evening's results from phones, on the real round editor offscreen and a real server on
// loopback: PHONES phones (bench/proposal_phones.py) each send a card of 4 within the same 10 s
// while the keeper clicks in the result list every 50 ms; then one Enter per proposal.
//
//   proposals_bench PHONES_SCRIPT [PHONES]
//     prints: proposals, shown after sending (ms, median and worst), clicks (worst ms),
//             keys to accept them all, worst Enter (ms)
#include "WindowBench.h"
#include "server/PageServer.h"
#include "ui/Controls.h"
#include "ui/RavelmarkDlg.h"
#include "ui/RoundDlg.h"
#include "ui/RoundDlgProposals.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>

namespace {

double Now()
{
    timespec at = {};
    clock_gettime(CLOCK_MONOTONIC, &at);
    return static_cast<double>(at.tv_sec) + static_cast<double>(at.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareBench();
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fputs("usage: proposals_bench PHONES_SCRIPT [PHONES]\n", stderr);
        return 2;
    }
    const int phones = argc > 2 ? std::atoi(argv[2]) : 40;
    QTemporaryDir folder;
    CBenchPlatform platform;
    // The evening's players known from the first round; the second is being entered.
    QByteArray text = "Klubbkv\xC3\xA4ll\n\nOmg\xC3\xA5ng 1\n";
    for (int i = 1; i <= 4 * phones; ++i)
        text += "Spelare " + QByteArray::number(i) + ' ' + QByteArray::number(i % 26) + '\n';
    text += "\nOmg\xC3\xA5ng 2\nSpelare 1 3\n";
    platform.m_file = folder.filePath("kvall.txt");
    QFile file(platform.m_file);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return 1;
    file.close();
    CIdle idle;
    CRavelmarkDlg dlg(platform);
    StartWindow(dlg);
    QTest::mouseClick(dlg.m_btnChoose, Qt::LeftButton);
    idle.Wait();

    CPageServer server;
    std::string error;
    if (!server.Start({"127.0.0.1"}, 18900, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::map<QString, double> seen;
    std::vector<std::pair<QString, double>> sent;
    double worstClick = 0, worstEnter = 0;
    int keys = 0, accepted = 0, shown = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* editor = qobject_cast<CRoundDlg*>(QApplication::activeModalWidget());
        if (!editor)
            return;
        poll.stop();
        editor->m_proposalHost = [&] {
            CRoundDlg::CProposalHost host;
            host.m_server = &server;
            host.m_owner = editor;
            host.m_pageUrl = QStringLiteral("http://127.0.0.1:%1/").arg(server.Port());
            return host;
        };
        idle.Wait();
        editor->m_checkProposals->click();
        CProposalPanel& panel = *editor->m_proposals;
        QProcess load;
        load.start(QStringLiteral("python3"), {QString::fromLocal8Bit(argv[1]), panel.Url(), QString::number(phones)});
        // The keeper clicks in the result list while the phones send; each row is timed as it shows.
        QElapsedTimer click;
        double loaded = 0;
        while (load.state() != QProcess::NotRunning || seen.size() < static_cast<std::size_t>(4 * phones)) {
            click.start();
            QTest::mouseClick(editor->m_listResults->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            QCoreApplication::processEvents();
            worstClick = std::max(worstClick, Ms(click));
            const double now = Now();
            for (int i = 0; i < panel.m_list->topLevelItemCount(); ++i)
                seen.try_emplace(panel.m_list->topLevelItem(i)->text(CProposalPanel::kName), now);
            load.waitForFinished(10);
            QTest::qWait(40);
            if (load.state() == QProcess::NotRunning && loaded == 0)
                loaded = Now();
            if (loaded > 0 && Now() > loaded + 5)
                break;
        }
        for (const QByteArray& line : load.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 4 && fields[3] == "303")
                sent.emplace_back(QString::fromUtf8(fields[0] + ' ' + fields[1]), fields[2].toDouble());
        }
        shown = panel.m_list->topLevelItemCount();
        // One Enter per proposal, each on the next one waiting.
        panel.m_list->setFocus();
        const int before = editor->m_listResults->GetItemCount();
        QElapsedTimer enter;
        for (int i = 0; i < shown; ++i) {
            enter.start();
            QTest::keyClick(panel.m_list, Qt::Key_Return);
            ++keys;
            worstEnter = std::max(worstEnter, Ms(enter));
        }
        accepted = editor->m_listResults->GetItemCount() - before;
        idle.Wait();
        editor->close();
    });
    poll.start(5);
    QTest::mouseClick(dlg.m_listRounds->viewport(), Qt::LeftButton, {},
                      dlg.m_listRounds->visualRect(dlg.m_listRounds->model()->index(1, 0)).center());
    QTest::mouseClick(dlg.m_btnEdit, Qt::LeftButton);
    idle.Wait();

    std::vector<double> delays;
    for (const auto& [name, at] : sent)
        if (const auto found = seen.find(name); found != seen.end())
            delays.push_back((found->second - at) * 1000);
    std::sort(delays.begin(), delays.end());
    if (delays.size() != static_cast<std::size_t>(4 * phones) || accepted + 1 < shown) {
        std::fprintf(stderr, "proposals_bench: %zu of %d shown, %d of %d entered\n", delays.size(), 4 * phones,
                     accepted, shown);
        return 1;
    }
    std::printf("%zu proposals: shown %.0f ms median, %.0f ms worst; clicks %.1f ms worst; %d keys for %d "
                "entered, Enter %.1f ms worst\n",
                delays.size(), delays[delays.size() / 2], delays.back(), worstClick, keys, accepted, worstEnter);
    return 0;
}
