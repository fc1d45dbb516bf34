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
    // As the user typed it: from the root with a leading '/', else from the login folder ("www/",
    // "~/www/"; "/~/www/" as an sftp address writes it); WebDAV's from the site's root; for
    // "Till en mapp" a folder on this computer, from the home folder unless it starts with '/'.
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

// Where the folder lies on the server: below the login folder ("www/serien/"; empty for the
// login folder itself) or from the root ("/var/www/serien/"); a path ends in '/' unless empty.
struct CServerFolder
{
    bool m_fromLogin = false;
    QString m_path;
};
CServerFolder ServerFolder(const CPublishTarget& target);
// "Till en mapp": the folder on this computer, "~/" and a relative one in the home folder.
QString LocalFolder(const QString& folder);

// The way's usual port (22, 21, 443, 80); 0 for a folder.
int DefaultPort(PublishWay way);
int PortOf(const CPublishTarget& target);

// Reads `url` (sftp://USER@HOST[:PORT]/FOLDER/, ftps://, ftp://, davs://, dav:// or a local
// folder) into `target`; false with the reason in Swedish. dav:// (unencrypted) is taken only
// for this computer's own addresses. The folder as such addresses mean it: sftp's from the root
// ("/~/" the login folder), ftp's from the login folder ("//" the root).
bool ParsePublishUrl(const QString& url, CPublishTarget& target, QString& reason);
// The target as such an address, without any password.
QString PublishUrl(const CPublishTarget& target);
// The page's name on the server for the tournament at `tournamentPath`.
QString PageName(const CPublishTarget& target, const QString& tournamentPath);
// Where the published page is read: the public address, with the page's name when it ends in
// '/'; %-encoded ("Vårserien 2027.htm" as "V%C3%A5rserien%202027.htm"), as a browser sends it.
QString PublicPageUrl(const CPublishTarget& target, const QString& pageName);
// A page name for a new target, made from the tournament's file: no blanks nor other characters
// an address must encode ("Vårserien 2027.txt": "Varserien-2027.htm").
QString SuggestedPageName(const QString& tournamentPath);

// The target kept for the tournament at `tournamentPath` in the user's own settings (never
// beside the tournament): false when none was kept.
bool LoadTarget(const QString& tournamentPath, CPublishTarget& target);
void SaveTarget(const QString& tournamentPath, const CPublishTarget& target);
// Whether the last run left changes of the tournament unpublished (the close could not publish
// them), kept with its target; they are published when it is opened again.
bool PublicationLeftOver(const QString& tournamentPath);
void SetPublicationLeftOver(const QString& tournamentPath, bool leftOver);
