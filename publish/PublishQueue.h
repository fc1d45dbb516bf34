// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "publish/Upload.h"

#include <QDateTime>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CTournamentDoc;

// Publishes the open tournament to one target, one publication at a time and always of the
// newest state, off the GUI thread: now when asked, and, when following the evening, a moment
// after the changes stop; after a failure again after 10, 20, 40, then every 60 seconds.
class CPublishQueue : public QObject
{
    Q_OBJECT
public:
    // Quiet this long after the last change, the change is published.
    static constexpr int kSettleMilliseconds = 5000;
    // Changes that never stop for that long are published this long after the first of them.
    static constexpr int kLongestMilliseconds = 60000;

    explicit CPublishQueue(CTournamentDoc& doc, QObject* parent = nullptr);
    // Waits for a publication still running (at most its timeouts).
    ~CPublishQueue() override;

    // Where to, with the password for the login (kept in memory only) and what the user trusts.
    void SetTarget(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust = {});
    const CPublishTarget& Target() const { return m_target; }
    bool HasTarget() const { return m_hasTarget; }
    // Every change of the standings from now on is published (with a target); off stops that.
    void SetAutomatic(bool automatic);
    // The quiet after the last change (kSettleMilliseconds; shorter in tests).
    void SetSettleMilliseconds(int milliseconds) { m_settle.setInterval(milliseconds); }
    // The longest wait under steady changes (kLongestMilliseconds; shorter in tests).
    void SetLongestMilliseconds(int milliseconds) { m_longest.setInterval(milliseconds); }
    // Publishes the tournament as it is now: at once, or after the one running.
    void PublishNow();
    // Nothing due any more, no retry, no target; a publication running is cancelled, unreported.
    void Stop();
    // Publishes what is due and waits for it, at most `milliseconds`; true when nothing is left
    // undone (published, or nothing was due). A publication still running then is cancelled.
    bool Finish(int milliseconds);

    bool Busy() const { return m_busy; }
    bool Due() const { return m_due || m_settle.isActive() || m_retry.isActive(); }
    // "Publicerad 19:42" / "Publiceras …" / "Kunde inte publicera 19:43: ORSAK – nytt försök 19:44";
    // empty before the first publication.
    QString StateLine() const { return m_state; }
    const CPublishResult& LastResult() const { return m_last; }
    // When the failed publication is tried again; invalid when it is not.
    QDateTime NextTry() const
    {
        return m_retry.isActive() ? QDateTime::currentDateTime().addMSecs(m_retry.remainingTime()) : QDateTime();
    }
    // The publications ended so far, for tests and benchmarks.
    int Ended() const { return m_ended; }

    // What a target that asks for it (m_archive) gets after each page: more of the club's site
    // (its archive), put there on the publication's thread; its failure is the publication's.
    using FollowUp = std::function<CPublishResult(const CPublishTarget& target, const std::string& password,
                                                  const CPublishTrust& trust, const QString& tournamentPath)>;
    void SetFollowUp(FollowUp followUp) { m_followUp = std::move(followUp); }

    // The retry delay after `failures` failures in a row, in seconds: 10, 20, 40, then 60.
    static int RetrySeconds(int failures);

signals:
    void stateChanged();
    // A publication ended (also a failed one).
    void ended(const CPublishResult& result);

private:
    void OnChanged();
    void Start();
    void Ended(const CPublishResult& result);
    void SetState(const QString& state);

    CTournamentDoc& m_doc;
    CPublishTarget m_target;
    std::string m_password;
    CPublishTrust m_trust;
    bool m_hasTarget = false;
    bool m_automatic = false;
    bool m_busy = false;
    bool m_due = false; // asked for while one runs
    int m_failures = 0;
    int m_ended = 0;
    QDateTime m_changed; // the last change of the standings: the page's "Uppdaterad"
    QTimer m_settle;
    QTimer m_longest; // runs beside m_settle, from the first change it waits for
    QTimer m_retry;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancel;
    CPublishResult m_last;
    QString m_state;
    FollowUp m_followUp;
};
