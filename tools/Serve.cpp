// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Serve.h"

#include "files/RulesFile.h"
#include "files/TournamentDoc.h"
#include "model/TournamentEncoding.h"
#include "server/LocalNetwork.h"
#include "server/PagePublisher.h"
#include "server/PageServer.h"
#include "server/QrCode.h"
#include "tools/StopSignals.h"
#include "tools/Terminal.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <csignal>
#include <optional>
#include <ostream>
#include <unistd.h>

namespace {

// The QR code of `text`, for phones to scan off the screen (a TV by the door): black on white
// whatever the terminal's colours, two rows of modules to a line of text.
void PrintQrCode(const std::string& text, std::ostream& out)
{
    const CQrCode code = MakeQrCode(text);
    constexpr int kQuiet = 4;
    const int side = code.m_size + 2 * kQuiet;
    const auto dark = [&](int x, int y) {
        x -= kQuiet;
        y -= kQuiet;
        return x >= 0 && y >= 0 && x < code.m_size && y < code.m_size && code.Dark(x, y);
    };
    for (int y = 0; code.m_size > 0 && y < side; y += 2) {
        out << "\x1b[30;47m";
        for (int x = 0; x < side; ++x) {
            const bool top = dark(x, y), bottom = dark(x, y + 1);
            out << (top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ");
        }
        out << "\x1b[0m\n";
    }
}

QString Now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

QDateTime RulesModified(const QString& tournamentPath)
{
    QString rulesPath;
    CFileStatus status;
    if (RulesPath(tournamentPath, rulesPath) && ReadFileStatus(rulesPath, status))
        return status.LastModified();
    return QDateTime::fromMSecsSinceEpoch(0);
}

bool ReadTournament(CTournamentDoc& doc, const std::string& file, std::ostream& err)
{
    CFileResult read = doc.Read(QFile::decodeName(QByteArray::fromStdString(file)));
    if (read.Ok())
        return true;
    read.m_line = QuotedLine(read.m_line, doc.Encoding());
    err << ResultMessage(read, doc.Encoding()).toStdString() << '\n';
    return false;
}

int Serve(const std::string& file, int port, const std::string& bind, std::ostream& out, std::ostream& err)
{
    const CStopSignals stop;
    if (stop.Fd() < 0) {
        err << "ravelmark-tool: kan inte ta emot Ctrl+C\n";
        return 1;
    }
    const CToolApplication app;
    // Watched from the read on, so that no change after it goes unseen.
    CTournamentDoc doc;
    doc.WatchFile();
    if (!ReadTournament(doc, file, err))
        return 1;
    std::vector<std::string> addresses;
    if (!bind.empty()) {
        addresses.push_back(bind);
    } else {
        const std::vector<std::string> local = LocalNetworkAddresses();
        if (local.empty()) {
            err << "ravelmark-tool: datorn har inget lokalt nätverk; --bind 127.0.0.1 visar sidan bara på den "
                   "här datorn\n";
            return 1;
        }
        addresses = {local.front(), "127.0.0.1"};
        if (local.front() == addresses.back())
            addresses.pop_back();
    }

    CPageServer server;
    CPagePublisher publisher(doc, server);
    if (!publisher.Publish(std::max(doc.FileStatus().LastModified(), RulesModified(doc.Path())))) {
        const CFileResult& refused = doc.RulesResult().Ok() ? doc.PlayersResult() : doc.RulesResult();
        err << ResultMessage(refused, doc.Encoding()).toStdString() << '\n';
        return 1;
    }
    publisher.WaitForPages();
    std::string error;
    if (!server.Start(addresses, port, error)) {
        err << "ravelmark-tool: " << error << '\n';
        return 1;
    }
    for (const std::string& address : addresses)
        out << "Ställningen visas på " << PageAddress(address, server.Port()) << '\n';
    if (::isatty(STDOUT_FILENO))
        PrintQrCode(PageAddress(addresses.front(), server.Port()), out);
    out << "Sidan följer filen tills du avslutar med Ctrl+C." << std::endl;

    // The file as it is on disk now, and the rules and stylesheet beside it (watched with their
    // folder, as editors save by renaming). A file refused (half written, say) leaves the page
    // as it was.
    const QString path = doc.Path();
    QString rulesPath, playersPath;
    RulesPath(path, rulesPath);
    PlayersPath(path, playersPath);
    const QString cssPath = QFileInfo(path).absolutePath() + QStringLiteral("/table.css");
    const auto besideStatus = [&] {
        std::array<CFileStatus, 3> status;
        ReadFileStatus(rulesPath, status[0]);
        ReadFileStatus(cssPath, status[1]);
        ReadFileStatus(playersPath, status[2]);
        return status;
    };
    // When the standings last changed: with the tournament file or its rules.
    const auto lastChange = [&] { return std::max(doc.FileStatus().LastModified(), RulesModified(path)); };
    bool readable = true;
    const auto show = [&](CFileResult result) {
        readable = result.Ok();
        if (result.Ok() && !publisher.Publish(lastChange()))
            result = doc.RulesResult().Ok() ? doc.PlayersResult() : doc.RulesResult();
        if (result.Ok()) {
            out << Now().toStdString() << " Sidan uppdaterad." << std::endl;
            return;
        }
        result.m_line = QuotedLine(result.m_line, doc.Encoding());
        out << Now().toStdString() << ' ' << TerminalText(ResultMessage(result, doc.Encoding()).toStdString())
            << " (sidan visar det som lästes senast)" << std::endl;
    };
    QObject::connect(&doc, &CTournamentDoc::fileChangedOnDisk, &doc, [&] { show(doc.Read(path)); });
    QFileSystemWatcher beside({QFileInfo(path).absolutePath()});
    auto seen = besideStatus();
    const auto onBeside = [&] {
        for (const QString& side : {rulesPath, cssPath, playersPath})
            if (!side.isEmpty() && QFileInfo::exists(side) && !beside.files().contains(side))
                beside.addPath(side);
        if (const auto now = besideStatus(); now != seen && readable) {
            seen = now;
            show({});
        }
    };
    onBeside();
    QObject::connect(&beside, &QFileSystemWatcher::fileChanged, &beside, onBeside);
    QObject::connect(&beside, &QFileSystemWatcher::directoryChanged, &beside, onBeside);
    const auto stopped = QuitOnSignal(stop);
    QCoreApplication::exec();
    server.Stop();
    out << "Sidan visas inte längre." << std::endl;
    return 0;
}
