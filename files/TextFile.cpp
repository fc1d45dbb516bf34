#include "TextFile.h"

#include "Text.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr std::size_t kWriteChunk = 1 << 20;

std::string ToLocal8(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

bool CTextFileReader::Open(const QString& path)
{
    Close();
    m_file.setFileName(path);
    if (QFileInfo(path).isDir() || !m_file.open(QIODevice::ReadOnly))
        return false;
    m_path = QFileInfo(path).absoluteFilePath();
    m_lastModified = m_file.fileTime(QFileDevice::FileModificationTime);
    return true;
}

bool CTextFileReader::ReadAll(std::string& bytes, CFileError& error)
{
    bytes.clear();
    constexpr qint64 kChunk = 1 << 20;
    // Room for the last, empty read too, so that the text is never moved to a larger buffer.
    const qint64 size = m_file.size();
    if (size > 0)
        bytes.reserve(static_cast<std::size_t>(size + kChunk));
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + static_cast<std::size_t>(kChunk));
        const qint64 got = m_file.read(bytes.data() + used, kChunk);
        if (got < 0) {
            bytes.clear();
            error = CFileError{CFileError::Generic, m_path};
            return false;
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        if (got == 0)
            return true;
    }
}

void CTextFileReader::Close()
{
    if (m_file.isOpen())
        m_file.close();
}

CTextFileWriter::CTextFileWriter() = default;

CTextFileWriter::~CTextFileWriter()
{
    Discard();
}

bool CTextFileWriter::Create(const QString& path, Mode mode)
{
    Discard();
    std::unique_ptr<QFileDevice> device;
    if (mode == Mode::AllOrNothing)
        device = std::make_unique<QSaveFile>(path);
    else
        device = std::make_unique<QFile>(path);
    if (!device->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    m_device = std::move(device);
    m_path = QFileInfo(path).absoluteFilePath();
    m_failed = false;
    m_buffer.clear();
    return true;
}

void CTextFileWriter::WriteLine(const std::string& line)
{
    // After a failed write the file is lost anyway; keeping the rest would only use memory.
    if (m_failed)
        return;
    m_buffer += line;
    m_buffer += "\r\n";
    if (m_buffer.size() >= kWriteChunk) {
        CFileError ignored;
        Flush(ignored);
    }
}

bool CTextFileWriter::Flush(CFileError& error)
{
    if (!m_device || m_failed) {
        error = CFileError{CFileError::DiskFull, m_path};
        return false;
    }
    if (!m_buffer.empty()) {
        const auto size = static_cast<qint64>(m_buffer.size());
        if (m_device->write(m_buffer.data(), size) != size)
            m_failed = true;
        m_buffer.clear();
    }
    if (!m_failed && !m_device->flush())
        m_failed = true;
    if (m_failed) {
        error = CFileError{CFileError::DiskFull, m_path};
        return false;
    }
    return true;
}

bool CTextFileWriter::Close(CFileError& error)
{
    const bool flushed = Flush(error);
    if (m_device)
        m_device->close();
    m_device.reset();
    return flushed;
}

bool CTextFileWriter::Commit(CFileError& error)
{
    auto* saveFile = dynamic_cast<QSaveFile*>(m_device.get());
    bool committed = Flush(error) && saveFile && saveFile->commit();
    if (!committed)
        error = CFileError{CFileError::DiskFull, m_path};
    Discard();
    return committed;
}

void CTextFileWriter::Discard()
{
    if (auto* saveFile = dynamic_cast<QSaveFile*>(m_device.get()))
        saveFile->cancelWriting();
    m_device.reset();
    m_buffer.clear();
}

QString ChangeExtension(const QString& path, const std::string& newEnding)
{
    std::string bytes = ToLocal8(path);
    ChangeExtension(bytes, newEnding);
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

bool ReportPath(const QString& tournamentPath, QString& reportPath)
{
    reportPath = ChangeExtension(tournamentPath, ".htm");
    return QFileInfo(reportPath) != QFileInfo(tournamentPath);
}

QString BackupName(const QString& path, const QDateTime& lastModified)
{
    const QDateTime local = lastModified.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    return ChangeExtension(path, BackupEnding(date.year(), date.month(), date.day(), time.hour(), time.minute(),
                                              time.second()));
}

bool MoveFile(const QString& from, const QString& to, CFileError& error)
{
    if (!QFileInfo::exists(to) && !QFileInfo(to).isSymLink() && QFile::rename(from, to))
        return true;
    // QFile does not say why; tell the likely causes apart as the system would.
    CFileError::Cause cause = CFileError::Generic;
    if (!QFileInfo::exists(from) && !QFileInfo(from).isSymLink())
        cause = CFileError::FileNotFound;
    else if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        cause = CFileError::AccessDenied;
    else if (!QFileInfo(QFileInfo(from).absolutePath()).isWritable())
        cause = CFileError::AccessDenied;
    error = CFileError{cause, QString()};
    return false;
}

SaveStatus SaveTournamentFile(CTextFileWriter& out, const QString& path, const QDateTime& lastModified,
                              const std::function<void()>& writeBody, CFileError& error)
{
    // The new file replaces a symbolic link's target; moving the link itself to the backup
    // name would leave the backup pointing at the new text and lose the old one.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    if (!out.Create(target, CTextFileWriter::Mode::AllOrNothing))
        return SaveStatus::CannotCreate;
    writeBody();
    if (!out.Flush(error)) {
        out.Discard();
        return SaveStatus::Failed;
    }
    const QString backup = BackupName(target, lastModified);
    if (!MoveFile(target, backup, error)) {
        out.Discard();
        return SaveStatus::Failed;
    }
    if (!out.Commit(error)) {
        // Put the old file back under its own name.
        CFileError ignored;
        MoveFile(backup, target, ignored);
        return SaveStatus::Failed;
    }
    return SaveStatus::Saved;
}
