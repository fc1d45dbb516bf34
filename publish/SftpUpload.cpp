// SPDX-License-Identifier: GPL-3.0-or-later
// SFTP through libssh. The old page is replaced by OpenSSH's posix-rename, in one step, where
// the server offers it.
#include "publish/Upload.h"

#include <QByteArray>
#include <QDir>
#include <QRandomGenerator>

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>

namespace {

// The largest piece written at once; libssh splits larger writes itself, but a piece at a time
// lets a stalled server be noticed between them.
constexpr qsizetype kPiece = 32 * 1024;

struct CSessionFree
{
    void operator()(ssh_session session) const
    {
        ssh_disconnect(session);
        ssh_free(session);
    }
};
struct CSftpFree
{
    void operator()(sftp_session sftp) const { sftp_free(sftp); }
};
struct CKeyFree
{
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using CSession = std::unique_ptr<ssh_session_struct, CSessionFree>;
using CSftp = std::unique_ptr<sftp_session_struct, CSftpFree>;

// libssh's SFTP calls wait for their answer without end (a read that times out is simply tried
// again), so a server that takes the channel and then says nothing would hold the publication
// for ever. The guard shuts the connection when no step has moved for kStallSeconds: the
// waiting call then fails as on a broken connection. Shutting, not closing, keeps the
// descriptor libssh's own, so it can never reach another file.
class CStallGuard
{
public:
    CStallGuard() = default;
    CStallGuard(const CStallGuard&) = delete;
    CStallGuard& operator=(const CStallGuard&) = delete;
    ~CStallGuard() { Stop(); }

