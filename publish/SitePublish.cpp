// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/SitePublish.h"

#include "files/SiteManifest.h"
#include "files/TournamentFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <map>

namespace {

// The target's folder for the files of `folder` (a folder of the site, "" or "spelare/").
CPublishTarget Within(const CPublishTarget& target, const QString& folder)
{
    CPublishTarget within = target;
    if (!within.m_folder.isEmpty() && !within.m_folder.endsWith('/'))
        within.m_folder += '/';
    within.m_folder += folder;
    // The site's pages carry no "Uppdaterad" line for the public address to be checked by.
    within.m_webAddress.clear();
    return within;
}

void Keep(const QString& path, const CSiteManifest& manifest)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    ReplaceFile(path, ManifestText(manifest));
}

} // namespace

QString SentSitePath(const CPublishTarget& target, const QString& subfolder)
{
    // Beside the targets' settings; one file for each address and folder.
    const QSettings settings(QStringLiteral("ravelmark"), QStringLiteral("publicera"));
    const QByteArray key = (PublishUrl(target) + '\n' + subfolder).toUtf8();
    return QFileInfo(settings.fileName()).absolutePath() + QStringLiteral("/arkiv-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16)) +
           QStringLiteral(".txt");
}

CPublishResult PublishSite(const CPublishTarget& target, const std::string& password,
                           const std::vector<CSiteFile>& site, const QString& subfolder, CSiteSent& sent,
                           const CPublishTrust& trust)
{
    sent = {};
    const QString keptPath = SentSitePath(target, subfolder);
    QFile keptFile(keptPath);
    CSiteManifest kept =
        keptFile.open(QIODevice::ReadOnly) ? ParseManifest(keptFile.readAll().toStdString()) : CSiteManifest();
    keptFile.close();
    CSiteManifest now;
    // The changed files by folder, each folder's in the site's order; the index on its own, last.
    std::vector<std::pair<QString, CPublication>> batches;
    for (std::size_t i = 0; i < site.size(); ++i) {
        const CSiteFile& file = site[i];
        const std::string& name = file.m_name;
        const CSiteEntry entry = SiteEntryOf(file.m_bytes);
        now[name] = entry;
        const auto before = kept.find(name);
        if (before != kept.end() && before->second == entry) {
            ++sent.m_unchanged;
            continue;
        }
        const QString path = QString::fromStdString(name);
        const qsizetype slash = path.lastIndexOf('/');
        const QString folder = subfolder + path.left(slash + 1);
        if (i + 1 == site.size() || batches.empty() || batches.back().first != folder)
            batches.emplace_back(folder, CPublication());
        batches.back().second.m_files.push_back(
            {path.mid(slash + 1), QByteArray(file.m_bytes.data(), static_cast<qsizetype>(file.m_bytes.size()))});
    }
    QStringList folders;
    for (const auto& [folder, publication] : batches) {
        if (!folder.isEmpty() && !folders.contains(folder))
            folders.push_back(folder);
    }
    if (!folders.isEmpty()) {
        if (CPublishResult made = TidyTarget(target, password, folders, {}, trust); !made.Ok())
            return made;
    }
    for (const auto& [folder, publication] : batches) {
        CPublishResult result = PublishFiles(Within(target, folder), password, publication, trust);
        if (!result.Ok()) {
            Keep(keptPath, kept);
            return result;
        }
        // What arrived is kept at once: a later failure sends only the rest again.
        for (const CPublishedFile& file : publication.m_files) {
            const std::string name = (folder.mid(subfolder.size()) + file.m_name).toStdString();
            kept[name] = now[name];
        }
        sent.m_sent += static_cast<int>(publication.m_files.size());
    }
    // Only once the index no longer links them.
    QStringList gone;
    for (const auto& [name, entry] : kept) {
        if (!now.contains(name) && InsideSite(name))
            gone.push_back(subfolder + QString::fromStdString(name));
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    if (!gone.isEmpty()) {
        done = TidyTarget(target, password, {}, gone, trust);
        if (done.Ok())
            sent.m_removed = static_cast<int>(gone.size());
    }
    Keep(keptPath, done.Ok() ? now : kept);
    return done;
}
