// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ArchiveCommand.h"

#include "archive/Archive.h"
#include "archive/SiteFolder.h"
#include "files/FileError.h"
#include "publish/PublishTarget.h"
#include "publish/SitePublish.h"
#include "tools/Commands.h"
#include "tools/Terminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ostream>

namespace {

struct CArchiveOptions
{
    std::string folder, out, to;
    bool check = false, publish = false;
};

std::string ParseArchiveOptions(const std::vector<std::string>& args, CArchiveOptions& options)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--out") {
            if (i + 1 == args.size())
                return "--out saknar värde";
            options.out = args[++i];
        } else if (word == "--to") {
            if (i + 1 == args.size())
                return "--to saknar värde";
            options.to = args[++i];
        } else if (word == "--check") {
            options.check = true;
        } else if (word == "--publish") {
            options.publish = true;
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
    if (options.check && (!options.out.empty() || options.publish))
        return "--check gör ingen webbplats: --out och --publish gäller inte";
    if (!options.to.empty() && !options.publish)
        return "--to gäller bara med --publish";
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

// The site on the target the newest season is published to (or `to`), in its folder "arkiv/";
// only what changed since the last time is sent. The exit code.
int Publish(const CArchive& archive, const std::vector<CSiteFile>& site, const std::string& to, std::ostream& out,
            std::ostream& err)
{
    CPublishTarget target;
    QString reason;
    if (!to.empty()) {
        if (!ParsePublishUrl(QString::fromStdString(to), target, reason)) {
            err << "ravelmark-tool: " << reason.toStdString() << " (se ravelmark-tool --help)\n";
            return 2;
        }
    } else if (archive.m_seasons.empty() || !LoadTarget(archive.m_seasons.front().m_path, target)) {
        err << "ravelmark-tool: inget mål för arkivet: ange --to eller välj \"Publicera…\" för den senaste säsongen\n";
        return 1;
    }
    CSiteSent sent;
    const CPublishResult result = PublishSite(target, qEnvironmentVariable("RAVELMARK_PASSWORD").toStdString(), site,
                                              QStringLiteral("arkiv/"), sent);
    if (!result.Ok()) {
        err << "ravelmark-tool: kunde inte publicera arkivet: " << result.m_message.toStdString() << '\n';
        if (!result.m_knownHostsLine.isEmpty())
            err << "Lita på servern genom att lägga till raden nedan i ~/.ssh/known_hosts, om fingeravtrycket "
                   "stämmer med serverns:\n"
                << result.m_knownHostsLine.toStdString() << '\n';
        return 1;
    }
    out << "Arkivet publicerat och kontrollerat: " << PublishUrl(target).toStdString() << "arkiv/ (" << sent.m_sent
        << " filer skickade, " << sent.m_unchanged << " oförändrade, " << sent.m_removed << " borttagna)\n";
    return 0;
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
    const std::vector<CSiteFile> files = ArchiveSite(archive);
    if (const int code = Present(WriteSite(files, site, written), TextEncoding::Utf8, err); code != 0)
        return code;
    out << "Arkivet i " << TerminalText(site.toStdString()) << ": " << archive.m_seasons.size()
        << (archive.m_seasons.size() == 1 ? " säsong, " : " säsonger, ") << archive.m_people.size() << " spelare; "
        << written.m_written << " filer skrivna, " << written.m_unchanged << " oförändrade, " << written.m_removed
        << " borttagna\n";
    return options.publish ? Publish(archive, files, options.to, out, err) : 0;
}
