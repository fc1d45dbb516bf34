// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Sidecars.h"

#include "files/RulesFile.h"

#include <QFileInfo>

CSidecarWatch::CSidecarWatch(const QString& tournamentPath, std::function<void()> changed)
    : m_changed(std::move(changed))
    , m_watcher({QFileInfo(tournamentPath).absolutePath()})
{
    RulesPath(tournamentPath, m_paths[0]);
    m_paths[1] = QFileInfo(tournamentPath).absolutePath() + QStringLiteral("/table.css");
    PlayersPath(tournamentPath, m_paths[2]);
    m_seen = Status();
    Look();
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_watcher, [this] { Look(); });
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher, [this] { Look(); });
}

std::array<CFileStatus, 3> CSidecarWatch::Status() const
{
    std::array<CFileStatus, 3> status;
    for (std::size_t i = 0; i < m_paths.size(); ++i)
        ReadFileStatus(m_paths[i], status[i]);
    return status;
}

void CSidecarWatch::Look()
{
    // A file that appears is watched from then on: a change in place does not touch the folder.
    for (const QString& side : m_paths)
        if (!side.isEmpty() && QFileInfo::exists(side) && !m_watcher.files().contains(side))
            m_watcher.addPath(side);
    const auto now = Status();
    if (now == m_seen)
        return;
    m_seen = now;
    m_changed();
}
