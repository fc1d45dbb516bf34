// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Serve.h"

#include "files/RulesFile.h"
#include "files/TournamentDoc.h"
#include "model/TournamentEncoding.h"
#include "server/LocalNetwork.h"
#include "server/PagePublisher.h"
#include "server/PageServer.h"
#include "server/ProposalBox.h"
#include "server/QrCode.h"
#include "tools/Sidecars.h"
#include "tools/StopSignals.h"
#include "tools/Terminal.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSocketNotifier>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <optional>
#include <ostream>
#include <pthread.h>
#include <sys/signalfd.h>
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

QString ProposalListPath(const QString& tournamentPath)
{
    const QFileInfo file(tournamentPath);
    return file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".forslag");
}

namespace {

// The round `accept` names: its number from 1, or its name (a round not yet entered, too); UTF-8.
std::string AcceptedRound(const CTournament& tournament, const std::string& accept)
{
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(accept.data(), accept.data() + accept.size(), number);
    if (error == std::errc() && end == accept.data() + accept.size() && number >= 1 &&
        number <= tournament.m_rounds.size())
        return ToUtf8(tournament.m_rounds[number - 1].m_name, tournament.m_encoding);
    return accept;
}

// Appends the proposals not yet written to the list the round editor reads in: a comment of
// where and when, then "name points"; a refused one as a comment with its reason.
void AppendProposals(const QString& path, const std::vector<CProposal>& proposals, std::size_t& written,
                     std::ostream& out)
{
    std::string text;
    for (; written < proposals.size(); ++written) {
        const CProposal& p = proposals[written];
        const std::string when = QDateTime::fromSecsSinceEpoch(p.m_time).toString(Qt::ISODate).toStdString();
        text += "# " + p.m_address + ' ' + when + '\n';
        text += (p.m_reason.empty() ? "" : "# avvisat (" + p.m_reason + "): ") + p.m_name + ' ' + p.m_points + '\n';
        out << Now().toStdString() << " Förslag från " << p.m_address << ": " << TerminalText(p.m_name) << ' '
            << TerminalText(p.m_points) << (p.m_reason.empty() ? "" : " (avvisat: " + p.m_reason + ")") << std::endl;
    }
    QFile file(path);
    if (text.empty() || !file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(text.data(), static_cast<qint64>(text.size()));
}

} // namespace

int Serve(const std::string& file, int port, const std::string& bind, std::ostream& out, std::ostream& err,
          const std::string& accept)
{
    // SIGHUP makes a new code for the phones (one seen by someone it was not meant for); blocked
    // here, before the server's threads start, which inherit the mask.
    sigset_t renew;
    sigemptyset(&renew);
    sigaddset(&renew, SIGHUP);
    if (!accept.empty())
        pthread_sigmask(SIG_BLOCK, &renew, nullptr);
    const int renewFd = accept.empty() ? -1 : ::signalfd(-1, &renew, SFD_CLOEXEC | SFD_NONBLOCK);
    const auto closeRenew = qScopeGuard([renewFd] {
        if (renewFd >= 0)
            ::close(renewFd);
    });
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
    // Results from phones: proposals only, listed for the round editor; the file is never written.
    CProposalBox& box = server.Proposals();
    std::size_t listed = 0;
    const QString listPath = ProposalListPath(doc.Path());
    const std::string round = AcceptedRound(doc.Tournament(), accept);
    const auto openRound = [&] {
        const std::string code = box.Open(round, OfferedNames(doc.Tournament()), doc.Encoding());
        const std::string address = PageAddress(addresses.front(), server.Port()) + "r/" + code;
        out << "Resultat för " << TerminalText(round) << " tas emot på " << address << std::endl;
        if (::isatty(STDOUT_FILENO))
            PrintQrCode(address, out);
    };
    std::unique_ptr<QSocketNotifier> renewing;
    if (!accept.empty()) {
        box.SetLog(ProposalLogPath(doc.Path()));
        openRound();
        out << "Förslagen skrivs till " << listPath.toStdString() << "; turneringens fil ändras inte." << '\n';
        QObject::connect(&box, &CProposalBox::arrived, &doc,
                         [&] { AppendProposals(listPath, box.Proposals(), listed, out); });
        renewing = std::make_unique<QSocketNotifier>(static_cast<qintptr>(renewFd), QSocketNotifier::Read);
        QObject::connect(renewing.get(), &QSocketNotifier::activated, renewing.get(), [&] {
            signalfd_siginfo taken = {};
            if (::read(renewFd, &taken, sizeof taken) == sizeof taken)
                openRound();
        });
    }
    out << "Sidan följer filen tills du avslutar med Ctrl+C." << std::endl;

    // The file as it is on disk now, and the rules, players and stylesheet beside it. A file
    // refused (half written, say) leaves the page as it was.
    const QString path = doc.Path();
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
    const CSidecarWatch beside(path, [&] {
        if (readable)
            show({});
        else
            // Never a page of the refused file's rounds: the change waits for the file, and the
            // user learns that it was seen.
            out << Now().toStdString() << " Reglerna eller stilmallen ändrades; sidan visar dem när filen kan läsas."
                << std::endl;
    });
    const auto stopped = QuitOnSignal(stop);
    QCoreApplication::exec();
    box.End();
    server.Stop();
    AppendProposals(listPath, box.Proposals(), listed, out);
    out << "Sidan visas inte längre." << std::endl;
    return 0;
}