    void Watch(socket_t socket)
    {
        Kick();
        m_thread = std::thread([this, socket] {
            std::unique_lock lock(m_mutex);
            while (!m_stop) {
                if (std::chrono::steady_clock::now() >= m_deadline) {
                    ::shutdown(socket, SHUT_RDWR);
                    m_cut = true;
                    return;
                }
                m_wake.wait_until(lock, m_deadline);
            }
        });
    }
    // A step has moved: the server has kStallSeconds again.
    void Kick()
    {
        const std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStallSeconds);
    }
    // Before the connection is closed.
    void Stop()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Cut()
    {
        const std::lock_guard lock(m_mutex);
        return m_cut;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_stop = false;
    bool m_cut = false;
    std::thread m_thread;
};

// One connection: the guard stops before the session is closed, after SFTP's own goodbye.
struct CConnection
{
    CSession m_session;
    CStallGuard m_guard;
    CSftp m_sftp;
};

// An id no request of libssh's own has while ours waits for its answer.
constexpr std::uint32_t kRenameId = 0xfffffff0;

void AppendNumber(QByteArray& packet, std::uint32_t number)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        packet.append(static_cast<char>((number >> shift) & 0xff));
}

void AppendString(QByteArray& packet, const QByteArray& text)
{
    AppendNumber(packet, static_cast<std::uint32_t>(text.size()));
    packet.append(text);
}

std::uint32_t NumberAt(const QByteArray& packet, qsizetype at)
{
    std::uint32_t number = 0;
    for (qsizetype i = at; i < at + 4; ++i)
        number = number << 8 | static_cast<unsigned char>(packet[i]);
    return number;
}

bool ReadExactly(ssh_channel channel, QByteArray& into, qsizetype size)
{
    into.resize(size);
    for (qsizetype at = 0; at < size;) {
        const int got = ssh_channel_read_timeout(channel, into.data() + at, static_cast<std::uint32_t>(size - at), 0,
                                                 static_cast<int>(kStallSeconds * 1000));
        if (got <= 0)
            return false;
        at += got;
    }
    return true;
}

// posix-rename@openssh.com: `from` takes the place of `to` in one step. libssh 0.10's own
// rename sends SFTP 3's RENAME, which never replaces a file. Nothing else is outstanding on the
// channel meanwhile (every request of ours waits for its answer), so the answer is the next
// packet. The server's status code: SSH_FX_OK when done, -1 when the connection failed.
int PosixRename(sftp_session sftp, const QByteArray& from, const QByteArray& to)
{
    QByteArray packet;
    packet.append(static_cast<char>(SSH_FXP_EXTENDED));
    AppendNumber(packet, kRenameId);
    AppendString(packet, "posix-rename@openssh.com");
    AppendString(packet, from);
    AppendString(packet, to);
    QByteArray framed;
    AppendNumber(framed, static_cast<std::uint32_t>(packet.size()));
    framed.append(packet);
    if (ssh_channel_write(sftp->channel, framed.constData(), static_cast<std::uint32_t>(framed.size())) !=
        framed.size())
        return -1;
    QByteArray length, answer;
    if (!ReadExactly(sftp->channel, length, 4) || NumberAt(length, 0) < 9 || NumberAt(length, 0) > 65536 ||
        !ReadExactly(sftp->channel, answer, NumberAt(length, 0)))
        return -1;
    if (static_cast<unsigned char>(answer[0]) != SSH_FXP_STATUS || NumberAt(answer, 1) != kRenameId)
        return -1;
    return static_cast<int>(NumberAt(answer, 5));
}

QString SshError(ssh_session session)
{
    return QString::fromUtf8(ssh_get_error(session));
}

// "SHA256:..." of the server's key, as ssh-keygen -l shows it.
QString Fingerprint(ssh_session session)
{
    ssh_key raw = nullptr;
    if (ssh_get_server_publickey(session, &raw) != SSH_OK)
        return {};
    const std::unique_ptr<ssh_key_struct, CKeyFree> key(raw);
    unsigned char* hash = nullptr;
    std::size_t length = 0;
    if (ssh_get_publickey_hash(key.get(), SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != 0)
        return {};
    char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
    ssh_clean_pubkey_hash(&hash);
    const QString fingerprint = QString::fromLatin1(text);
    ssh_string_free_char(text);
    return fingerprint;
}

// The server's host key against the user's known_hosts; an empty result when it may be talked to.
CPublishResult CheckHost(ssh_session session, const CPublishTarget& target, const CPublishTrust& trust)
{
    const QString fingerprint = Fingerprint(session);
    switch (ssh_session_is_known_server(session)) {
    case SSH_KNOWN_HOSTS_OK:
        return {};
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER: {
        CPublishResult refused =
            Failure(QStringLiteral("servern %1 har en annan nyckel (%2) än den som står i ~/.ssh/known_hosts. "
                                   "Det kan vara ett angrepp; inget skickades. Har servern fått en ny nyckel, "
                                   "ta bort den gamla raden ur known_hosts.")
                        .arg(target.m_host, fingerprint),
                    CPublishResult::ChangedHost);
        refused.m_fingerprint = fingerprint;
        return refused;
    }
    case SSH_KNOWN_HOSTS_UNKNOWN:
    case SSH_KNOWN_HOSTS_NOT_FOUND: {
        if (!fingerprint.isEmpty() && fingerprint == trust.m_hostFingerprint) {
            QDir().mkpath(QDir::homePath() + QStringLiteral("/.ssh"));
            if (ssh_session_update_known_hosts(session) != SSH_OK)
                return Failure(QStringLiteral("kunde inte skriva ~/.ssh/known_hosts: ") + SshError(session));
            return {};
        }
        CPublishResult unknown =
            Failure(QStringLiteral("servern %1 är okänd. Dess nyckel är %2.").arg(target.m_host, fingerprint),
                    CPublishResult::UnknownHost);
        unknown.m_fingerprint = fingerprint;
        char* line = nullptr;
        if (ssh_session_export_known_hosts_entry(session, &line) == SSH_OK) {
            unknown.m_knownHostsLine = QString::fromLatin1(line).trimmed();
            ssh_string_free_char(line);
        }
        return unknown;
    }
    case SSH_KNOWN_HOSTS_ERROR:
        break;
    }
    return Failure(QStringLiteral("servern %1 kunde inte kontrolleras: %2").arg(target.m_host, SshError(session)));
}

// The user's keys and agent first, then the password, when there is one.
bool LogIn(ssh_session session, const std::string& password)
{
    if (ssh_userauth_none(session, nullptr) == SSH_AUTH_SUCCESS)
        return true;
    if (ssh_userauth_publickey_auto(session, nullptr, nullptr) == SSH_AUTH_SUCCESS)
        return true;
    return !password.empty() && ssh_userauth_password(session, nullptr, password.c_str()) == SSH_AUTH_SUCCESS;
}

QString SftpCause(sftp_session sftp, ssh_session session, const QString& folder)
{
    switch (sftp_get_error(sftp)) {
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH:
        return QStringLiteral("mappen %1 finns inte på servern").arg(folder);
    case SSH_FX_PERMISSION_DENIED:
    case SSH_FX_WRITE_PROTECT:
        return QStringLiteral("servern låter inte användaren skriva i mappen %1").arg(folder);
    case SSH_FX_FAILURE:
        return QStringLiteral("servern kunde inte spara filen (är disken full?)");
    case SSH_FX_OK:
    case SSH_FX_NO_CONNECTION:
    case SSH_FX_CONNECTION_LOST:
        break;
    default:
        return QStringLiteral("servern svarade med fel %1").arg(sftp_get_error(sftp));
    }
    return QStringLiteral("förbindelsen bröts: ") + SshError(session);
}

// True when the file at `path` on the server holds exactly `bytes`, read back whole.
bool HoldsExactly(sftp_session sftp, const QByteArray& path, const QByteArray& bytes, CStallGuard& guard)
{
    guard.Kick();
    sftp_file handle = sftp_open(sftp, path.constData(), O_RDONLY, 0);
    if (!handle)
        return false;
    QByteArray back, piece(kPiece, Qt::Uninitialized);
    bool read = true;
    // One byte more than expected is enough to tell a longer file.
    while (back.size() <= bytes.size()) {
        guard.Kick();
        const ssize_t got = sftp_read(handle, piece.data(), static_cast<std::size_t>(piece.size()));
        if (got <= 0) {
            read = got == 0;
            break;
        }
        back.append(piece.constData(), static_cast<qsizetype>(got));
    }
    sftp_close(handle);
    return read && back == bytes;
}

// Puts one file in place under a temporary name, checked, then renamed over the old one.
QString PutFile(sftp_session sftp, ssh_session session, const QString& folder, const CPublishedFile& file,
                CStallGuard& guard)
{
    guard.Kick();
    const QString name = QStringLiteral(".%1.%2.tmp")
                             .arg(file.m_name)
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QByteArray temporary = (folder + name).toUtf8();
    const QByteArray final = (folder + file.m_name).toUtf8();
    sftp_file handle = sftp_open(sftp, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (!handle)
        return SftpCause(sftp, session, folder);
    QString cause;
    for (qsizetype at = 0; at < file.m_bytes.size() && cause.isEmpty(); at += kPiece) {
        const qsizetype piece = std::min(kPiece, file.m_bytes.size() - at);
        guard.Kick();
        if (sftp_write(handle, file.m_bytes.constData() + at, static_cast<std::size_t>(piece)) != piece)
            cause = SftpCause(sftp, session, folder);
    }
    // On the server's disk before it takes the old page's place, where the server can say so.
    guard.Kick();
    if (cause.isEmpty() && sftp_extension_supported(sftp, "fsync@openssh.com", "1") && sftp_fsync(handle) != 0)
        cause = SftpCause(sftp, session, folder);
    if (sftp_close(handle) != SSH_NO_ERROR && cause.isEmpty())
        cause = SftpCause(sftp, session, folder);
    // Read back before it takes the old page's place: a size alone passes a file the server
    // changed on the way (line ends, a filter).
    if (cause.isEmpty() && !HoldsExactly(sftp, temporary, file.m_bytes, guard))
        cause = QStringLiteral("%1 kom inte fram oförändrad till servern").arg(file.m_name);
    guard.Kick();
    if (cause.isEmpty() && sftp_extension_supported(sftp, "posix-rename@openssh.com", "1")) {
        if (const int status = PosixRename(sftp, temporary, final); status != SSH_FX_OK)
            cause = status < 0 ? QStringLiteral("förbindelsen bröts: ") + SshError(session)
                               : QStringLiteral("servern kunde inte byta ut %1 (fel %2)").arg(file.m_name).arg(status);
    } else if (cause.isEmpty() && sftp_rename(sftp, temporary.constData(), final.constData()) != 0) {
        // Without posix-rename a rename never replaces a file (a plain failure then): the old
        // one is moved aside, and for that moment there is no page. It is moved back when the
        // new one cannot take its place; a rename the server refuses outright changes nothing.
        const QByteArray aside = temporary + ".old";
        if (sftp_get_error(sftp) != SSH_FX_FAILURE || sftp_rename(sftp, final.constData(), aside.constData()) != 0) {
            cause = SftpCause(sftp, session, folder);
        } else if (sftp_rename(sftp, temporary.constData(), final.constData()) != 0) {
            cause = SftpCause(sftp, session, folder);
            sftp_rename(sftp, aside.constData(), final.constData());
        } else {
            sftp_unlink(sftp, aside.constData());
        }
    }
    if (!cause.isEmpty()) {
        guard.Kick();
        sftp_unlink(sftp, temporary.constData());
        return cause;
    }
    // Checked where members get it, byte for byte: a rename the server only said it made
    // leaves the old page there.
    return HoldsExactly(sftp, final, file.m_bytes, guard)
               ? QString()
               : QStringLiteral("%1 på servern är inte den som skickades").arg(file.m_name);
}

// Connects, checks the host and logs in; `folder` is the target's folder as SFTP names it,
// ending in '/'. An empty result when the session is ready.
CPublishResult Open(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust,
                    CSession& session, CSftp& sftp, CStallGuard& guard, QString& folder)
{
    session.reset(ssh_new());
    if (!session)
        return Failure(QStringLiteral("SFTP kan inte startas"));
    const QByteArray host = target.m_host.toUtf8(), user = target.m_user.toUtf8();
    const QByteArray sshDir = QFile::encodeName(QDir::homePath() + QStringLiteral("/.ssh"));
    const QByteArray knownHosts = sshDir + "/known_hosts";
    const unsigned int port = static_cast<unsigned int>(PortOf(target));
    // Also every later wait for the server: at most this long with nothing coming.
    const long timeout = kConnectSeconds;
    ssh_options_set(session.get(), SSH_OPTIONS_HOST, host.constData());
    ssh_options_set(session.get(), SSH_OPTIONS_PORT, &port);
    if (!user.isEmpty())
        ssh_options_set(session.get(), SSH_OPTIONS_USER, user.constData());
    ssh_options_set(session.get(), SSH_OPTIONS_TIMEOUT, &timeout);
    ssh_options_set(session.get(), SSH_OPTIONS_SSH_DIR, sshDir.constData());
    ssh_options_set(session.get(), SSH_OPTIONS_KNOWNHOSTS, knownHosts.constData());
    if (ssh_connect(session.get()) != SSH_OK)
        return Failure(QStringLiteral("kunde inte ansluta till %1: %2").arg(target.m_host, SshError(session.get())));
    guard.Watch(ssh_get_fd(session.get()));
    if (CPublishResult refused = CheckHost(session.get(), target, trust); !refused.m_message.isEmpty())
        return refused;
    if (!LogIn(session.get(), password))
        return Failure(QStringLiteral("inloggningen nekades"), CPublishResult::LoginRefused);
    guard.Kick();
    sftp.reset(sftp_new(session.get()));
    if (!sftp || sftp_init(sftp.get()) != SSH_OK)
        return Failure(QStringLiteral("servern erbjuder inte SFTP: ") + SshError(session.get()));
    // "/~/x" is the login folder's x, as curl writes it; SFTP's relative paths start there.
    folder = target.m_folder.isEmpty() ? QStringLiteral("/") : target.m_folder;
    if (folder.startsWith(QLatin1String("/~/")))
        folder = folder.mid(3);
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    return {};
}

// A failure because the guard cut a silent server says so, not what the cut made of it.
CPublishResult Unstalled(const CPublishTarget& target, CConnection& link, CPublishResult result)
{
    if (!result.Ok() && link.m_guard.Cut())
        return Failure(QStringLiteral("servern %1 slutade svara (inget svar på %2 sekunder)")
                           .arg(target.m_host)
                           .arg(kStallSeconds));
    return result;
}

CPublishResult PublishOver(CConnection& link, const CPublishTarget& target, const std::string& password,
                           const CPublication& publication, const CPublishTrust& trust)
{
    CSession& session = link.m_session;
    CSftp& sftp = link.m_sftp;
    QString folder;
    if (CPublishResult refused = Open(target, password, trust, session, sftp, link.m_guard, folder);
        !refused.m_message.isEmpty())
        return refused;
    for (const CPublishedFile& file : publication.m_files) {
        if (trust.m_cancel && *trust.m_cancel)
            return Failure(QStringLiteral("publiceringen avbröts"));
        if (const QString cause = PutFile(sftp.get(), session.get(), folder, file, link.m_guard); !cause.isEmpty())
            return Failure(cause);
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    return done;
}

CPublishResult TidyOver(CConnection& link, const CPublishTarget& target, const std::string& password,
                        const QStringList& folders, const QStringList& files, const CPublishTrust& trust)
{
    CSession& session = link.m_session;
    CSftp& sftp = link.m_sftp;
    QString base;
    if (CPublishResult refused = Open(target, password, trust, session, sftp, link.m_guard, base);
        !refused.m_message.isEmpty())
        return refused;
    for (const QString& folder : folders) {
        // Each step of the way, where it is missing.
        QString path = base;
        for (const QString& part : folder.split('/', Qt::SkipEmptyParts)) {
            path += part + '/';
            const QByteArray name = path.toUtf8();
            link.m_guard.Kick();
            sftp_attributes there = sftp_stat(sftp.get(), name.constData());
            const bool folderThere = there && there->type == SSH_FILEXFER_TYPE_DIRECTORY;
            sftp_attributes_free(there);
            if (!folderThere && sftp_mkdir(sftp.get(), name.constData(), 0755) != 0)
                return Failure(SftpCause(sftp.get(), session.get(), path));
        }
    }
    for (const QString& file : files) {
        const QByteArray name = (base + file).toUtf8();
        link.m_guard.Kick();
        if (sftp_unlink(sftp.get(), name.constData()) != 0 && sftp_get_error(sftp.get()) != SSH_FX_NO_SUCH_FILE)
            return Failure(QStringLiteral("%1 kunde inte tas bort: ").arg(file) +
                           SftpCause(sftp.get(), session.get(), base));
    }
    CPublishResult done;
    done.m_kind = CPublishResult::Done;
    return done;
}

} // namespace

CPublishResult PublishBySftp(const CPublishTarget& target, const std::string& password, const CPublication& publication,
                             const CPublishTrust& trust)
{
    CConnection link;
    return Unstalled(target, link, PublishOver(link, target, password, publication, trust));
}

CPublishResult TidyBySftp(const CPublishTarget& target, const std::string& password, const QStringList& folders,
                          const QStringList& files, const CPublishTrust& trust)
{
    CConnection link;
    return Unstalled(target, link, TidyOver(link, target, password, folders, files, trust));
}
