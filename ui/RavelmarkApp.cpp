// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RavelmarkApp.h"

#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <malloc.h>

namespace {

const char kHelp[] = "Användning: %1 [FIL]\n"
                     "Håller poängen i en turnering som spelas i omgångar och gör tabellen till en webbsida.\n"
                     "\n"
                     "  FIL            turneringsfilen (*.txt), öppnas som med \"Välj Turnering\"\n"
                     "  -h, --help     visar den här hjälpen\n"
                     "  -v, --version  visar programmets version\n";

} // namespace

CCommandLine ParseCommandLine(const QStringList& arguments)
{
    const QString program = arguments.isEmpty() ? QStringLiteral("ravelmark") : QFileInfo(arguments[0]).fileName();
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    CCommandLine line;
    const auto usageError = [&](const QString& what) {
        line.run = false;
        line.exitCode = 2;
        line.error = QStringLiteral("%1: %2 (se %1 --help)\n").arg(program, what);
        return line;
    };
    if (!parser.parse(arguments.isEmpty() ? QStringList{program} : arguments))
        return usageError(parser.unknownOptionNames().isEmpty()
                              ? parser.errorText()
                              : QStringLiteral("okänd flagga: %1").arg(parser.unknownOptionNames().first()));
    if (parser.isSet(help) || parser.isSet(version)) {
        line.run = false;
        line.output = parser.isSet(help) ? QString::fromUtf8(kHelp).arg(program)
                                         : QStringLiteral("ravelmark " RAVELMARK_VERSION "\n");
        return line;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("högst en fil"));
    if (!files.isEmpty())
        line.file = files.first();
    return line;
}

void OpenAtStart(CRavelmarkDlg& dlg, const QString& file)
{
    if (file.isEmpty())
        return;
    // The file dialog hands over full paths; messages name the file the same way.
    const QString path = QFileInfo(file).absoluteFilePath();
    QTimer::singleShot(0, &dlg, [&dlg, path] { dlg.OpenOrCreateTournament(path); });
}

CRavelmarkApp::CRavelmarkApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The executable's name without its extension, for Qt's own use (settings paths, logs). No
    // display name: Qt would append it to every window's title.
    QString name = QFileInfo(applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("ravelmark");
    setApplicationName(name);
    setApplicationVersion(QStringLiteral(RAVELMARK_VERSION));
    // Lets the desktop match the window to the installed entry and its icon.
    setDesktopFileName(QStringLiteral(RAVELMARK_APP_ID));

    // The program speaks Swedish whatever the user's locale: Qt's own texts too, as far as the
    // installed translations go (Platform.cpp sets the ones they lack).
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qt_sv"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

int CRavelmarkApp::InitInstance(const QString& file)
{
    CQtPlatform platform;
    CRavelmarkDlg dlg(platform);
    setWindowIcon(dlg.m_hIcon);
    OpenAtStart(dlg, file);
    dlg.DoModal();
    return 0;
}

void KeepBigTablesApart()
{
    // The default starting threshold, now fixed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}
