// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/PagePublisher.h"

#include "files/Stylesheet.h"
#include "files/TournamentDoc.h"
#include "report/StandingsView.h"
#include "server/PageServer.h"
#include "server/ServedPage.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

// Larger than any stylesheet a person writes; a file past it is not the page's stylesheet.
constexpr qint64 kLargestStylesheet = qint64{1024} * 1024;

} // namespace

QByteArray ServedStylesheet(const QString& tournamentPath)
{
    if (!tournamentPath.isEmpty()) {
        QFile file(QFileInfo(tournamentPath).absolutePath() + QStringLiteral("/table.css"));
        const QFileInfo info(file);
        if (info.isFile() && info.size() <= kLargestStylesheet && file.open(QIODevice::ReadOnly))
            return file.read(kLargestStylesheet);
    }
    return ProgramStylesheet();
}

CPagePublisher::CPagePublisher(CTournamentDoc& doc, CPageServer& server, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_server(server)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, [this] { Publish(m_updated); });
}

void CPagePublisher::Publish(const QDateTime& updated)
{
    m_settle.stop();
    const CStandingsView view(m_doc.Tournament(), m_doc.RankedStandings());
    const QByteArray css = ServedStylesheet(m_doc.Path());
    const std::string time = updated.toLocalTime().toString(QStringLiteral("HH:mm")).toStdString();
    m_server.Publish(std::make_shared<const CServedPage>(BuildServedPage(view, time, css.toStdString())));
    ++m_builds;
    emit published();
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
