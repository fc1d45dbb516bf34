// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/PublishQueue.h"

#include "files/Stylesheet.h"
#include "files/TournamentDoc.h"
#include "report/GroupStandings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <optional>

namespace {

QString Clock(const QDateTime& time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

} // namespace

CPublishQueue::CPublishQueue(CTournamentDoc& doc, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
{
    m_pool.setMaxThreadCount(1);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    m_longest.setSingleShot(true);
    m_longest.setInterval(kLongestMilliseconds);
    m_retry.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &CPublishQueue::PublishNow);
    connect(&m_longest, &QTimer::timeout, this, &CPublishQueue::PublishNow);
    connect(&m_retry, &QTimer::timeout, this, &CPublishQueue::PublishNow);
    connect(&m_doc, &CTournamentDoc::edited, this, &CPublishQueue::OnChanged);
    connect(&m_doc, &CTournamentDoc::standingsChanged, this, &CPublishQueue::OnChanged);
}

CPublishQueue::~CPublishQueue()
{
    if (m_cancel)
        *m_cancel = true;
    m_pool.waitForDone();
}

int CPublishQueue::RetrySeconds(int failures)
{
    return failures <= 1 ? 10 : failures == 2 ? 20 : failures == 3 ? 40 : 60;
}

void CPublishQueue::SetTarget(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust)
{
    m_target = target;
    m_password = password;
    m_trust = trust;
    m_hasTarget = true;
    m_failures = 0;
    m_retry.stop();
}

void CPublishQueue::SetAutomatic(bool automatic)
{
    m_automatic = automatic;
    if (!automatic) {
        m_settle.stop();
        m_longest.stop();
    }
}

void CPublishQueue::Stop()
{
    m_settle.stop();
    m_longest.stop();
    m_retry.stop();
    m_due = false;
    m_automatic = false;
    m_hasTarget = false;
    m_changed = {};
    // One running ends unreported; the next waits for its thread.
    if (m_cancel)
        *m_cancel = true;
    m_busy = false;
}

void CPublishQueue::OnChanged()
{
    m_changed = QDateTime::currentDateTime();
    // Restarted by every change, so that the evening's burst of results gives one publication;
    // but never put off past the longest wait, so that steady changes still reach the site.
    if (m_automatic && m_hasTarget) {
        if (!m_settle.isActive())
            m_longest.start();
        m_settle.start();
    }
}

void CPublishQueue::PublishNow()
{
    m_settle.stop();
    m_longest.stop();
    m_retry.stop();
    if (!m_hasTarget)
        return;
    if (m_busy) {
        // The newest state, once, when the one running ends.
        m_due = true;
        return;
    }
    Start();
}

void CPublishQueue::Start()
{
    m_due = false;
    if (!m_doc.ReloadRules().Ok() || !m_doc.ReloadPlayers().Ok()) {
        const CFileResult& refused = m_doc.RulesResult().Ok() ? m_doc.PlayersResult() : m_doc.RulesResult();
        Ended(Failure(ResultMessage(refused, m_doc.Encoding())));
        return;
    }
    // The document's shared copy of the tournament as it is now; the standings and the page are
    // worked out from it on the worker's thread.
    std::shared_ptr<const CTournament> tournament = m_doc.Snapshot();
    auto rules = std::make_shared<const CSeriesRules>(m_doc.Rules());
    auto players = std::make_shared<const CClubPlayers>(m_doc.ClubPlayers());
    const QString path = m_doc.Path();
    // Unchanged since it was read, the standings are as old as the file.
    const QDateTime updated = m_changed.isValid()              ? m_changed
                              : m_doc.FileStatus().m_size >= 0 ? m_doc.FileStatus().LastModified()
                                                               : QDateTime::currentDateTime();
    m_busy = true;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    CPublishTrust trust = m_trust;
    trust.m_cancel = m_cancel;
    SetState(QStringLiteral("Publiceras \u2026"));
    m_pool.start([this, tournament, rules, players, path, updated, target = m_target, password = m_password, trust,
                  followUp = m_followUp] {
        CStandings standings;
        AddToStandings(standings, *tournament);
        standings.BuildRanking();
        const CStandingsView view(*tournament, standings, *rules, players.get());
        std::optional<CGroupStandings> groups;
        if (players->SetsGroups())
            groups.emplace(*tournament, *players, *rules, SIZE_MAX, view.SharedCounting());
        const CPublication publication = BuildPublication(view, updated, PageName(target, path), ServedStylesheet(path),
                                                          groups ? &*groups : nullptr);
        CPublishResult result = PublishFiles(target, password, publication, trust);
        if (result.Ok() && target.m_archive && followUp && !*trust.m_cancel) {
            const QString note = result.m_webNote;
            result = followUp(target, password, trust, path);
            result.m_webNote = note;
        }
        if (!*trust.m_cancel)
            QMetaObject::invokeMethod(
                this, [this, result] { Ended(result); }, Qt::QueuedConnection);
    });
}

void CPublishQueue::Ended(const CPublishResult& result)
{
    m_busy = false;
    ++m_ended;
    m_last = result;
    const QDateTime now = QDateTime::currentDateTime();
    if (result.Ok()) {
        m_failures = 0;
        SetState(QStringLiteral("Publicerad %1").arg(Clock(now)));
    } else {
        ++m_failures;
        QString state = QStringLiteral("Kunde inte publicera %1: %2").arg(Clock(now), result.m_message);
        // A host or certificate to decide on, or a refused login, waits for the user: tried
        // again at every change, a host that locks accounts after failed logins would lock
        // the club out. Keeping the target in "Publicera" starts it again.
        if (m_hasTarget && result.m_kind == CPublishResult::Failed) {
            const int seconds = RetrySeconds(m_failures);
            m_retry.start(seconds * 1000);
            state += QStringLiteral(" \u2013 nytt försök %1").arg(Clock(now.addSecs(seconds)));
        } else if (m_hasTarget) {
            SetAutomatic(false);
            m_due = false;
            state += QStringLiteral(" \u2013 publiceras inte automatiskt förrän det är åtgärdat i "
                                    "\u201dPublicera\u2026\u201d");
        }
        SetState(state);
    }
    emit ended(result);
    if (m_due && m_hasTarget)
        Start();
}

bool CPublishQueue::Finish(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    // A change still in its quiet time is published too, also when it came during an upload:
    // after that one, once more.
    if (m_settle.isActive() || m_retry.isActive() || (!m_busy && m_due))
        PublishNow();
    while (m_busy && !deadline.hasExpired()) {
        m_pool.waitForDone(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 50)));
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (!m_busy && m_due)
            Start();
    }
    if (m_busy) {
        *m_cancel = true;
        return false;
    }
    return m_last.Ok();
}

void CPublishQueue::SetState(const QString& state)
{
    m_state = state;
    emit stateChanged();
}
