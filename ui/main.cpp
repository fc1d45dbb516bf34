// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RavelmarkApp.h"

#include <cstdio>

int main(int argc, char** argv)
{
    KeepBigTablesApart();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CCommandLine line = ParseCommandLine(arguments);
    if (!line.run) {
        std::fputs(line.output.toLocal8Bit().constData(), stdout);
        std::fputs(line.error.toLocal8Bit().constData(), stderr);
        return line.exitCode;
    }
    CRavelmarkApp theApp(argc, argv);
    return theApp.InitInstance(line.file);
}
