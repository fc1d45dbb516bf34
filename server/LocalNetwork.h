// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The interfaces that carry a default route, in the kernel's order of preference (lowest metric
// first), from the text of /proc/net/route.
std::vector<std::string> DefaultRouteInterfaces(std::string_view routeTable);

// The computer's IPv4 addresses on its local network: those of the interfaces of the default
// route, best first; empty without a network.
std::vector<std::string> LocalNetworkAddresses();

// The address the page is served at: "http://ADDRESS:PORT/".
std::string PageAddress(const std::string& address, int port);
