// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

class CPageServer;
class CTournamentDoc;

// Builds the served page from the open tournament, on the thread that owns the tournament, and
// hands it to the server: once per change, however many phones ask for it.
class CPagePublisher : public QObject
{
    Q_OBJECT
public:
    // Changes close together (typing a title) give one page, this long after the first of them.
    static constexpr int kSettleMilliseconds = 250;

    CPagePublisher(CTournamentDoc& doc, CPageServer& server, QObject* parent = nullptr);

    // Builds the page of the tournament as it is now and serves it; `updated` is when its
    // standings last changed, shown on the page.
    void Publish(const QDateTime& updated);
    // From now on, every change made through the document is published a moment after it, as
    // changed at that moment.
    void FollowEdits();
    // The pages built so far.
    int Builds() const { return m_builds; }

signals:
    void published();

private:
    void OnEdited();

    CTournamentDoc& m_doc;
    CPageServer& m_server;
    QTimer m_settle;
    QDateTime m_updated;
    int m_builds = 0;
};

// The stylesheet served with the page: the user's "table.css" beside the tournament file when
// there is one, else the program's own.
QByteArray ServedStylesheet(const QString& tournamentPath);
