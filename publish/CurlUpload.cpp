// SPDX-License-Identifier: GPL-3.0-or-later
// FTP, FTPS (explicit, AUTH TLS) and WebDAV through libcurl: each file sent whole before it takes
// the old one's place, then read back.
#include "publish/Upload.h"

#include <QRandomGenerator>
#include <QUrl>

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

// The leaf certificate's fingerprint seen in the handshake, and the one the user trusts.
struct CCertificateCheck
{
    QString m_trusted;
    QString m_seen;
};
// The transfer runs its callbacks on the thread that started it.
thread_local CCertificateCheck* t_check = nullptr;

QString CertificateFingerprint(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!X509_digest(certificate, EVP_sha256(), digest, &length))
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), length).toHex(':').toUpper());
}

int VerifyCertificate(int authorityVouches, X509_STORE_CTX* store)
{
    if (!t_check || X509_STORE_CTX_get_error_depth(store) != 0)
        return authorityVouches || (t_check && !t_check->m_trusted.isEmpty());
    t_check->m_seen = CertificateFingerprint(X509_STORE_CTX_get_current_cert(store));
    // A certificate the user trusted is taken only as itself.
    if (!t_check->m_trusted.isEmpty())
        return t_check->m_seen == t_check->m_trusted;
    return authorityVouches;
}

CURLcode SetVerifier(CURL*, void* context, void*)
{
    SSL_CTX_set_verify(static_cast<SSL_CTX*>(context), SSL_VERIFY_PEER, VerifyCertificate);
    return CURLE_OK;
}

struct CCurlFree
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct CListFree
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CList = std::unique_ptr<curl_slist, CListFree>;

struct CReadState
{
    const QByteArray* m_bytes = nullptr;
    qsizetype m_at = 0;
};

std::size_t ReadBytes(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto* state = static_cast<CReadState*>(user);
    const auto piece = std::min<qsizetype>(static_cast<qsizetype>(size * count), state->m_bytes->size() - state->m_at);
    std::memcpy(buffer, state->m_bytes->constData() + state->m_at, static_cast<std::size_t>(piece));
    state->m_at += piece;
    return static_cast<std::size_t>(piece);
}

