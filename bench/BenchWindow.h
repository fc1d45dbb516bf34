// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window's benchmarks share: the platform without its waits, and the start-up.
#include "ui/Platform.h"
#include "ui/RavelmarkApp.h"
#include "ui/RavelmarkDlg.h"

#include <QElapsedTimer>
#include <QFile>
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
};

// Before the application: the program's memory settings, and offscreen unless a platform is named.
inline void PrepareBench()
{
    KeepBigTablesApart();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// `file` copied into `folder` as the file the platform's file dialog answers with, so that the
// original stays as it is; false, said on stderr, when it cannot be.
inline bool CopyForBench(const char* bench, const char* file, const QTemporaryDir& folder, CBenchPlatform& platform)
{
    platform.m_file = folder.filePath(QFileInfo(QString::fromLocal8Bit(file)).fileName());
    if (QFile::copy(QString::fromLocal8Bit(file), platform.m_file))
        return true;
    std::fprintf(stderr, "%s: cannot copy %s\n", bench, file);
    return false;
}

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
