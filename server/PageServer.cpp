// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/PageServer.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::string_view kNotFound = "Finns inte.\n";
constexpr std::string_view kNotAllowed = "Här kan man bara läsa.\n";
constexpr std::string_view kNotReady = "Sidan är inte klar än.\n";

// Paths are compared as they came: nothing is decoded, so "%2e%2e" or "%00" is no path of ours
// under another spelling, and no request names a file anyway.
std::size_t KeepEscapes(void*, MHD_Connection*, char* text)
{
    return std::strlen(text);
}

// Whether the request's If-None-Match names `etag` (or any, "*").
bool Matches(MHD_Connection* connection, const std::string& etag)
{
    const char* header = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH);
    if (!header)
        return false;
    const std::string_view tags(header);
    if (tags.find('*') != std::string_view::npos)
        return true;
    for (std::size_t at = tags.find(etag); at != std::string_view::npos; at = tags.find(etag, at + 1)) {
        // A whole tag of the list, perhaps weak ("W/" before it).
        const std::size_t end = at + etag.size();
        const bool startOk = at == 0 || tags[at - 1] == ' ' || tags[at - 1] == ',' || tags[at - 1] == '/';
        const bool endOk = end == tags.size() || tags[end] == ' ' || tags[end] == ',';
        if (startOk && endOk)
            return true;
    }
    return false;
}

void ReleasePage(void* page)
{
    delete static_cast<std::shared_ptr<const CServedPage>*>(page);
}

MHD_Result Queue(MHD_Connection* connection, unsigned status, MHD_Response* response, const std::string& type,
                 const std::string& etag)
{
    if (!type.empty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, etag.c_str());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

// A short fixed answer: 404, 405 or 503.
MHD_Result QueueFixed(MHD_Connection* connection, unsigned status, std::string_view text)
{
    MHD_Response* response =
        MHD_create_response_from_buffer(text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_PERSISTENT);
    if (!response)
        return MHD_NO;
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    return Queue(connection, status, response, "text/plain; charset=utf-8", EtagOf(text));
}

MHD_Result Answer(void* server, MHD_Connection* connection, const char* url, const char* method, const char*,
                  const char*, std::size_t* uploadSize, void** context)
{
    // Refused at once, before any body it brings is read; the connection closes after.
    const std::string_view verb(method);
    if (verb != MHD_HTTP_METHOD_GET && verb != MHD_HTTP_METHOD_HEAD)
        return QueueFixed(connection, MHD_HTTP_METHOD_NOT_ALLOWED, kNotAllowed);
    // The first call only sees the headers. A GET is answered once it has been read whole (a
    // body sent with it is passed over), so that the connection can serve the next request.
    static int seen;
    if (!*context || *uploadSize != 0) {
        *context = &seen;
        *uploadSize = 0;
        return MHD_YES;
    }
    std::shared_ptr<const CServedPage> page = static_cast<const CPageServer*>(server)->Current();
    const std::string_view path(url);
    const CServedResource* resource = nullptr;
    if (!page)
        return QueueFixed(connection, MHD_HTTP_SERVICE_UNAVAILABLE, kNotReady);
    if (path == "/")
        resource = &page->m_page;
    else if (path == "/table.css")
        resource = &page->m_css;
    else if (path == kVersionPath)
        resource = &page->m_version;
    else
        return QueueFixed(connection, MHD_HTTP_NOT_FOUND, kNotFound);

    if (Matches(connection, resource->m_etag)) {
        MHD_Response* response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        return response ? Queue(connection, MHD_HTTP_NOT_MODIFIED, response, {}, resource->m_etag) : MHD_NO;
    }
    // The body is sent from the page itself, which stays alive until the answer is out.
    const std::string& body = resource->m_body;
    auto* hold = new std::shared_ptr<const CServedPage>(std::move(page));
    MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
        body.size(), const_cast<char*>(body.data()), &ReleasePage, hold);
    if (!response) {
        delete hold;
        return MHD_NO;
    }
    return Queue(connection, MHD_HTTP_OK, response, resource->m_contentType, resource->m_etag);
}

