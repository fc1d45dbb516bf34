// SPDX-License-Identifier: GPL-3.0-or-later
// ravelmark-open PAGE: shows the page as the window's "Skapa Tabell" does. ravelmark-tool
// starts it for `table --open` only, so that its other commands do not load Qt Gui and GIO.
// Exit status 0 when a program took the page, 1 when none could, 2 on a usage error.
#include "opener/ReportOpener.h"

#include <QFile>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    return OpenReportWithoutWindow(QFile::decodeName(argv[1])) == ReportOpened::NotOpened ? 1 : 0;
}