std::size_t TakeBytes(char* data, std::size_t size, std::size_t count, void* user)
{
    static_cast<QByteArray*>(user)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

// Called at least once a second, also while nothing moves: a cancel ends the transfer.
int Cancelled(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return *static_cast<const std::atomic_bool*>(cancel) ? 1 : 0;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;
}

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One connection to the server, reused by the requests of one publication.
class CTransfer
{
public:
    CTransfer(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust)
        : m_target(target)
        , m_curl(curl_easy_init())
    {
        m_check.m_trusted = target.m_trustedCertificate;
        t_check = &m_check;
        CURL* curl = m_curl.get();
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
        // Less than a byte a second for this long counts as stalled.
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_error);
        if (trust.m_cancel) {
            curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Cancelled);
            curl_easy_setopt(curl, CURLOPT_XFERINFODATA, trust.m_cancel.get());
        }
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp,ftps,http,https");
        m_user = target.m_user.toStdString();
        curl_easy_setopt(curl, CURLOPT_USERNAME, m_user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
        if (target.m_way == PublishWay::Ftps)
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        if (target.m_way == PublishWay::Dav || target.m_way == PublishWay::DavHttp)
            curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, SetVerifier);
        if (!target.m_trustedCertificate.isEmpty()) {
            // The fingerprint decides, in the verifier, before anything is sent.
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        }
    }
    CTransfer(const CTransfer&) = delete;
    CTransfer& operator=(const CTransfer&) = delete;
    ~CTransfer() { t_check = nullptr; }

    bool Dav() const { return m_target.m_way == PublishWay::Dav || m_target.m_way == PublishWay::DavHttp; }

    long Status() const
    {
        long status = 0;
        curl_easy_getinfo(m_curl.get(), CURLINFO_RESPONSE_CODE, &status);
        return status;
    }

    // The address of `name` in the target's folder (no user, no password in it).
    std::string Url(const QString& name) const
    {
        QUrl url;
        url.setScheme(m_target.m_way == PublishWay::Dav       ? QStringLiteral("https")
                      : m_target.m_way == PublishWay::DavHttp ? QStringLiteral("http")
                                                              : QStringLiteral("ftp"));
        url.setHost(m_target.m_host);
        url.setPort(PortOf(m_target));
        QString folder = m_target.m_folder.startsWith('/') ? m_target.m_folder : '/' + m_target.m_folder;
        if (!folder.endsWith('/'))
            folder += '/';
        url.setPath(folder + name);
        return url.toEncoded().toStdString();
    }

    // Sends `bytes` as `name`.
    CURLcode Put(const QString& name, const QByteArray& bytes)
    {
        Reset();
        CURL* curl = m_curl.get();
        const std::string url = Url(name);
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        CReadState state{&bytes, 0};
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadBytes);
        curl_easy_setopt(curl, CURLOPT_READDATA, &state);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
        return Perform();
    }

    // FTP: `name` takes the place of `final`.
    CURLcode Rename(const QString& name, const QString& final)
    {
        const std::string from = "RNFR " + InFolder(name), to = "RNTO " + InFolder(final);
        const CList rename(curl_slist_append(curl_slist_append(nullptr, from.c_str()), to.c_str()));
        return Quote(rename.get());
    }

    CURLcode Get(const QString& name, QByteArray& bytes)
    {
        Reset();
        CURL* curl = m_curl.get();
        const std::string url = Url(name);
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBytes);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
        return Perform();
    }

    // FTP: removes a temporary file a failure left behind, where the server lets it.
    void Remove(const QString& name)
    {
        const std::string command = "DELE " + InFolder(name);
        const CList quote(curl_slist_append(nullptr, command.c_str()));
        Quote(quote.get());
    }

    // A request for `name` in the target's folder that moves no file: WebDAV's MKCOL or DELETE
    // by `method`, an FTP command by `command` ("*MKD x": a failure is let pass).
    CURLcode Request(const QString& name, const char* method, const std::string& command)
    {
        Reset();
        CURL* curl = m_curl.get();
        const std::string url = Url(Dav() ? name : QString());
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        const CList quote(curl_slist_append(nullptr, command.c_str()));
        // After the folder is changed into (QUOTE would come before it, from the login folder).
        if (Dav())
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
        else
            curl_easy_setopt(curl, CURLOPT_POSTQUOTE, quote.get());
        const CURLcode code = Perform();
        curl_easy_setopt(curl, CURLOPT_POSTQUOTE, nullptr);
        return code;
    }

    // Why `code` ended the request, in Swedish, as the user can act on it.
    CPublishResult Cause(CURLcode code, const QString& what) const
    {
        const QString detail = QString::fromUtf8(m_error[0] ? m_error : curl_easy_strerror(code));
        switch (code) {
        case CURLE_LOGIN_DENIED:
            return Failure(QStringLiteral("inloggningen nekades"), CPublishResult::LoginRefused);
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
            if (!m_check.m_seen.isEmpty() && m_check.m_seen != m_check.m_trusted) {
                CPublishResult untrusted =
                    Failure(QStringLiteral(
                                "servern %1 har ett certifikat som inte kan kontrolleras (SHA-256 %2); inget skickades")
                                .arg(m_target.m_host, m_check.m_seen),
                            CPublishResult::UntrustedCertificate);
                untrusted.m_fingerprint = m_check.m_seen;
                return untrusted;
            }
            break;
        case CURLE_USE_SSL_FAILED:
            return Failure(QStringLiteral("servern %1 erbjuder inte kryptering (AUTH TLS)").arg(m_target.m_host));
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
            return Failure(QStringLiteral("kunde inte ansluta till %1: %2").arg(m_target.m_host, detail));
        case CURLE_ABORTED_BY_CALLBACK:
            return Failure(QStringLiteral("publiceringen avbröts"));
        case CURLE_OPERATION_TIMEDOUT:
            return Failure(QStringLiteral("servern %1 slutade svara").arg(m_target.m_host));
        case CURLE_REMOTE_ACCESS_DENIED:
            return Failure(
                QStringLiteral("mappen %1 finns inte eller får inte användas: %2").arg(m_target.m_folder, detail));
        case CURLE_HTTP_RETURNED_ERROR:
            // WebDAV's refused login is a refused login, not a passing failure to try again.
            return Failure(HttpCause(what), Status() == 401 ? CPublishResult::LoginRefused : CPublishResult::Failed);
        case CURLE_UPLOAD_FAILED:
        case CURLE_PARTIAL_FILE:
            if (const QString cause = FtpCause(); !cause.isEmpty())
                return Failure(cause);
            break;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
            return Failure(QStringLiteral("förbindelsen bröts under %1: %2").arg(what, detail));
        default:
            break;
        }
        return Failure(QStringLiteral("%1 misslyckades: %2").arg(what, detail));
    }

