// SPDX-License-Identifier: GPL-3.0-or-later
#include "opener/ReportOpener.h"

#include <gio/gio.h>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

namespace {

struct CGObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct CGFree
{
    void operator()(gpointer memory) const { g_free(memory); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, CGObjectUnref>;

// Qt's desktop services need a GUI application; without one there is no desktop to ask.
bool OpenOnDesktop(const QString& path)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// GIO reads mimeapps.list and the desktop entry, expands the Exec line by the desktop-entry
// rules (the page as one argument, whatever it holds) and starts the program detached,
// without a shell.
bool LaunchDefaultApplication(const QString& path)
{
    const GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type("text/html", FALSE));
    if (!app)
        return false;
    const GObjectPtr<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    const std::unique_ptr<char, CGFree> uri(g_file_get_uri(file.get()));
    GList uris{uri.get(), nullptr, nullptr};
    GError* error = nullptr;
    const bool launched = g_app_info_launch_uris(app.get(), &uris, nullptr, &error) != FALSE;
    g_clear_error(&error);
    return launched;
}

// The desktop's own opener, which Qt's services start too where they have nothing better.
bool OpenWithDesktopOpener(const QString& path)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && QProcess::startDetached(opener, {QUrl::fromLocalFile(path).toString()});
}

} // namespace

ReportOpened OpenReport(const QString& path)
{
    // A file URL needs the full path.
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (OpenOnDesktop(fullPath))
        return ReportOpened::ByDesktop;
    return LaunchDefaultApplication(fullPath) ? ReportOpened::ByDefaultApplication : ReportOpened::NotOpened;
}

ReportOpened OpenReportWithoutWindow(const QString& path)
{
    if (QCoreApplication::instance() != nullptr)
        return OpenReport(path);
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!platformChosen && !wayland && qEnvironmentVariableIsEmpty("DISPLAY"))
        return OpenReport(path);

    // A display that cannot be reached must not end the program: fall back to offscreen,
    // which has no desktop services, so the default application is tried instead.
    char name[] = "ravelmark";
    char platformOption[] = "-platform";
    char waylandFirst[] = "wayland;xcb;offscreen";
    char xcbFirst[] = "xcb;offscreen";
    // A fixed array: a growing vector would add the program's only memory copy, which the
    // fortified libc cannot check.
    char* argv[] = {name, platformOption, wayland ? waylandFirst : xcbFirst, nullptr};
    int argc = 3;
    if (platformChosen) {
        argv[1] = nullptr;
        argc = 1;
    }
    const QGuiApplication application(argc, argv);
    // A Wayland session that Qt could not reach (no Wayland plugin) still has a desktop, whose
    // services come before the default application as they do in the window.
    if (wayland && QGuiApplication::platformName() == QLatin1String("offscreen") &&
        OpenWithDesktopOpener(QFileInfo(path).absoluteFilePath()))
        return ReportOpened::ByDesktop;
    return OpenReport(path);
}
