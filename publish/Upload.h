// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "publish/Publication.h"
#include "publish/PublishTarget.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <string>

// How a publication ended. Done only when every file was checked on the server.
struct CPublishResult
{
    enum Kind {
        Done,
        Failed,               // the cause in m_message
        LoginRefused,         // the server refused the user, the password or the keys
        UnknownHost,          // SFTP: a host not in known_hosts (its key's fingerprint given)
        ChangedHost,          // SFTP: the host's key is not the one known_hosts has
        UntrustedCertificate, // FTPS, WebDAV: no authority vouches for it (its fingerprint given)
    };
    Kind m_kind = Failed;
    QString m_message;        // in Swedish, naming the cause; no secret in it
    QString m_detail;         // the network library's own words on it, when they add something
    QString m_fingerprint;    // of the key or certificate that was not trusted
    QString m_knownHostsLine; // UnknownHost: the line known_hosts would get
    // With a public address: what the page there showed, when it was not this publication's
    // (a cache, most often); empty when it was, or when there is no address.
    QString m_webNote;

    bool Ok() const { return m_kind == Done; }
};

// What the user lets the publication do besides sending the files.
struct CPublishTrust
{
    // SFTP: a host not in known_hosts whose key has this fingerprint ("SHA256:...") is added
    // to known_hosts and published to.
    QString m_hostFingerprint;
    // Set from another thread, ends the publication at the next chance (a closing window).
    std::shared_ptr<std::atomic_bool> m_cancel;
};

// How long a server may keep us waiting: to connect, and with nothing moving.
inline constexpr long kConnectSeconds = 30;
inline constexpr long kStallSeconds = 60;

// Puts every file of `publication` on the target, each under a temporary name first and then
// renamed over the old one, checks each on the server (its bytes read back, or its size), and,
// with a public address, fetches the page there and compares its "Uppdaterad" line. Blocks:
// run it off the GUI thread. `password` is used for the login only.
CPublishResult PublishFiles(const CPublishTarget& target, const std::string& password, const CPublication& publication,
                            const CPublishTrust& trust = {});

// The ways, each in its own file.
CPublishResult PublishToFolder(const CPublishTarget& target, const CPublication& publication);
CPublishResult PublishBySftp(const CPublishTarget& target, const std::string& password, const CPublication& publication,
                             const CPublishTrust& trust);
CPublishResult PublishByCurl(const CPublishTarget& target, const std::string& password, const CPublication& publication,
                             const CPublishTrust& trust);
// Makes each of `folders` (paths in the target's folder, '/' between) where it is missing, then
// removes each of `files` there; a file already gone is no failure. For a site of many files.
CPublishResult TidyTarget(const CPublishTarget& target, const std::string& password, const QStringList& folders,
                          const QStringList& files, const CPublishTrust& trust = {});
CPublishResult TidyBySftp(const CPublishTarget& target, const std::string& password, const QStringList& folders,
                          const QStringList& files, const CPublishTrust& trust);
CPublishResult TidyByCurl(const CPublishTarget& target, const std::string& password, const QStringList& folders,
                          const QStringList& files, const CPublishTrust& trust);
// Fetches `url` (http or https, certificate verified) into `page`; false with the cause.
bool FetchPage(const QString& url, QByteArray& page, QString& cause);

// A failure of kind `kind` with `message`.
CPublishResult Failure(const QString& message, CPublishResult::Kind kind = CPublishResult::Failed);

// What kept a connection from being made, as the network libraries tell it apart.
enum class ConnectFault { Refused, TimedOut, NoSuchName, Certificate, Login, Other };
// The failure to reach `host` for `fault`, in Swedish words the user can act on; the library's
// own text (English) only as the detail.
CPublishResult ConnectFailure(ConnectFault fault, const QString& host, const QString& detail);
// The message and, in parentheses, the detail: as the tool and "Publicera" show a failure.
QString FullMessage(const CPublishResult& result);
