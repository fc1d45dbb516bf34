// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/ProposalBox.h"
#include "server/ServedPage.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct MHD_Daemon;

// The read-only web server of the standings: GNU libmicrohttpd on its own thread, one daemon
// per address listened on, all answering from the last page published. It answers GET and
// HEAD of "/", "/table.css" and the version resource from memory; every other path is 404,
// every other method 405. Under "/r/" it takes results from phones into its proposal box, for
// the keeper to accept or reject. No request reaches the disk or the window.
class CPageServer
{
public:
    // The limits the daemons enforce. A phone's browser opens up to six connections, and a
    // room's phones each have their own address; the whole is far above a club room's needs and
    // far below what the process's file descriptors allow.
    static constexpr unsigned kConnectionLimit = 1000;
    static constexpr unsigned kPerAddressLimit = 16;
    // Idle and slow connections are closed after this many seconds without traffic.
    static constexpr unsigned kTimeoutSeconds = 10;
    // The memory of one connection, which holds its request line and headers.
    static constexpr std::size_t kRequestHeaderLimit = 16 * 1024;
    // Ports tried from the first one on when it is taken.
    static constexpr int kPortsTried = 100;

    CPageServer() = default;
    CPageServer(const CPageServer&) = delete;
    CPageServer& operator=(const CPageServer&) = delete;
    ~CPageServer();

    // Listens on every IPv4 address of `addresses` on one port: `firstPort` or, when it is taken
    // on any of them, the next free one. False with the reason in `error` (Swedish) when none
    // could be had; nothing listens then.
    bool Start(const std::vector<std::string>& addresses, int firstPort, std::string& error);
    // Closes the ports and ends the connections; a new connection is refused after it.
    void Stop();
    bool Running() const { return !m_daemons.empty(); }
    int Port() const { return m_port; }

    // From now on, requests are answered from `page`. Cheap: the page is only shared.
    void Publish(std::shared_ptr<const CServedPage> page);
    std::shared_ptr<const CServedPage> Current() const;
    // The proposals phones send to "/r/TOKEN"; the box outlives every connection.
    CProposalBox& Proposals() { return m_proposals; }

private:
    std::vector<MHD_Daemon*> m_daemons;
    int m_port = 0;
    mutable std::mutex m_mutex; // guards m_page
    std::shared_ptr<const CServedPage> m_page;
    CProposalBox m_proposals;
};
