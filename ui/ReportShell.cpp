// GIO first: its headers name struct members "signals", a word Qt defines as a macro.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "ReportShell.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kOpenCommandKey = "\\shell\\open\\command";

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

QString FromFileName(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

} // namespace

ReportOpened CReportShell::OpenReport(const QString& path, int showCommand)
{
    // A file URL needs the full path.
    return ::OpenReport(*this, QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString(), showCommand);
}

bool CReportShell::ShellOpen(const std::string& path, int /*showCommand*/)
{
    // Qt's desktop services need a GUI application; without one there is no shell to ask.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FromFileName(path)));
}

bool CReportShell::ReadRegistryDefault(const std::string& subKey, std::string& out)
{
    if (subKey == ".htm") {
        const GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type("text/html", FALSE));
        const char* id = app ? g_app_info_get_id(app.get()) : nullptr;
        if (id == nullptr || *id == '\0')
            return false;
        out = id;
        return true;
    }
    if (subKey.size() > kOpenCommandKey.size() && subKey.ends_with(kOpenCommandKey)) {
        const std::string id = subKey.substr(0, subKey.size() - kOpenCommandKey.size());
        const GObjectPtr<GDesktopAppInfo> entry(g_desktop_app_info_new(id.c_str()));
        if (!entry)
            return false;
        const std::unique_ptr<char, CGFree> exec(g_desktop_app_info_get_string(entry.get(), "Exec"));
        if (!exec)
            return false;
        out = exec.get();
        return true;
    }
    return false;
}

bool CReportShell::StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                                int /*showCommand*/)
{
    QStringList qtArguments;
    qtArguments.reserve(static_cast<qsizetype>(arguments.size()));
    for (const std::string& argument : arguments)
        qtArguments.append(FromFileName(argument));
    return QProcess::startDetached(FromFileName(program), qtArguments);
}

ReportOpened OpenReportWithoutWindow(const QString& path)
{
    CReportShell shell;
    if (QCoreApplication::instance() != nullptr)
        return shell.OpenReport(path);
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!platformChosen && !wayland && qEnvironmentVariableIsEmpty("DISPLAY"))
        return shell.OpenReport(path);

    // A display that cannot be reached must not end the program: fall back to offscreen,
    // which has no shell, so the registered program is tried instead.
    char name[] = "ravelmark";
    char platformOption[] = "-platform";
    char waylandFirst[] = "wayland;xcb;offscreen";
    char xcbFirst[] = "xcb;offscreen";
    std::vector<char*> argv{name};
    if (!platformChosen) {
        argv.push_back(platformOption);
        argv.push_back(wayland ? waylandFirst : xcbFirst);
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(argv.size() - 1);
    const QGuiApplication application(argc, argv.data());
    return shell.OpenReport(path);
}
