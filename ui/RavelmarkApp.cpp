#include "RavelmarkApp.h"

#include "Platform.h"
#include "RavelmarkDlg.h"

#include <QFileInfo>
#include <QIcon>

CRavelmarkApp::CRavelmarkApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The executable's name without its extension; a renamed program titles its boxes anew.
    QString name = QFileInfo(applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("ravelmark");
    setApplicationName(name);
    // Lets the desktop match the window to the installed entry and its icon.
    setDesktopFileName(QStringLiteral("ravelmark"));
}

int CRavelmarkApp::InitInstance()
{
    CQtPlatform platform;
    CRavelmarkDlg dlg(platform);
    setWindowIcon(dlg.m_hIcon);
    dlg.DoModal();
    return 0;
}