private:
    // FTP: `name` in the target's folder, from the login folder: commands are sent before any
    // change of folder.
    std::string InFolder(const QString& name) const
    {
        QString folder = m_target.m_folder;
        while (folder.startsWith('/'))
            folder.remove(0, 1);
        if (!folder.isEmpty() && !folder.endsWith('/'))
            folder += '/';
        return (folder + name).toStdString();
    }

    // FTP: the commands `quote` after the login, nothing transferred.
    CURLcode Quote(curl_slist* quote)
    {
        Reset();
        CURL* curl = m_curl.get();
        const std::string url = Url(QString());
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(curl, CURLOPT_QUOTE, quote);
        const CURLcode code = Perform();
        curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
        return code;
    }

    void Reset()
    {
        m_error[0] = '\0';
        CURL* curl = m_curl.get();
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    }

    CURLcode Perform()
    {
        CURL* curl = m_curl.get();
        return curl_easy_perform(curl);
    }

    // What an FTP server's refusal of a file says, by its reply code; empty for another.
    QString FtpCause() const
    {
        long reply = 0;
        curl_easy_getinfo(m_curl.get(), CURLINFO_RESPONSE_CODE, &reply);
        if (reply == 550 || reply == 553)
            return QStringLiteral("servern låter inte användaren skriva i mappen %1").arg(m_target.m_folder);
        if (reply == 451 || reply == 452 || reply == 552)
            return QStringLiteral("servern kunde inte spara filen (är disken full?), svar %1").arg(reply);
        return {};
    }

    QString HttpCause(const QString& what) const
    {
        const long status = Status();
        switch (status) {
        case 401:
            return QStringLiteral("inloggningen nekades");
        case 403:
            return QStringLiteral("servern låter inte användaren skriva i mappen %1").arg(m_target.m_folder);
        case 404:
        case 409:
            return QStringLiteral("mappen %1 finns inte på servern").arg(m_target.m_folder);
        case 507:
            return QStringLiteral("servern har inte plats för filen (disken är full)");
        default:
            break;
        }
        return QStringLiteral("%1: servern svarade %2").arg(what).arg(status);
    }

    const CPublishTarget& m_target;
    std::unique_ptr<CURL, CCurlFree> m_curl;
    std::string m_user;
    CCertificateCheck m_check;
    char m_error[CURL_ERROR_SIZE] = {};
};

// True when `name` on the server holds exactly `bytes`, read back on a connection of its own as
// a member's browser would find it; `failed` takes why it could not be read.
bool HoldsExactly(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust,
                  const QString& name, const QByteArray& bytes, CPublishResult& failed)
{
    CTransfer check(target, password, trust);
    QByteArray back;
    if (const CURLcode read = check.Get(name, back); read != CURLE_OK) {
        failed = check.Cause(read, QStringLiteral("kontrolläsningen av %1").arg(name));
        return false;
    }
    return back == bytes;
}

