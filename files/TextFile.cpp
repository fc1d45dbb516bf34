#include "TextFile.h"

#include "Text.h"

#include <QFileInfo>

namespace {

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
