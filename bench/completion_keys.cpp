// SPDX-License-Identifier: GPL-3.0-or-later
// The fewest letters that make the round editor's name box complete each known name: for every
// line of NAMES (UTF-8, one player a line), the shortest start of it, typed in lower case, that
// the box completes to that very name; the whole name as it is when no shorter start does.
// bench/keyboard_round types what it prints, so the program itself checks the figures.
//
//   completion_keys NAMES    prints one line per name: the letters to type
#include "ui/Controls.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFile file(argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString());
    if (argc != 2 || !file.open(QIODevice::ReadOnly)) {
        std::fputs("usage: completion_keys NAMES\n", stderr);
        return 2;
    }
    const QStringList names = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    CComboBox box(true);
    box.AddStrings(names);
    QTextStream out(stdout);
    for (const QString& name : names) {
        QString keys = name;
        // A start as long as the name is typed as it is: the box keeps what is typed whole.
        for (qsizetype length = 1; length < name.size(); ++length) {
            const QString start = name.left(length).toLower();
            if (box.FindCompletion(start) == name) {
                keys = start;
                break;
            }
        }
        out << keys << '\n';
    }
    return 0;
}
