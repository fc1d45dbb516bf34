// SPDX-License-Identifier: GPL-3.0-or-later
// The served page on a large tournament: the cost of building it once, of a poll that finds
// nothing new (304 from the published page), of a poll that finds a change, and how many
// pages were built for how many requests. One keep-alive connection on 127.0.0.1.
//   serve_bench FILE [POLLS]
// Prints one line of figures; exits 1 when something failed, never on timing.
#include "files/TournamentDoc.h"
#include "server/PagePublisher.h"
#include "server/PageServer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuMilliseconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3) +
           (static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

// A keep-alive client: one request, its status and ETag, the body read and dropped.
class CClient
{
public:
    explicit CClient(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_port = htons(static_cast<std::uint16_t>(port));
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        m_ok = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0;
    }
    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;
    ~CClient() { ::close(m_fd); }

    int Get(const std::string& path, const std::string& etag, std::string* newEtag = nullptr)
    {
        std::string request = "GET " + path + " HTTP/1.1\r\nHost: x\r\n";
        if (!etag.empty())
            request += "If-None-Match: " + etag + "\r\n";
        request += "\r\n";
        if (!m_ok || ::send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            return 0;
        std::string head;
        std::size_t end;
        while ((end = m_buffer.find("\r\n\r\n")) == std::string::npos)
            if (!Fill())
                return 0;
        head = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 4);
        const std::size_t lengthAt = head.find("Content-Length: ");
        std::size_t length = lengthAt == std::string::npos ? 0 : std::stoul(head.substr(lengthAt + 16));
        while (m_buffer.size() < length)
            if (!Fill())
                return 0;
        m_buffer.erase(0, length);
        if (newEtag) {
            const std::size_t at = head.find("ETag: ");
            *newEtag = at == std::string::npos ? std::string() : head.substr(at + 6, head.find("\r\n", at) - at - 6);
        }
        return std::stoi(head.substr(9, 3));
    }

private:
    bool Fill()
    {
        char chunk[1 << 16];
        const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            return false;
        m_buffer.append(chunk, static_cast<std::size_t>(got));
        return true;
    }

    int m_fd = -1;
    bool m_ok = false;
    std::string m_buffer;
};

void RunEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return std::fprintf(stderr, "usage: serve_bench FILE [POLLS]\n"), 2;
    const int polls = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    CTournamentDoc doc;
    if (!doc.Read(QString::fromLocal8Bit(argv[1])).Ok())
        return std::fprintf(stderr, "serve_bench: %s refused\n", argv[1]), 1;
    CPageServer server;
    CPagePublisher publisher(doc, server);
    Clock::time_point start = Clock::now();
    publisher.Publish(QDateTime::currentDateTime());
    const double held = Milliseconds(Clock::now() - start);
    publisher.WaitForPages();
    const double build = Milliseconds(Clock::now() - start);
    const std::size_t pageBytes = server.Current()->m_page.m_body.size();
    std::string error;
    if (!server.Start({"127.0.0.1"}, 18942, error))
        return std::fprintf(stderr, "serve_bench: %s\n", error.c_str()), 1;
    publisher.FollowEdits();

    CClient client(server.Port());
    std::string etag;
    start = Clock::now();
    if (client.Get("/", {}, &etag) != 200)
        return std::fprintf(stderr, "serve_bench: no page\n"), 1;
    const double firstGet = Milliseconds(Clock::now() - start);

    // Polls that find nothing new: each timed from request to answer, and the process's CPU
    // time over all of them (the client's share included: an upper bound of the server's).
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(polls));
    const double cpuBefore = CpuMilliseconds();
    for (int i = 0; i < polls; ++i) {
        start = Clock::now();
        if (client.Get("/version", etag) != 304)
            return std::fprintf(stderr, "serve_bench: poll %d not 304\n", i), 1;
        times.push_back(Milliseconds(Clock::now() - start));
    }
    const double cpuPerPoll = (CpuMilliseconds() - cpuBefore) / polls;
    std::sort(times.begin(), times.end());

    // One change, then every client finds it: one page more, however many ask.
    doc.SetTitle(doc.Tournament().m_title + " (ny)");
    RunEvents(CPagePublisher::kSettleMilliseconds + 100);
    publisher.WaitForPages();
    int changed = 0;
    for (int i = 0; i < 200; ++i)
        changed += client.Get("/version", etag) == 200 ? 1 : 0;
    std::printf("page %.1f MB built in %.0f ms (the window held %.0f ms), first GET %.0f ms | %d polls, nothing new: "
                "p50 %.3f ms, p99 %.3f ms, "
                "CPU %.3f ms each | after a change %d of 200 polls found it; pages built %d\n",
                static_cast<double>(pageBytes) / 1048576.0, build, held, firstGet, polls, times[times.size() / 2],
                times[times.size() * 99 / 100], cpuPerPoll, changed, publisher.Builds());
    return changed == 200 && publisher.Builds() == 2 ? 0 : 1;
}
