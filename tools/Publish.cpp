// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Publish.h"

#include "files/Stylesheet.h"
#include "files/TournamentDoc.h"
#include "publish/Upload.h"
#include "report/GroupStandings.h"
#include "tools/Serve.h"
#include "tools/Sidecars.h"
#include "tools/StopSignals.h"
#include "tools/Terminal.h"

#include <QCoreApplication>
#include <QFile>
#include <QTime>

#include <algorithm>
#include <optional>
#include <ostream>

namespace {

// The password for scripts and cron; the keys and the agent need none.
std::string PasswordFromEnvironment()
{
    return qEnvironmentVariable("RAVELMARK_PASSWORD").toStdString();
}

// What the user must do before a publication refused this way may be tried again; empty for a
// passing failure. Tried again at each change, a host that locks accounts after failed logins
// would lock the club out.
std::string WhatTheUserMustDo(CPublishResult::Kind kind)
{
    switch (kind) {
    case CPublishResult::LoginRefused:
        return "rätta användaren, lösenordet (RAVELMARK_PASSWORD) eller SSH-nycklarna";
    case CPublishResult::UnknownHost:
        return "lägg till raden ovan i ~/.ssh/known_hosts";
    case CPublishResult::ChangedHost:
        return "rätta ~/.ssh/known_hosts";
    case CPublishResult::UntrustedCertificate:
        return "lita på certifikatet i fönstrets \"Publicera…\"";
    case CPublishResult::Done:
    case CPublishResult::Failed:
        break;
    }
    return {};
}

// Publishes the document as it is; prints what happened. Done when published and checked.
CPublishResult::Kind PublishOnce(CTournamentDoc& doc, const CPublishTarget& target, std::ostream& out,
                                 std::ostream& err)
{
    if (!doc.ReloadRules().Ok() || !doc.ReloadPlayers().Ok()) {
        const CFileResult& refused = doc.RulesResult().Ok() ? doc.PlayersResult() : doc.RulesResult();
        err << ResultMessage(refused, doc.Encoding()).toStdString() << '\n';
        return CPublishResult::Failed;
    }
    const QDateTime updated = std::max(doc.FileStatus().LastModified(), RulesModified(doc.Path()));
    const CStandingsView view(doc.Tournament(), doc.RankedStandings(), doc.Rules(), &doc.ClubPlayers());
    std::optional<CGroupStandings> groups;
    if (doc.ClubPlayers().SetsGroups())
        groups.emplace(doc.Tournament(), doc.ClubPlayers(), doc.Rules(), SIZE_MAX, view.SharedCounting());
    const CPublication publication =
        BuildPublication(view, updated, PageName(target, doc.Path()), ServedStylesheet(doc.Path()),
                         groups ? &*groups : nullptr, doc.Path());
    const CPublishResult result = PublishFiles(target, PasswordFromEnvironment(), publication);
    const std::string now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
    if (!result.Ok()) {
        err << "ravelmark-tool: " << now << " kunde inte publicera: " << FullMessage(result).toStdString() << '\n';
        if (!result.m_knownHostsLine.isEmpty())
            err << "Lita på servern genom att lägga till raden nedan i ~/.ssh/known_hosts, om fingeravtrycket "
                   "stämmer med serverns:\n"
                << result.m_knownHostsLine.toStdString() << '\n';
        return result.m_kind;
    }
    out << now << " Publicerad och kontrollerad: " << PublishUrl(target).toStdString() << " ("
        << publication.m_updatedLine << ")\n";
    if (!result.m_webNote.isEmpty())
        out << "Obs: " << result.m_webNote.toStdString() << '\n';
    out.flush();
    return CPublishResult::Done;
}

// Automatic publishing ends where only the user can help.
bool EndsTheWatch(CPublishResult::Kind kind, std::ostream& err)
{
    const std::string what = WhatTheUserMustDo(kind);
    if (!what.empty())
        err << "ravelmark-tool: publicerar inte automatiskt förrän det är åtgärdat: " << what << " och starta sedan om"
            << std::endl;
    return !what.empty();
}

} // namespace

int PublishCommand(const std::string& file, const std::string& to, const std::string& web, bool watch,
                   std::ostream& out, std::ostream& err)
{
    const CToolApplication app;
    CTournamentDoc doc;
    if (watch)
        doc.WatchFile();
    if (!ReadTournament(doc, file, err))
        return 1;
    CPublishTarget target;
    QString reason;
    if (to.empty()) {
        if (!LoadTarget(doc.Path(), target)) {
            err << "ravelmark-tool: inget mål för " << file << ": ange --to eller välj \"Publicera…\" i fönstret\n";
            return 1;
        }
    } else if (!ParsePublishUrl(QString::fromStdString(to), target, reason)) {
        err << "ravelmark-tool: " << reason.toStdString() << " (se ravelmark-tool --help)\n";
        return 2;
    }
    // A certificate the user trusted in the window for this server stays trusted here.
    if (CPublishTarget saved; !to.empty() && LoadTarget(doc.Path(), saved) && saved.m_host == target.m_host &&
                              PortOf(saved) == PortOf(target))
        target.m_trustedCertificate = saved.m_trustedCertificate;
    if (!web.empty())
        target.m_webAddress = QString::fromStdString(web);
    const CPublishResult::Kind published = PublishOnce(doc, target, out, err);
    if (!watch)
        return published == CPublishResult::Done ? 0 : 1;
    if (EndsTheWatch(published, err))
        return 1;

    // Only the watch ends in order on Ctrl+C: a single publication held up by a stalled server
    // must still end at a signal as any program does.
    const CStopSignals stop;
    out << "Publicerar när filen, dess regler eller stilmallen ändras, tills du avslutar med Ctrl+C." << std::endl;
    const QString path = doc.Path();
    bool readable = true;
    const auto publish = [&] {
        if (EndsTheWatch(PublishOnce(doc, target, out, err), err))
            QCoreApplication::exit(1);
    };
    QObject::connect(&doc, &CTournamentDoc::fileChangedOnDisk, &doc, [&] {
        CFileResult again = doc.Read(path);
        readable = again.Ok();
        if (!readable) {
            again.m_line = QuotedLine(again.m_line, doc.Encoding());
            err << ResultMessage(again, doc.Encoding()).toStdString() << " (publiceras inte)" << std::endl;
            return;
        }
        publish();
    });
    // A change beside a refused file waits for the file: never a page of half its rounds.
    const CSidecarWatch beside(path, [&] {
        if (readable)
            publish();
    });
    const auto stopped = QuitOnSignal(stop);
    return QCoreApplication::exec();
}
