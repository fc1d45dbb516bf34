// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileError.h"

#include "files/QtText.h"
#include "model/Messages.h"
#include "model/Reader.h"

QString CFileError::ReportText() const
{
    static const char* const kTexts[] = {
        "No error occurred.",
        "An unknown error occurred while accessing %1.",
        "%1 was not found.",
        "%1 contains an invalid path.",
        "%1 could not be opened because there are too many open files.",
        "Access to %1 was denied.",
        "An invalid file handle was associated with %1.",
        "%1 could not be removed because it is the current directory.",
        "%1 could not be created because the directory is full.",
        "Seek failed on %1",
        "A hardware I/O error was reported while accessing %1.",
        "A sharing violation occurred while accessing %1.",
        "A locking violation occurred while accessing %1.",
        "Disk full while accessing %1.",
        "An attempt was made to access %1 past its end.",
    };
    static_assert(std::size(kTexts) == EndOfFile + 1);
    const QString name = m_fileName.isEmpty() ? QStringLiteral("an unnamed file") : m_fileName;
    // Not QString::arg: a path may itself hold "%1".
    return QString::fromLatin1(kTexts[m_cause]).replace(QLatin1String("%1"), name);
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
    }
    return {};
}
