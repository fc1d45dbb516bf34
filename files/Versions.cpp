// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Versions.h"

#include "files/QtText.h"
#include "files/RulesFile.h"
#include "files/TextFile.h"
#include "files/TournamentFile.h"
#include "model/Difference.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

// The reader's refusal or the file error, on one line.
QString Problem(const CFileResult& result, TextEncoding encoding)
{
    QString text = ResultMessage(result, encoding);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.isEmpty() ? QStringLiteral("okänt fel") : text;
}

// The counter a name taken within one second got before its ending ("…_hhmmss-2.bak": 2); 1
// for none.
int Counter(const QString& path)
{
    static const QRegularExpression counted(QStringLiteral("_\\d{6}-(\\d+)\\.[^/]*$"));
    const QRegularExpressionMatch match = counted.match(path);
    return match.hasMatch() ? match.captured(1).toInt() : 1;
}

QString Rounds(std::size_t count)
{
    return count == 1 ? QStringLiteral("1 omgång") : QStringLiteral("%1 omgångar").arg(count);
}

} // namespace

QString CVersion::Line() const
{
    QString line = m_time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral("  ") +
                   QFileInfo(m_path).fileName() + QStringLiteral("  ");
    if (m_kind == Unsaved)
        line += QStringLiteral("(osparat arbete) ");
    if (m_kind == Rules && Readable())
        return line + QStringLiteral("regler: ") + QString(m_summary).replace('\n', QStringLiteral(", "));
    return line + (Readable() ? m_summary : QStringLiteral("kan inte läsas: ") + m_problem);
}

std::vector<CVersion> ListVersions(const QString& path)
{
    std::vector<CVersion> versions;
    const QFileInfo file(path);
    if (file.exists())
        versions.push_back({CVersion::File, file.absoluteFilePath(), file.lastModified(), {}, {}});
    if (QString rules; RulesPath(file.absoluteFilePath(), rules) && QFileInfo(rules).isFile())
        versions.push_back({CVersion::Rules, rules, QFileInfo(rules).lastModified(), {}, {}});
    // The backup name's stem: the path without its ending, as the save makes it.
    const QFileInfo stem(ChangeExtension(file.absoluteFilePath(), ""));
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(stem.fileName()) +
                                            QStringLiteral("_(\\d{6}_\\d{6})(-\\d+)?\\.(bak|osparad|regler\\.bak)")));
    const QDir folder = stem.absoluteDir();
    for (const QString& name : folder.entryList({stem.fileName() + QStringLiteral("_*")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        QDateTime time = QDateTime::fromString(match.captured(1), QStringLiteral("yyMMdd_hhmmss"));
        if (!time.isValid())
            continue;
        // Two digits of the year name this century.
        if (time.date().year() < 2000)
            time = time.addYears(100);
        // The name keeps the second; the file's own time, where it agrees, what came within it
        // (a backup made in the second the file was saved, two kept recovery files of one second).
        const QString found = folder.absoluteFilePath(name);
        const QDateTime modified = QFileInfo(found).lastModified();
        if (modified.toSecsSinceEpoch() == time.toSecsSinceEpoch())
            time = modified;
        const QString ending = match.captured(3);
        versions.push_back({ending == QLatin1String("bak")       ? CVersion::Backup
                            : ending == QLatin1String("osparad") ? CVersion::Unsaved
                                                                 : CVersion::Rules,
                            found,
                            time,
                            {},
                            {}});
    }
    // Oldest first while reading, each told against the readable one before it.
    std::sort(versions.begin(), versions.end(), [](const CVersion& a, const CVersion& b) {
        if (a.m_time != b.m_time)
            return a.m_time < b.m_time;
        if ((a.m_kind == CVersion::File) != (b.m_kind == CVersion::File))
            return b.m_kind == CVersion::File;
        // Of one second, a counted name was taken later than the one without ("-2" after none).
        if (Counter(a.m_path) != Counter(b.m_path))
            return Counter(a.m_path) < Counter(b.m_path);
        return a.m_path < b.m_path;
    });
    std::optional<CTournament> before;
    for (CVersion& version : versions) {
        // The rules' versions are told by the rules they set, apart from the tournament's.
        if (version.m_kind == CVersion::Rules) {
            QString text;
            (RulesVersionText(version.m_path, text) ? version.m_summary : version.m_problem) = text;
            continue;
        }
        CLoadedTournament loaded;
        const CFileResult result = LoadTournamentFile(version.m_path, loaded);
        if (!result.Ok()) {
            version.m_problem = Problem(result, loaded.m_tournament.m_encoding);
            continue;
        }
        version.m_summary = before ? QString::fromStdString(DifferenceSummary(*before, loaded.m_tournament))
                                   : QStringLiteral("första versionen: ") + Rounds(loaded.m_tournament.m_rounds.size());
        before = std::move(loaded.m_tournament);
    }
    std::reverse(versions.begin(), versions.end());
    return versions;
}

bool RulesVersionText(const QString& path, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        text = file.errorString();
        return false;
    }
    CSeriesRules rules;
    CRulesRefusal refusal;
    if (!ParseSeriesRules(file.readAll().toStdString(), rules, refusal)) {
        text = QStringLiteral("Rad %1: %2")
                   .arg(refusal.m_lineNo)
                   .arg(ToQString(refusal.m_message, TextEncoding::Windows1252));
        return false;
    }
    QStringList lines;
    for (const QString& line : QString::fromStdString(SeriesRulesText(rules)).split('\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            lines << line.trimmed();
    text = lines.isEmpty() ? QStringLiteral("inga regler") : lines.join('\n');
    return true;
}
