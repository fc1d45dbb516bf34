// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

enum class ReportOpened {
    ByDesktop,            // Qt's desktop services took the page (portal or xdg-open)
    ByDefaultApplication, // the default application for text/html was started
    NotOpened
};

// Shows the page at `path` in the desktop's program for web pages: through Qt's desktop
// services when a QGuiApplication runs, else (or when they refuse) by starting the default
// application for text/html as its desktop entry says. Never waits for the program; the caller
// need not look at the outcome.
ReportOpened OpenReport(const QString& path);

// For a program without a window: as OpenReport, making a QGuiApplication for the desktop
// services when there is none and a display to show on. In a Wayland session that Qt cannot
// reach, the desktop's opener (xdg-open) is asked first. Without a display only the default
// application is tried.
ReportOpened OpenReportWithoutWindow(const QString& path);
