// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/PublishTarget.h"

#include "files/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<PublishWay, const char*>, 5> kSchemes{{{PublishWay::Sftp, "sftp"},
                                                                      {PublishWay::Ftps, "ftps"},
                                                                      {PublishWay::Ftp, "ftp"},
                                                                      {PublishWay::Dav, "davs"},
                                                                      {PublishWay::DavHttp, "dav"}}};

QString SchemeOf(PublishWay way)
{
    for (const auto& [known, scheme] : kSchemes)
        if (known == way)
            return QString::fromLatin1(scheme);
    return {};
}

bool Loopback(const QString& host)
{
    // By number: a name may be made to point anywhere.
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
}

// The settings' group of one tournament: its full path, with '/' and the like kept out of the key.
QString GroupOf(const QString& tournamentPath)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(tournamentPath).absoluteFilePath()));
}

QSettings Settings()
{
    return QSettings(QStringLiteral("ravelmark"), QStringLiteral("publicera"));
}

} // namespace

CServerFolder ServerFolder(const CPublishTarget& target)
{
    QString folder = target.m_folder.trimmed();
    CServerFolder where;
    // "~" and "/~" (an sftp address's way of saying it) name the login folder.
    for (const QLatin1String home : {QLatin1String("/~"), QLatin1String("~")}) {
        if (folder == home || folder.startsWith(home + '/')) {
            folder = folder.mid(home.size() + 1);
            where.m_fromLogin = true;
            break;
        }
    }
    if (!where.m_fromLogin)
        where.m_fromLogin = !folder.startsWith('/');
    // A web server has no login folder: its paths start at the site's root.
    if (where.m_fromLogin && (target.m_way == PublishWay::Dav || target.m_way == PublishWay::DavHttp)) {
        where.m_fromLogin = false;
        folder.prepend('/');
    }
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    where.m_path = folder;
    return where;
}

QString LocalFolder(const QString& folder)
{
    if (folder == QLatin1String("~"))
        return QDir::homePath();
    if (folder.startsWith(QLatin1String("~/")))
        return QDir::homePath() + folder.mid(1);
    return QDir::isAbsolutePath(folder) ? folder : QDir::home().filePath(folder);
}

int DefaultPort(PublishWay way)
{
    switch (way) {
    case PublishWay::Sftp:
        return 22;
    case PublishWay::Ftps:
    case PublishWay::Ftp:
        return 21;
    case PublishWay::Dav:
        return 443;
    case PublishWay::DavHttp:
        return 80;
    case PublishWay::Folder:
        break;
    }
    return 0;
}

int PortOf(const CPublishTarget& target)
{
    return target.m_port > 0 ? target.m_port : DefaultPort(target.m_way);
}

bool ParsePublishUrl(const QString& text, CPublishTarget& target, QString& reason)
{
    if (!text.contains(QLatin1String("://"))) {
        target = {};
        target.m_way = PublishWay::Folder;
        // "~/" as the window takes it, also where no shell made it the home folder.
        target.m_folder = text == QLatin1String("~") || text.startsWith(QLatin1String("~/"))
                              ? LocalFolder(text)
                              : QFileInfo(text).absoluteFilePath();
        return true;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        reason = QStringLiteral("%1 är ingen adress att publicera till").arg(text);
        return false;
    }
    if (!url.password().isEmpty()) {
        reason = QStringLiteral("lösenordet hör inte hemma i adressen: ange det i RAVELMARK_PASSWORD");
        return false;
    }
    CPublishTarget parsed;
    bool known = false;
    for (const auto& [way, scheme] : kSchemes)
        if (url.scheme() == QLatin1String(scheme)) {
            parsed.m_way = way;
            known = true;
        }
    if (!known) {
        reason = QStringLiteral("%1: välj sftp://, ftps://, ftp://, davs:// eller en mapp").arg(url.scheme());
        return false;
    }
    if (parsed.m_way == PublishWay::DavHttp && !Loopback(url.host())) {
        reason = QStringLiteral("dav:// skickar allt okrypterat och används bara mot den här datorn; välj davs://");
        return false;
    }
    parsed.m_host = url.host();
    parsed.m_port = url.port(0);
    parsed.m_user = url.userName();
    QString path = url.path(QUrl::FullyDecoded);
    if (path.isEmpty())
        path = QStringLiteral("/");
    // A name after the last '/' is the page's own.
    const qsizetype slash = path.lastIndexOf('/');
    parsed.m_fileName = path.mid(slash + 1);
    path.truncate(slash + 1);
    if (parsed.m_way == PublishWay::Ftp || parsed.m_way == PublishWay::Ftps) {
        // An ftp address's path starts in the login folder; "//" (or "/%2F") is the root.
        path = path.mid(1);
        if (path.isEmpty())
            path = QStringLiteral("~/");
    } else if (parsed.m_way == PublishWay::Sftp && path.startsWith(QLatin1String("/~/"))) {
        path = path.mid(1); // "~/…": the login folder's
    }
    parsed.m_folder = path;
    target = parsed;
    return true;
}

