// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

class CPageServer;
class CTournamentDoc;

// Builds the served page from a copy of the open tournament, on a thread of its own, and hands it
// to the server: once per change, however many phones ask for it.
class CPagePublisher : public QObject
{
    Q_OBJECT
public:
    // Changes close together (typing a title) give one page, this long after the first of them.
    static constexpr int kSettleMilliseconds = 250;

    CPagePublisher(CTournamentDoc& doc, CPageServer& server, QObject* parent = nullptr);
    // Waits for the pages still being built.
    ~CPagePublisher() override;

    // Builds the page of the tournament as it is now and serves it once built; `updated` is when
    // its standings last changed, shown on the page. The window is held only while the tournament
    // is copied: the page is built on a thread of its own. False when no page can be made: the
    // rules file is refused (the document's RulesResult).
    bool Publish(const QDateTime& updated);
    // Returns once every page asked for is built and served.
    void WaitForPages();
    // From now on, every change made through the document is published a moment after it, as
    // changed at that moment.
    void FollowEdits();
    // The pages built and served so far.
    int Builds() const { return m_builds; }

signals:
    void published();

private:
    void OnEdited();

    CTournamentDoc& m_doc;
    CPageServer& m_server;
    QTimer m_settle;
    QThreadPool m_builder;
    QDateTime m_updated;
    int m_builds = 0;
};
