// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ArchiveCommand.h"

#include "archive/Archive.h"
#include "archive/SiteFolder.h"
#include "files/FileError.h"
#include "tools/Import.h"
#include "tools/Terminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ostream>

namespace {

QString FileName(const std::string& file)
{
    return QFile::decodeName(QByteArray::fromStdString(file));
}

struct CArchiveOptions
{
    std::string folder, out;
    bool check = false;
};

std::string ParseArchiveOptions(const std::vector<std::string>& args, CArchiveOptions& options)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--out") {
            if (i + 1 == args.size())
                return "--out saknar värde";
            options.out = args[++i];
        } else if (word == "--check") {
            options.check = true;
        } else if (word.starts_with("--")) {
            return "okänd flagga: " + word;
        } else if (!options.folder.empty()) {
            return "högst en mapp: " + word;
        } else {
            options.folder = word;
        }
    }
    if (options.folder.empty())
        return "mapp saknas";
    if (options.check && !options.out.empty())
        return "--check skriver ingen webbplats: --out gäller inte";
    return {};
}

// Names alike across the seasons, one group a line, with the seasons each name was played in.
void Check(const CArchive& archive, std::ostream& out)
{
    for (const std::vector<std::size_t>& group : SimilarNames(archive)) {
        out << "Möjligen samma spelare: ";
        for (std::size_t i = 0; i < group.size(); ++i) {
            const CPerson& person = archive.m_people[group[i]];
            out << (i > 0 ? " / " : "") << TerminalText(person.m_name) << " (";
            for (std::size_t s = 0; s < person.m_seasons.size(); ++s)
                out << (s > 0 ? ", " : "") << TerminalText(archive.m_seasons[person.m_seasons[s].first].m_name);
            out << ")";
        }
        out << '\n';
    }
}

} // namespace

int ArchiveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CArchiveOptions options;
    if (const std::string reason = ParseArchiveOptions(args, options); !reason.empty())
        return UsageError(reason, err);
    const QString folder = FileName(options.folder);
    if (!QFileInfo(folder).isDir()) {
        err << "ravelmark-tool: " << options.folder << " är ingen mapp\n";
        return 1;
    }
    const QString site = options.out.empty() ? QDir(folder).filePath(QStringLiteral("arkiv")) : FileName(options.out);
    CArchive archive;
    QString error;
    if (!ReadArchive(folder, archive, error, site)) {
        err << "ravelmark-tool: " << error.toStdString() << '\n';
        return 1;
    }
    for (const CArchiveNote& refused : archive.m_refused)
        err << "ravelmark-tool: " << refused.m_file << " lämnas utanför arkivet: " << refused.m_message << '\n';
    for (const std::string& file : archive.m_leftOut)
        out << "Utanför arkivet (arkiv = nej): " << TerminalText(file) << '\n';
    if (options.check) {
        Check(archive, out);
        return 0;
    }
    CSiteWritten written;
    if (const int code = Present(WriteSite(ArchiveSite(archive), site, written), TextEncoding::Utf8, err); code != 0)
        return code;
    out << "Arkivet i " << TerminalText(site.toStdString()) << ": " << archive.m_seasons.size()
        << (archive.m_seasons.size() == 1 ? " säsong, " : " säsonger, ") << archive.m_people.size() << " spelare; "
        << written.m_written << " filer skrivna, " << written.m_unchanged << " oförändrade, " << written.m_removed
        << " borttagna\n";
    return 0;
}
