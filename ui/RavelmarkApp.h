#pragma once

#include <QApplication>

// The application: one per run, made in main. Its name, taken from the executable's file name,
// is the title of every error box.
class CRavelmarkApp : public QApplication
{
public:
    CRavelmarkApp(int& argc, char** argv);

    // Runs the main window modally; returns when it has ended, with the program's exit code.
    int InitInstance();
};
