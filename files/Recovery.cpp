// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Recovery.h"

#include "files/QtText.h"
#include "files/TextFile.h"
#include "files/TournamentDoc.h"
#include "files/TournamentFile.h"
#include "model/Text.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

QString StateFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directories: a relative path is to be ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/ravelmark");
}

namespace {

const QString kEnding = QStringLiteral(".osparad");

// The folder cannot take a new file, where the state folder may.
bool FolderRefused(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

bool SameBytes(const QString& a, const QString& b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd())
        if (first.read(1 << 16) != second.read(1 << 16))
            return false;
    return true;
}

} // namespace

QString RecoveryPathBeside(const QString& tournamentPath)
{
    const QFileInfo file(tournamentPath);
    return file.absolutePath() + QStringLiteral("/.") + file.fileName() + kEnding;
}

QString RecoveryPathInState(const QString& tournamentPath)
{
    const QFileInfo file(tournamentPath);
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(file.absoluteFilePath()), QCryptographicHash::Sha256).toHex();
    return StateFolder() + '/' + file.fileName() + '.' + QString::fromLatin1(hash.left(16)) + kEnding;
}

QString KeptRecoveryName(const QString& recoveryPath, const QString& tournamentPath, const QDateTime& written)
{
    const QString name = ChangeExtension(
        QFileInfo(tournamentPath).fileName(),
        written.toLocalTime().toString(QStringLiteral("_yyMMdd_HHmmss")).toStdString() + kEnding.toStdString());
    return QFileInfo(recoveryPath).absolutePath() + '/' + name;
}

QString KeepRecoveryFile(const QString& recoveryPath, const QString& tournamentPath)
{
    const QString kept = KeptRecoveryName(recoveryPath, tournamentPath, QFileInfo(recoveryPath).lastModified());
    QString name = kept;
    for (int n = 2; n < 100; ++n) {
        // QFile::rename never replaces a file that is there.
        if (QFile::rename(recoveryPath, name)) {
            SyncFolder(ToLocal8(QFileInfo(name).absolutePath()));
            return name;
        }
        if (!QFileInfo::exists(name))
            return {};
        name = kept.chopped(kEnding.size()) + '-' + QString::number(n) + kEnding;
    }
    return {};
}

bool FindRecovery(const QString& tournamentPath, CRecoveryFound& found)
{
    for (const QString& path : {RecoveryPathBeside(tournamentPath), RecoveryPathInState(tournamentPath)}) {
        const QFileInfo info(path);
        if (!info.isFile())
            continue;
        if (SameBytes(path, tournamentPath)) {
            // Saved already: nothing in it that the file lacks.
            QFile::remove(path);
            continue;
        }
        CLoadedTournament loaded;
        if (!LoadTournamentFile(path, loaded).Ok()) {
            KeepRecoveryFile(path, tournamentPath);
            continue;
        }
        found.m_path = path;
        found.m_written = info.lastModified();
        found.m_tournament = std::move(loaded.m_tournament);
        return true;
    }
    return false;
}

CRecovery::CRecovery(CTournamentDoc& doc, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
{
    m_pool.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CRecovery::StartWrite);
    connect(&m_doc, &CTournamentDoc::edited, this, &CRecovery::Schedule);
}

CRecovery::~CRecovery()
{
    m_pool.waitForDone();
}

void CRecovery::Schedule()
{
    if (!m_dirty)
        m_due.start();
    m_dirty = true;
    // A running write is followed by the next as soon as it ends; the timer is not restarted by
    // later changes, so that steady typing is still written every second.
    if (!m_writing && !m_timer.isActive())
        m_timer.start(kDelayMs);
}

bool CRecovery::Unsaved() const
{
    return m_doc.Changed() || m_doc.WorkingRoundDiffers();
}

std::shared_ptr<const CTournament> CRecovery::Snapshot() const
{
    std::shared_ptr<const CTournament> shared = m_doc.Snapshot();
    std::string title = shared->m_title;
    TrimSpaces(title);
    // The document's copy, shared with the pages, unless the file's title must differ.
    if (!title.empty() && title == shared->m_title)
        return shared;
    CTournament tournament = *shared;
    // As the close would save it; a title being retyped is not there yet, and a file without one
    // would not read back: the file's name stands in.
    tournament.m_title = title;
    if (tournament.m_title.empty())
        tournament.m_title = FromQString(QFileInfo(m_doc.Path()).completeBaseName(), tournament.m_encoding);
    return std::make_shared<const CTournament>(std::move(tournament));
}

void CRecovery::StartWrite()
{
    if (m_writing)
        return;
    if (!m_dirty || m_doc.Path().isEmpty())
        return;
    m_dirty = false;
    if (!Unsaved()) {
        // Back to what the file holds (a change undone): nothing to recover.
        if (m_tournamentPath == m_doc.Path())
            for (const QString& path : std::as_const(m_files))
                QFile::remove(path);
        Forget();
        return;
    }
    if (m_tournamentPath != m_doc.Path())
        Forget();
    m_tournamentPath = m_doc.Path();
    m_writing = true;
    const std::shared_ptr<const CTournament> snapshot = Snapshot();
    const QString tournamentPath = m_doc.Path();
    const QString first = m_current.isEmpty() ? RecoveryPathBeside(tournamentPath) : m_current;
    m_pool.start([this, snapshot, tournamentPath, first] {
        QString path = first;
        int error = WriteTournamentCopy(*snapshot, path);
        if (FolderRefused(error) && path == RecoveryPathBeside(tournamentPath)) {
            path = RecoveryPathInState(tournamentPath);
            error = QDir().mkpath(QFileInfo(path).absolutePath()) ? WriteTournamentCopy(*snapshot, path) : errno;
        }
        QMetaObject::invokeMethod(
            this, [this, path, error] { Written(path, error); }, Qt::QueuedConnection);
    });
}

void CRecovery::Written(const QString& path, int error)
{
    m_writing = false;
    if (error == 0) {
        m_current = path;
        if (!m_files.contains(path))
            m_files << path;
    }
    if (m_dirty)
        m_timer.start(std::max(0, kDelayMs - static_cast<int>(m_due.elapsed())));
    emit written(error);
}

void CRecovery::Adopt(const QString& path)
{
    Forget();
    m_tournamentPath = m_doc.Path();
    m_current = path;
    m_files << path;
}

void CRecovery::Flush()
{
    m_pool.waitForDone();
    // The write's own report has not been delivered yet: take it now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (m_dirty) {
        m_timer.stop();
        StartWrite();
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void CRecovery::Remove()
{
    m_timer.stop();
    m_dirty = false;
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    for (const QString& path : std::as_const(m_files))
        QFile::remove(path);
    Forget();
}

QString CRecovery::Keep()
{
    if (!Unsaved()) {
        Remove();
        return {};
    }
    m_dirty = true;
    Flush();
    QString kept;
    if (!m_current.isEmpty()) {
        kept = KeepRecoveryFile(m_current, m_tournamentPath);
        m_files.removeAll(m_current);
    }
    // Older ones (another folder's) hold less than the one kept.
    for (const QString& path : std::as_const(m_files))
        QFile::remove(path);
    Forget();
    return kept;
}

void CRecovery::Forget()
{
    m_current.clear();
    m_files.clear();
    m_tournamentPath.clear();
}
