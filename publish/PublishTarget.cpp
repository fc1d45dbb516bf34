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
        target.m_folder = QFileInfo(text).absoluteFilePath();
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
    parsed.m_folder = url.path().isEmpty() ? QStringLiteral("/") : url.path();
    // A name after the last '/' is the page's own.
    if (!parsed.m_folder.endsWith('/')) {
        const qsizetype slash = parsed.m_folder.lastIndexOf('/');
        parsed.m_fileName = parsed.m_folder.mid(slash + 1);
        parsed.m_folder.truncate(slash + 1);
    }
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
    QString path = target.m_folder.startsWith('/') ? target.m_folder : '/' + target.m_folder;
    if (!path.endsWith('/'))
        path += '/';
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
    if (target.m_webAddress.isEmpty() || !target.m_webAddress.endsWith('/'))
        return target.m_webAddress;
    return target.m_webAddress + pageName;
}

bool LoadTarget(const QString& tournamentPath, CPublishTarget& target)
{
    QSettings settings = Settings();
    settings.beginGroup(GroupOf(tournamentPath));
    QString reason;
    if (!settings.contains(QStringLiteral("url")) ||
        !ParsePublishUrl(settings.value(QStringLiteral("url")).toString(), target, reason))
        return false;
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
    settings.setValue(QStringLiteral("name"), target.m_fileName);
    settings.setValue(QStringLiteral("web"), target.m_webAddress);
    settings.setValue(QStringLiteral("automatic"), target.m_automatic);
    settings.setValue(QStringLiteral("archive"), target.m_archive);
    settings.setValue(QStringLiteral("certificate"), target.m_trustedCertificate);
    settings.endGroup();
    settings.sync();
}
