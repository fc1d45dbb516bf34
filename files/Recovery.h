// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <memory>

class CTournamentDoc;

// The program's folder in the user's state folder: $XDG_STATE_HOME/ravelmark, by default
// ~/.local/state/ravelmark.
QString StateFolder();

// Where the unsaved changes of the tournament at `tournamentPath` are kept while the window
// is open: hidden beside the file (".NAME.txt.osparad"), or, where that folder cannot be
// written, in the user's state folder ($XDG_STATE_HOME/ravelmark, ~/.local/state/ravelmark by
// default) under the file's name and a hash of its full path, so that two folders' files of one
// name stay apart.
QString RecoveryPathBeside(const QString& tournamentPath);
QString RecoveryPathInState(const QString& tournamentPath);

// The name a recovery file written at `written` is kept under when nobody took it over:
// "NAME_YYMMDD_hhmmss.osparad" (NAME the tournament's name without its ending, the time local),
// in the folder the recovery file is in.
QString KeptRecoveryName(const QString& recoveryPath, const QString& tournamentPath, const QDateTime& written);

// Renames the recovery file to its kept name, never over another file (a second one of the same
// second gets "-2", "-3", ... before the ending). The kept path, or empty when it stayed.
QString KeepRecoveryFile(const QString& recoveryPath, const QString& tournamentPath);

// A recovery file found for a tournament being opened.
struct CRecoveryFound
{
    QString m_path;
    QDateTime m_written; // its last modification
    CTournament m_tournament;
};

// The recovery file of the tournament at `tournamentPath` that holds something else than the
// file: true with it read into `found`. Recovery files that hold the file's own bytes are
// removed; ones that cannot be read back are kept under their kept names, so that nothing is
// asked about that cannot be shown.
bool FindRecovery(const QString& tournamentPath, CRecoveryFound& found);

// Keeps the open tournament's unsaved changes on disk: after each change, once the debounce has
// passed, the tournament as it stands (with the round open in the editor, once it has a result)
// is written off the GUI thread to its recovery file, from a copy taken on the GUI thread.
class CRecovery : public QObject
{
    Q_OBJECT
public:
    // The longest wait between a change and the start of its write.
    static constexpr int kDelayMs = 1000;

    explicit CRecovery(CTournamentDoc& doc, QObject* parent = nullptr);
    ~CRecovery() override;

    // Something changed (the document or the working round): a write is due.
    void Schedule();
    // Takes over a recovery file the user chose to continue with: it is this tournament's now.
    void Adopt(const QString& path);
    // Writes what is due now and waits for it (before the tournament is dropped, and in tests).
    void Flush();
    // After a normal close (saved, or nothing to save): no recovery file stays.
    void Remove();
    // The tournament is dropped: with unsaved changes, its recovery file is kept under its kept
    // name (the kept path returned); without, it is removed.
    QString Keep();
    // The recovery file last written, or adopted; empty when there is none.
    QString Current() const { return m_current; }

signals:
    // A write ended; `error` 0 or its errno (for tests and benchmarks).
    void written(int error);

private:
    bool Unsaved() const;
    std::shared_ptr<const CTournament> Snapshot() const;
    void StartWrite();
    void Written(const QString& path, int error);
    void Forget();

    CTournamentDoc& m_doc;
    QTimer m_timer;
    QElapsedTimer m_due; // since the first change not yet written
    QThreadPool m_pool;  // one writer at a time
    bool m_writing = false;
    bool m_dirty = false;     // changed since the last write started
    QString m_current;        // the recovery file, where it was written last
    QStringList m_files;      // every recovery file of this tournament, for Remove and Keep
    QString m_tournamentPath; // of the tournament the files belong to
};
