// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmarks of the window share: the platform without its waits, the offscreen start
// and the wait until the event queue is idle.
#include "files/RulesFile.h"
#include "ui/Platform.h"
#include "ui/RavelmarkApp.h"
#include "ui/RavelmarkDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

// The file dialog answers with the benchmark's file, every question with `m_answer`, an error
// box is written down (and to stderr), and the page is not opened.
struct CBenchPlatform : CPlatform
{
    QString m_file;
    bool m_answer = true;
    QStringList m_errors;

    void ErrorBox(QWidget*, const QString& text) override
    {
        m_errors << text;
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool Question(QWidget*, const QString&, const QString&) override { return m_answer; }
    bool ChooseFile(QWidget*, const QString&, QString& path) override
    {
        path = m_file;
        return true;
    }
    void OpenReport(const QString&) override {}

    // The file dialog answers with a copy of `path` in `folder`: the original stays as it is.
    bool UseCopyOf(const char* path, const QTemporaryDir& folder)
    {
        const QString original = QString::fromLocal8Bit(path);
        m_file = folder.filePath(QFileInfo(original).fileName());
        if (!QFile::copy(original, m_file)) {
            std::fprintf(stderr, "cannot copy %s\n", path);
            return false;
        }
        // The club's rules and players go along: the window counts the file by them.
        for (const auto sidecar : {RulesPath, PlayersPath}) {
            QString from, to;
            if (sidecar(original, from) && QFile::exists(from) && sidecar(m_file, to) && !QFile::copy(from, to)) {
                std::fprintf(stderr, "cannot copy %s\n", qPrintable(from));
                return false;
            }
        }
        return true;
    }
};

// Before the application is made: the program's memory layout, and no display needed.
inline void PrepareBench()
{
    KeepBigTablesApart();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Counts the events the application delivers: a round of event processing that delivers none
// means the queue is idle (layouts, paints and deferred deletes included).
class CIdle : public QObject
{
public:
    CIdle() { QCoreApplication::instance()->installEventFilter(this); }
    void Wait()
    {
        do {
            m_count = 0;
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        } while (m_count > 0);
    }

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

// The main window as the program starts it, shown.
inline void StartWindow(CRavelmarkDlg& dlg)
{
    dlg.InitDialog();
    dlg.show();
}

inline double Ms(qint64 nanoseconds)
{
    return static_cast<double>(nanoseconds) / 1e6;
}

inline double Ms(const QElapsedTimer& timer)
{
    return Ms(timer.nsecsElapsed());
}
