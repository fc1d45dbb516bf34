#pragma once

#include "ReportOpener.h"

#include <QString>

// The desktop's services for opening the page: Qt's desktop services for the shell, GIO's
// MIME associations (mimeapps.list and desktop entries) for the registered program.
class CReportShell : public CShell
{
public:
    // Shows the page at `path` in the desktop's browser; never waits, reports nothing.
    ReportOpened OpenReport(const QString& path, int showCommand = SW_SHOW);

    // Hands a file URL to the desktop (portal or xdg-open); false without a QGuiApplication.
    bool ShellOpen(const std::string& path, int showCommand) override;
    // ".htm": the desktop id of the default application for text/html;
    // "<desktop id>\shell\open\command": that entry's Exec value.
    bool ReadRegistryDefault(const std::string& subKey, std::string& out) override;
    // Starts the program detached; a program without '/' is looked up on PATH. The show state
    // is left to the program.
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      int showCommand) override;
};

// For a program without a window: opens the page as CReportShell does, making a
// QGuiApplication for the shell step when there is none and a display to show on. Without a
// display only the registered program is tried.
ReportOpened OpenReportWithoutWindow(const QString& path);