QString PublishUrl(const CPublishTarget& target)
{
    if (target.m_way == PublishWay::Folder)
        return target.m_folder;
    QUrl url;
    url.setScheme(SchemeOf(target.m_way));
    url.setHost(target.m_host);
    if (target.m_port > 0)
        url.setPort(target.m_port);
    url.setUserName(target.m_user);
    // The folder as the way's addresses say it (see ParsePublishUrl), so that it reads back the same.
    const CServerFolder folder = ServerFolder(target);
    QString path = folder.m_path;
    if (target.m_way == PublishWay::Ftp || target.m_way == PublishWay::Ftps)
        path.prepend('/');
    else if (folder.m_fromLogin)
        path.prepend(QStringLiteral("/~/"));
    if (path.isEmpty())
        path = QStringLiteral("/");
    url.setPath(path + target.m_fileName);
    return url.toString();
}

QString PageName(const CPublishTarget& target, const QString& tournamentPath)
{
    if (!target.m_fileName.isEmpty())
        return target.m_fileName;
    return QFileInfo(ChangeExtension(tournamentPath, ".htm")).fileName();
}

QString PublicPageUrl(const CPublishTarget& target, const QString& pageName)
{
    if (target.m_webAddress.isEmpty())
        return {};
    QString address = target.m_webAddress;
    if (address.endsWith('/'))
        address += QString::fromLatin1(QUrl::toPercentEncoding(pageName));
    // Typed as a browser shows it (blanks, letters): sent as a browser sends it.
    return QString::fromLatin1(QUrl(address, QUrl::TolerantMode).toEncoded());
}

QString SuggestedPageName(const QString& tournamentPath)
{
    // Letters without their accents ("å" as "a"), blanks and the like as '-'.
    const QString base = QFileInfo(tournamentPath).completeBaseName().normalized(QString::NormalizationForm_KD);
    QString name;
    for (const QChar c : base) {
        if (c.isMark())
            continue;
        const bool plain = c.unicode() < 0x80 && (c.isLetterOrNumber() || c == '.' || c == '_' || c == '-');
        if (plain)
            name += c;
        else if (!name.endsWith('-'))
            name += '-';
    }
    while (name.startsWith('-') || name.startsWith('.'))
        name.remove(0, 1);
    while (name.endsWith('-'))
        name.chop(1);
    return (name.isEmpty() ? QStringLiteral("tabell") : name) + QStringLiteral(".htm");
}

bool LoadTarget(const QString& tournamentPath, CPublishTarget& target)
{
    QSettings settings = Settings();
    settings.beginGroup(GroupOf(tournamentPath));
    QString reason;
    if (!settings.contains(QStringLiteral("url")) ||
        !ParsePublishUrl(settings.value(QStringLiteral("url")).toString(), target, reason))
        return false;
    // The folder as the user typed it (kept apart since the address cannot say every form).
    if (settings.contains(QStringLiteral("folder")))
        target.m_folder = settings.value(QStringLiteral("folder")).toString();
    if (const QString name = settings.value(QStringLiteral("name")).toString(); !name.isEmpty())
        target.m_fileName = name;
    target.m_webAddress = settings.value(QStringLiteral("web")).toString();
    target.m_automatic = settings.value(QStringLiteral("automatic")).toBool();
    target.m_archive = settings.value(QStringLiteral("archive")).toBool();
    target.m_trustedCertificate = settings.value(QStringLiteral("certificate")).toString();
    return true;
}

void SaveTarget(const QString& tournamentPath, const CPublishTarget& target)
{
    QSettings settings = Settings();
    settings.beginGroup(GroupOf(tournamentPath));
    settings.setValue(QStringLiteral("url"), PublishUrl(target));
    settings.setValue(QStringLiteral("folder"), target.m_folder);
    settings.setValue(QStringLiteral("name"), target.m_fileName);
    settings.setValue(QStringLiteral("web"), target.m_webAddress);
    settings.setValue(QStringLiteral("automatic"), target.m_automatic);
    settings.setValue(QStringLiteral("archive"), target.m_archive);
    settings.setValue(QStringLiteral("certificate"), target.m_trustedCertificate);
    settings.endGroup();
    settings.sync();
}

bool PublicationLeftOver(const QString& tournamentPath)
{
    QSettings settings = Settings();
    settings.beginGroup(GroupOf(tournamentPath));
    return settings.value(QStringLiteral("unpublished")).toBool();
}

void SetPublicationLeftOver(const QString& tournamentPath, bool leftOver)
{
    QSettings settings = Settings();
    settings.beginGroup(GroupOf(tournamentPath));
    if (leftOver == settings.value(QStringLiteral("unpublished")).toBool())
        return;
    if (leftOver)
        settings.setValue(QStringLiteral("unpublished"), true);
    else
        settings.remove(QStringLiteral("unpublished"));
    settings.endGroup();
    settings.sync();
}