// FTP: sends `file` as `temporary`, reads it back, then renames it over the old one, so that a
// file stored short or changed on the way never takes the old one's place. WebDAV: sends it in
// the old one's place, which the common servers (Apache's mod_dav_fs, nginx, Nextcloud) receive
// into a file of their own and rename when it is whole; their MOVE with Overwrite removes the
// old page first. An empty result when done and read back whole.
CPublishResult PutOne(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust,
                      const CPublishedFile& file, const QString& temporary)
{
    const bool dav = target.m_way == PublishWay::Dav || target.m_way == PublishWay::DavHttp;
    const QString name = dav ? file.m_name : temporary;
    CPublishResult failed;
    {
        CTransfer transfer(target, password, trust);
        if (const CURLcode code = transfer.Put(name, file.m_bytes); code != CURLE_OK)
            failed = transfer.Cause(code, QStringLiteral("sändningen av %1").arg(file.m_name));
    }
    if (failed.m_message.isEmpty() && !dav && !HoldsExactly(target, password, trust, name, file.m_bytes, failed) &&
        failed.m_message.isEmpty())
        failed = Failure(QStringLiteral("%1 kom inte fram oförändrad till servern").arg(file.m_name));
    if (failed.m_message.isEmpty() && !dav) {
        CTransfer transfer(target, password, trust);
        if (const CURLcode code = transfer.Rename(name, file.m_name); code != CURLE_OK)
            failed = transfer.Cause(code, QStringLiteral("bytet till %1").arg(file.m_name));
    }
    if (!failed.m_message.isEmpty()) {
        if (!dav && failed.m_kind != CPublishResult::LoginRefused &&
            failed.m_kind != CPublishResult::UntrustedCertificate)
            CTransfer(target, password, trust).Remove(temporary);
        return failed;
    }
    // Where members get it, byte for byte: a rename the server only said it made leaves the old page.
    if (!HoldsExactly(target, password, trust, file.m_name, file.m_bytes, failed) && failed.m_message.isEmpty())
        failed = Failure(QStringLiteral("%1 på servern är inte den som skickades").arg(file.m_name));
    return failed;
}

} // namespace

CPublishResult PublishByCurl(const CPublishTarget& target, const std::string& password, const CPublication& publication,
                             const CPublishTrust& trust)
{
    GlobalInit();
    // A connection per request that moves a file: vsftpd, as hosts run it, wants each data
    // connection to resume its control connection's TLS session, which TLS 1.3 allows only once.
    for (const CPublishedFile& file : publication.m_files) {
        const QString temporary = QStringLiteral(".%1.%2.tmp")
                                      .arg(file.m_name)
                                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        if (CPublishResult failed = PutOne(target, password, trust, file, temporary); !failed.m_message.isEmpty())
            return failed;
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    return done;
}

bool FetchPage(const QString& url, QByteArray& page, QString& cause)
{
    GlobalInit();
    const std::unique_ptr<CURL, CCurlFree> curl(curl_easy_init());
    char error[CURL_ERROR_SIZE] = {};
    const std::string address = url.toStdString();
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, TakeBytes);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &page);
    const CList headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK)
        cause = QString::fromUtf8(error[0] ? error : curl_easy_strerror(code));
    return code == CURLE_OK;
}

CPublishResult TidyByCurl(const CPublishTarget& target, const std::string& password, const QStringList& folders,
                          const QStringList& files, const CPublishTrust& trust)
{
    GlobalInit();
    CTransfer transfer(target, password, trust);
    for (const QString& folder : folders) {
        QString path;
        for (const QString& part : folder.split('/', Qt::SkipEmptyParts)) {
            path += part + '/';
            // A folder already there answers 405 (WebDAV) or a refused MKD, let pass: a file
            // sent into a folder that is truly missing fails, and says so.
            const CURLcode code = transfer.Request(path, "MKCOL", "*MKD " + path.chopped(1).toStdString());
            if (code != CURLE_OK && !(transfer.Dav() && code == CURLE_HTTP_RETURNED_ERROR))
                return transfer.Cause(code, QStringLiteral("mappen %1").arg(path));
        }
    }
    for (const QString& file : files) {
        const CURLcode code = transfer.Request(file, "DELETE", "*DELE " + file.toStdString());
        if (code != CURLE_OK && !(code == CURLE_HTTP_RETURNED_ERROR && transfer.Status() == 404))
            return transfer.Cause(code, QStringLiteral("borttagningen av %1").arg(file));
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    return done;
}
