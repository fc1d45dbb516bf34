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

// The context of a GET; a form posted to the proposals has a CUpload of its own.
int seen;

struct CUpload
{
    std::string m_body;
    bool m_tooLarge = false;
};

void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode)
{
    if (*context && *context != &seen)
        delete static_cast<CUpload*>(*context);
    *context = nullptr;
}

std::string ClientAddress(MHD_Connection* connection)
{
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "?";
    if (info && info->client_addr) {
        const sockaddr* at = info->client_addr;
        if (at->sa_family == AF_INET)
            ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(at)->sin_addr, text, sizeof text);
        else if (at->sa_family == AF_INET6)
            ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(at)->sin6_addr, text, sizeof text);
    }
    return text;
}

MHD_Result QueueProposalAnswer(MHD_Connection* connection, const CProposalAnswer& answer)
{
    MHD_Response* response = MHD_create_response_from_buffer(
        answer.m_body.size(), const_cast<char*>(answer.m_body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.m_contentType.c_str());
    // Never kept: the phone's list changes, and a code must not stay in a cache.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    // No script, nothing from elsewhere, no frame around it, forms only to this server.
    MHD_add_response_header(response, "Content-Security-Policy",
                            "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; "
                            "frame-ancestors 'none'");
    if (!answer.m_location.empty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_LOCATION, answer.m_location.c_str());
    if (answer.m_retryAfter > 0)
        MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, std::to_string(answer.m_retryAfter).c_str());
    if (answer.m_status == MHD_HTTP_METHOD_NOT_ALLOWED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD, POST");
    const MHD_Result queued = MHD_queue_response(connection, answer.m_status, response);
    MHD_destroy_response(response);
    return queued;
}

// "/r/…": a phone's form and list, and the forms it posts, at most kBodyLimit bytes each.
MHD_Result AnswerProposal(CProposalBox& box, MHD_Connection* connection, std::string_view path, std::string_view verb,
                          const char* data, std::size_t* uploadSize, void** context)
{
    if (!*context) {
        CProposalAnswer early;
        if (verb != MHD_HTTP_METHOD_GET && verb != MHD_HTTP_METHOD_HEAD && verb != MHD_HTTP_METHOD_POST)
            early = box.Answer(verb, path, {}, {}, {});
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
        if (verb == MHD_HTTP_METHOD_POST && length &&
            (std::strlen(length) > 9 || std::strtoul(length, nullptr, 10) > CProposalBox::kBodyLimit))
            early = {MHD_HTTP_CONTENT_TOO_LARGE, "Formuläret är för stort.\n", "text/plain; charset=utf-8", {}, 0};
        // Answered before any body is read; the connection closes after.
        if (!early.m_body.empty())
            return QueueProposalAnswer(connection, early);
        *context = new CUpload;
        return MHD_YES;
    }
    auto* upload = static_cast<CUpload*>(*context);
    if (*uploadSize != 0) {
        // A body sent in chunks, past its length: read to its end and dropped.
        if (upload->m_body.size() + *uploadSize > CProposalBox::kBodyLimit)
            upload->m_tooLarge = true;
        else
            upload->m_body.append(data, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    if (upload->m_tooLarge)
        return QueueProposalAnswer(
            connection, {MHD_HTTP_CONTENT_TOO_LARGE, "Formuläret är för stort.\n", "text/plain; charset=utf-8", {}, 0});
    const char* type = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
    return QueueProposalAnswer(connection,
                               box.Answer(verb, path, type ? type : "", upload->m_body, ClientAddress(connection)));
}

MHD_Result Answer(void* server, MHD_Connection* connection, const char* url, const char* method, const char*,
                  const char* data, std::size_t* uploadSize, void** context)
{
    const std::string_view verb(method);
    if (std::string_view(url).starts_with("/r/"))
        return AnswerProposal(static_cast<CPageServer*>(server)->Proposals(), connection, url, verb, data, uploadSize,
                              context);
    // Refused at once, before any body it brings is read; the connection closes after.
    if (verb != MHD_HTTP_METHOD_GET && verb != MHD_HTTP_METHOD_HEAD)
        return QueueFixed(connection, MHD_HTTP_METHOD_NOT_ALLOWED, kNotAllowed);
    // The first call only sees the headers. A GET is answered once it has been read whole (a
    // body sent with it is passed over), so that the connection can serve the next request.
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
            MHD_Daemon* daemon =
                MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL, 0, nullptr, nullptr, &Answer, this,
                                 MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit,
                                 MHD_OPTION_PER_IP_CONNECTION_LIMIT, kPerAddressLimit, MHD_OPTION_CONNECTION_TIMEOUT,
                                 kTimeoutSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, kRequestHeaderLimit,
                                 MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, nullptr, MHD_OPTION_STRICT_FOR_CLIENT, 1,
                                 MHD_OPTION_NOTIFY_COMPLETED, &Completed, nullptr, MHD_OPTION_END);
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
