// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RulesFile.h"

#include "files/TextFile.h"
#include "files/TournamentFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {

enum class Read { Absent, Done, Failed };

Read ReadWhole(const QString& path, std::string& text)
{
    QFile file(path);
    if (!file.exists() && !QFileInfo(path).isSymLink())
        return Read::Absent;
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir())
        return Read::Failed;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Read::Failed;
    text = bytes.toStdString();
    return Read::Done;
}

} // namespace

bool RulesPath(const QString& tournamentPath, QString& rulesPath)
{
    if (tournamentPath.isEmpty())
        return false;
    rulesPath = ChangeExtension(tournamentPath, ".regler");
    return QFileInfo(rulesPath) != QFileInfo(tournamentPath);
}

CFileResult LoadRulesFile(const QString& tournamentPath, CSeriesRules& rules)
{
    rules = CSeriesRules();
    QString path;
    std::string text;
    CFileResult result;
    if (!RulesPath(tournamentPath, path))
        return result;
    switch (ReadWhole(path, text)) {
    case Read::Absent:
        return result;
    case Read::Failed:
        result.m_kind = CFileResult::CannotOpen;
        result.m_path = path;
        return result;
    case Read::Done:
        break;
    }
    CRulesRefusal refusal;
    if (!ParseSeriesRules(text, rules, refusal)) {
        rules = CSeriesRules();
        result.m_kind = CFileResult::RulesRefused;
        result.m_lineNo = refusal.m_lineNo;
        result.m_line = refusal.m_line;
        result.m_message = refusal.m_message;
        result.m_path = QFileInfo(path).fileName();
    }
    return result;
}

CFileResult SaveRulesFile(const QString& tournamentPath, const CSeriesRules& rules)
{
    QString path;
    CFileResult result;
    if (!RulesPath(tournamentPath, path)) {
        result.m_kind = CFileResult::CannotCreate;
        result.m_path = path;
        return result;
    }
    if (!rules.SetsAnything()) {
        if (::unlink(ToLocal8(path).c_str()) != 0 && errno != ENOENT) {
            result.m_kind = CFileResult::FileError;
            result.m_error = CFileError{CauseOf(errno), path};
            return result;
        }
        SyncFolder(ToLocal8(QFileInfo(path).absolutePath()));
        return result;
    }
    // The comments of a file that reads well stay; a refused one is set anew. One that cannot be
    // read is left as it is: its comments are not ours to drop.
    std::string previous;
    CSeriesRules old;
    CRulesRefusal refusal;
    if (ReadWhole(path, previous) == Read::Failed) {
        result.m_kind = CFileResult::CannotOpen;
        result.m_path = path;
        return result;
    }
    if (!ParseSeriesRules(previous, old, refusal))
        previous.clear();
    return ReplaceFile(path, SeriesRulesText(rules, previous));
}
