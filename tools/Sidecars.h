// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/TextFile.h"

#include <QFileSystemWatcher>
#include <QString>

#include <array>
#include <functional>

// The files beside a tournament file that change its page: its rules and players files and the
// folder's stylesheet. They are watched with their folder, as editors save by renaming; `changed`
// is called once for each change of any of them.
class CSidecarWatch
{
public:
    CSidecarWatch(const QString& tournamentPath, std::function<void()> changed);

private:
    void Look();
    std::array<CFileStatus, 3> Status() const;

    std::array<QString, 3> m_paths; // rules, stylesheet, players (empty where none can be)
    std::function<void()> m_changed;
    std::array<CFileStatus, 3> m_seen;
    QFileSystemWatcher m_watcher;
};
