// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How the page reaches the club's site.
enum class PublishWay { Sftp, Ftps, Ftp, Dav, DavHttp, Folder };

// Where the page is published: everything but the password, which is never kept with it.
struct CPublishTarget
{
    PublishWay m_way = PublishWay::Sftp;
    QString m_host;
    int m_port = 0; // 0: the way's own port
    QString m_user;
    // On the server, as the address has it: SFTP from the root ("/~/" the login folder), FTP
    // from the login folder, WebDAV the address's path; for "Till en mapp" the local folder.
    QString m_folder;
    QString m_fileName;   // the page's name there; empty: NAME.htm after the tournament
    QString m_webAddress; // where members read it, for the check; may be empty
    bool m_automatic = false;
    bool m_archive = false; // "Publicera arkivet också": the club's archive follows each page, in "arkiv/"
    // The SHA-256 fingerprint of a server certificate the user chose to trust although no
    // authority vouches for it ("AB:CD:..."); empty: the system's authorities alone.
    QString m_trustedCertificate;

    friend bool operator==(const CPublishTarget&, const CPublishTarget&) = default;
};

// The way's usual port (22, 21, 443, 80); 0 for a folder.
int DefaultPort(PublishWay way);
int PortOf(const CPublishTarget& target);

// Reads `url` (sftp://USER@HOST[:PORT]/FOLDER/, ftps://, ftp://, davs://, dav:// or a local
// folder) into `target`; false with the reason in Swedish. dav:// (unencrypted) is taken only
// for this computer's own addresses.
bool ParsePublishUrl(const QString& url, CPublishTarget& target, QString& reason);
// The target as such an address, without any password.
QString PublishUrl(const CPublishTarget& target);
// The page's name on the server for the tournament at `tournamentPath`.
QString PageName(const CPublishTarget& target, const QString& tournamentPath);
// Where the published page is read: the public address, with the page's name when it ends in '/'.
QString PublicPageUrl(const CPublishTarget& target, const QString& pageName);

// The target kept for the tournament at `tournamentPath` in the user's own settings (never
// beside the tournament): false when none was kept.
bool LoadTarget(const QString& tournamentPath, CPublishTarget& target);
void SaveTarget(const QString& tournamentPath, const CPublishTarget& target);
