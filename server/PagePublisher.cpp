// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/PagePublisher.h"

#include "files/Stylesheet.h"
#include "files/TournamentDoc.h"
#include "report/GroupStandings.h"
#include "report/StandingsView.h"
#include "server/PageServer.h"
#include "server/ServedPage.h"

#include <QCoreApplication>

#include <memory>
#include <optional>

CPagePublisher::CPagePublisher(CTournamentDoc& doc, CPageServer& server, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_server(server)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, [this] { Publish(m_updated); });
    // One thread: pages are served in the order they were asked for.
    m_builder.setMaxThreadCount(1);
}

CPagePublisher::~CPagePublisher()
{
    m_builder.waitForDone();
}

bool CPagePublisher::Publish(const QDateTime& updated)
{
    m_settle.stop();
    // As "Skapa Tabell": the rules file as it is now; while it is refused, the page stays as it was.
    if (!m_doc.ReloadRules().Ok() || !m_doc.ReloadPlayers().Ok())
        return false;
    // The tournament as it is now, with the round open in the editor (the phones follow each
    // result as it is added): the document's shared copy, which the window never changes; the
    // standings are worked out from it on the builder's thread.
    std::shared_ptr<const CTournament> tournament = m_doc.Snapshot();
    auto rules = std::make_shared<const CSeriesRules>(m_doc.Rules());
    auto players = std::make_shared<const CClubPlayers>(m_doc.ClubPlayers());
    const QString path = m_doc.Path();
    const std::string time = updated.toLocalTime().toString(QStringLiteral("HH:mm")).toStdString();
    m_builder.start([this, tournament, rules, players, path, time] {
        CStandings standings;
        AddToStandings(standings, *tournament);
        standings.BuildRanking();
        const CStandingsView view(*tournament, standings, *rules, players.get());
        const QByteArray css = ServedStylesheet(path);
        std::optional<CGroupStandings> groups;
        if (players->SetsGroups())
            groups.emplace(*tournament, *players, *rules, SIZE_MAX, view.SharedCounting());
        m_server.Publish(std::make_shared<const CServedPage>(
            BuildServedPage(view, time, css.toStdString(), groups ? &*groups : nullptr)));
        QMetaObject::invokeMethod(
            this,
            [this] {
                ++m_builds;
                emit published();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void CPagePublisher::WaitForPages()
{
    m_builder.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CPagePublisher::FollowEdits()
{
    connect(&m_doc, &CTournamentDoc::edited, this, &CPagePublisher::OnEdited);
    connect(&m_doc, &CTournamentDoc::standingsChanged, this, &CPagePublisher::OnEdited);
}

void CPagePublisher::OnEdited()
{
    m_updated = QDateTime::currentDateTime();
    // Not restarted by later changes: steady typing still shows within a moment.
    if (!m_settle.isActive())
        m_settle.start();
}
