// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/Upload.h"

#include "files/FileError.h"
#include "files/TournamentFile.h"
#include "model/Encoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

CPublishResult Failure(const QString& message, CPublishResult::Kind kind)
{
    CPublishResult result;
    result.m_kind = kind;
    result.m_message = message;
    return result;
}

CPublishResult ConnectFailure(ConnectFault fault, const QString& host, const QString& detail)
{
    QString message;
    CPublishResult::Kind kind = CPublishResult::Failed;
    switch (fault) {
    case ConnectFault::Refused:
        message = QStringLiteral("servern %1 tar inte emot anslutningen \u2013 stämmer porten?");
        break;
    case ConnectFault::TimedOut:
        message = QStringLiteral("servern %1 svarar inte \u2013 är nätet nere?");
        break;
    case ConnectFault::NoSuchName:
        message = QStringLiteral("servern %1 hittades inte \u2013 stämmer namnet?");
        break;
    case ConnectFault::Certificate:
        message = QStringLiteral("servern %1 har ett certifikat som inte gäller den \u2013 stämmer namnet?");
        break;
    case ConnectFault::Login:
        message = QStringLiteral("inloggningen nekades \u2013 stämmer användare och lösenord?");
        kind = CPublishResult::LoginRefused;
        break;
    case ConnectFault::Other:
        message = QStringLiteral("kunde inte ansluta till %1");
        break;
    }
    CPublishResult failed = Failure(message.contains(QLatin1String("%1")) ? message.arg(host) : message, kind);
    failed.m_detail = detail;
    return failed;
}

QString FullMessage(const CPublishResult& result)
{
    return result.m_detail.isEmpty() ? result.m_message
                                     : QStringLiteral("%1 (%2)").arg(result.m_message, result.m_detail);
}

CPublishResult PublishToFolder(const CPublishTarget& target, const CPublication& publication)
{
    const QString folder = LocalFolder(target.m_folder);
    if (!QFileInfo(folder).isDir())
        return Failure(QStringLiteral("mappen %1 finns inte").arg(QDir::toNativeSeparators(folder)));
    for (const CPublishedFile& file : publication.m_files) {
        const QString path = QDir(folder).filePath(file.m_name);
        const CFileResult written = ReplaceFile(
            path, std::string_view(file.m_bytes.constData(), static_cast<std::size_t>(file.m_bytes.size())));
        if (!written.Ok())
            return Failure(ResultMessage(written, TextEncoding::Utf8));
        QFile back(path);
        if (!back.open(QIODevice::ReadOnly) || back.readAll() != file.m_bytes)
            return Failure(QStringLiteral("%1 i mappen är inte den som skrevs").arg(file.m_name));
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    return done;
}

CPublishResult PublishFiles(const CPublishTarget& target, const std::string& password, const CPublication& publication,
                            const CPublishTrust& trust)
{
    CPublishResult result;
    switch (target.m_way) {
    case PublishWay::Folder:
        result = PublishToFolder(target, publication);
        break;
    case PublishWay::Sftp:
        result = PublishBySftp(target, password, publication, trust);
        break;
    case PublishWay::Ftps:
    case PublishWay::Ftp:
    case PublishWay::Dav:
    case PublishWay::DavHttp:
        result = PublishByCurl(target, password, publication, trust);
        break;
    }
    if (!result.Ok() || target.m_webAddress.isEmpty() || publication.m_files.empty())
        return result;
    // The files are there and checked; what members are served may still be a cache's copy.
    const QString url = PublicPageUrl(target, publication.m_files.back().m_name);
    QByteArray page;
    QString cause;
    if (!FetchPage(url, page, cause))
        result.m_webNote = QStringLiteral("sidan på %1 kunde inte hämtas: %2").arg(url, cause);
    else if (const std::string shown = UpdatedLineOf(page); shown != publication.m_updatedLine)
        result.m_webNote =
            shown.empty()
                ? QStringLiteral("sidan på %1 saknar raden \u201dUppdaterad\u201d: är adressen rätt?").arg(url)
                : QStringLiteral("%1 visar ännu \u201d%2\u201d: servern eller en cache lämnar ut den "
                                 "förra sidan en stund till")
                      .arg(url, QString::fromStdString(shown));
    return result;
}

CPublishResult TidyTarget(const CPublishTarget& target, const std::string& password, const QStringList& folders,
                          const QStringList& files, const CPublishTrust& trust)
{
    switch (target.m_way) {
    case PublishWay::Folder:
        break;
    case PublishWay::Sftp:
        return TidyBySftp(target, password, folders, files, trust);
    case PublishWay::Ftps:
    case PublishWay::Ftp:
    case PublishWay::Dav:
    case PublishWay::DavHttp:
        return TidyByCurl(target, password, folders, files, trust);
    }
    const QDir base(LocalFolder(target.m_folder));
    if (!base.exists())
        return Failure(QStringLiteral("mappen %1 finns inte").arg(QDir::toNativeSeparators(target.m_folder)));
    for (const QString& folder : folders) {
        if (!base.mkpath(folder))
            return Failure(QStringLiteral("mappen %1 kunde inte skapas").arg(base.filePath(folder)));
    }
    for (const QString& file : files) {
        if (!QFile::remove(base.filePath(file)) && QFileInfo::exists(base.filePath(file)))
            return Failure(QStringLiteral("%1 kunde inte tas bort").arg(base.filePath(file)));
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    return done;
}
