// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

class CRavelmarkDlg;

// What the command line asks for: run the window (with a file or none), or end at once with
// `exitCode` after printing `output` (stdout) or `error` (stderr).
struct CCommandLine
{
    bool run = true;
    int exitCode = 0;
    QString file;
    QString output;
    QString error;
};

// `ravelmark [FILE]`, --help and --version; needs no display, so it runs before the application.
CCommandLine ParseCommandLine(const QStringList& arguments);

// Reads `file` into the window as soon as its loop runs, so that a refusal's box shows over it.
void OpenAtStart(CRavelmarkDlg& dlg, const QString& file);

// Makes every big table (names, results, standings) a mapping of its own, given back to the
// system when it is freed. glibc otherwise raises its mapping threshold after the first big
// free and keeps later tables in the heap, where a freed one still counts against the program
// as the tournament is rebuilt. Call first thing in main.
void KeepBigTablesApart();

// The application: one per run, made in main. Its name is the executable's file name; the
// name the user sees is AppName().
class CRavelmarkApp : public QApplication
{
public:
    CRavelmarkApp(int& argc, char** argv);

    // Runs the main window modally, first reading `file` when one is given; returns when the
    // window has ended, with the program's exit code.
    int InitInstance(const QString& file = {});
};
