// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileError.h"

#include "files/QtText.h"
#include "model/Messages.h"
#include "model/Reader.h"

#include <cerrno>

QString CFileError::ReportText() const
{
    static const char* const kTexts[] = {
        "An unknown error occurred while accessing %1.",
        "%1 was not found.",
        "%1 contains an invalid path.",
        "%1 could not be opened because there are too many open files.",
        "Access to %1 was denied.",
        "A hardware I/O error was reported while accessing %1.",
        "Disk full while accessing %1.",
    };
    static_assert(std::size(kTexts) == DiskFull + 1);
    const QString name = m_fileName.isEmpty() ? QStringLiteral("an unnamed file") : m_fileName;
    // Not QString::arg: a path may itself hold "%1".
    return QString::fromLatin1(kTexts[m_cause]).replace(QLatin1String("%1"), name);
}

CFileError::Cause CauseOf(int error)
{
    switch (error) {
    case ENOENT:
        return CFileError::FileNotFound;
    case EACCES:
    case EPERM:
    case EEXIST: // the backup's name is taken
    case EROFS:
        return CFileError::AccessDenied;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
        return CFileError::BadPath;
    case EMFILE:
    case ENFILE:
        return CFileError::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
        return CFileError::DiskFull;
    case EIO:
        return CFileError::HardIO;
    default:
        return CFileError::Generic;
    }
}

QString ResultMessage(const CFileResult& result, TextEncoding encoding)
{
    switch (result.m_kind) {
    case CFileResult::Done:
        break;
    case CFileResult::Refused:
        return ToQString(LinePrefix(result.m_lineNo, result.m_line), encoding) + BuiltInText(result.m_message);
    case CFileResult::FileError:
        return result.m_error.ReportText();
    case CFileResult::CannotOpen:
        return BuiltInText(msg::kCannotOpen) + result.m_path;
    case CFileResult::CannotCreate:
        return BuiltInText(msg::kCannotCreate) + result.m_path;
    case CFileResult::RulesRefused:
        // As the tournament's refused lines are named, with the file's name; the file is UTF-8.
        return QStringLiteral("Rad %1 i %2 : \"").arg(QString::number(result.m_lineNo), result.m_path) +
               ToQString(result.m_line, TextEncoding::Utf8) + QStringLiteral("\"\n") + BuiltInText(result.m_message);
    case CFileResult::NotReadBack:
        return QStringLiteral("%1 sparades inte: programmet skulle inte kunna läsa in den nya filen igen. "
                              "Filen är oförändrad.\n")
                   .arg(result.m_path) +
               ToQString(LinePrefix(result.m_lineNo, result.m_line), encoding) + BuiltInText(result.m_message);
    }
    return {};
}