// A socket bound to `address`:`port` and listening, or -1 with errno.
int Listen(const in_addr& address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr = address;
    at.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Room for the connections the daemons allow, where the system grants it.
void RaiseFileLimit()
{
    rlimit limit = {};
    constexpr rlim_t kWanted = rlim_t{4} * CPageServer::kConnectionLimit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < kWanted) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? kWanted : std::min(kWanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

CPageServer::~CPageServer()
{
    Stop();
}

bool CPageServer::Start(const std::vector<std::string>& addresses, int firstPort, std::string& error)
{
    Stop();
    std::vector<in_addr> binary;
    for (const std::string& address : addresses) {
        in_addr parsed = {};
        if (::inet_pton(AF_INET, address.c_str(), &parsed) != 1) {
            error = address + " är ingen IPv4-adress.";
            return false;
        }
        // Never every address of the computer at once, nor a group or broadcast address.
        const std::uint32_t host = ntohl(parsed.s_addr);
        if (host == INADDR_ANY || host == INADDR_BROADCAST || IN_MULTICAST(host)) {
            error = address + " är ingen adress på den här datorn att visa sidan på.";
            return false;
        }
        binary.push_back(parsed);
    }
    if (binary.empty() || firstPort < 1 || firstPort > 65535) {
        error = "Ingen adress eller port att lyssna på.";
        return false;
    }
    RaiseFileLimit();
    const int lastPort = std::min(65535, firstPort + kPortsTried - 1);
    for (int port = firstPort; port <= lastPort; ++port) {
        std::vector<int> sockets;
        int failure = 0;
        for (std::size_t i = 0; i < binary.size() && failure == 0; ++i) {
            const int fd = Listen(binary[i], port);
            if (fd < 0)
                failure = errno;
            else
                sockets.push_back(fd);
        }
        if (failure != 0) {
            for (int fd : sockets)
                ::close(fd);
            if (failure == EADDRINUSE || failure == EACCES)
                continue;
            error = failure == EADDRNOTAVAIL ? "Adressen finns inte på den här datorn."
                                             : std::string("Kan inte lyssna: ") + std::strerror(failure);
            return false;
        }
        for (int fd : sockets) {
            MHD_Daemon* daemon = MHD_start_daemon(
                MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL, 0, nullptr, nullptr, &Answer, this,
                MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit,
                MHD_OPTION_PER_IP_CONNECTION_LIMIT, kPerAddressLimit, MHD_OPTION_CONNECTION_TIMEOUT, kTimeoutSeconds,
                MHD_OPTION_CONNECTION_MEMORY_LIMIT, kRequestHeaderLimit, MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes,
                nullptr, MHD_OPTION_STRICT_FOR_CLIENT, 1, MHD_OPTION_END);
            if (!daemon) {
                ::close(fd);
                continue;
            }
            m_daemons.push_back(daemon);
        }
        if (m_daemons.size() != sockets.size()) {
            Stop();
            error = "Webbservern kunde inte startas.";
            return false;
        }
        m_port = port;
        return true;
    }
    error = "Ingen ledig port mellan " + std::to_string(firstPort) + " och " + std::to_string(lastPort) + ".";
    return false;
}

void CPageServer::Stop()
{
    for (MHD_Daemon* daemon : m_daemons) {
        // Closes the listening socket it was handed, and every connection.
        MHD_stop_daemon(daemon);
    }
    m_daemons.clear();
    m_port = 0;
}

void CPageServer::Publish(std::shared_ptr<const CServedPage> page)
{
    const std::lock_guard lock(m_mutex);
    m_page = std::move(page);
}

std::shared_ptr<const CServedPage> CPageServer::Current() const
{
    const std::lock_guard lock(m_mutex);
    return m_page;
}
