// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/LocalNetwork.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <fstream>
#include <ifaddrs.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sstream>

std::vector<std::string> DefaultRouteInterfaces(std::string_view routeTable)
{
    struct Route
    {
        std::string name;
        unsigned long metric;
    };
    std::vector<Route> routes;
    std::istringstream lines{std::string(routeTable)};
    std::string line;
    std::getline(lines, line); // the column names
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refs, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refs >> use >> metric >> mask))
            continue;
        unsigned long flagBits = 0, metricValue = 0;
        std::from_chars(flags.data(), flags.data() + flags.size(), flagBits, 16);
        std::from_chars(metric.data(), metric.data() + metric.size(), metricValue);
        if (destination == "00000000" && mask == "00000000" && (flagBits & RTF_UP) != 0)
            routes.push_back({name, metricValue});
    }
    std::stable_sort(routes.begin(), routes.end(), [](const Route& a, const Route& b) { return a.metric < b.metric; });
    std::vector<std::string> names;
    for (const Route& route : routes)
        if (std::find(names.begin(), names.end(), route.name) == names.end())
            names.push_back(route.name);
    return names;
}

std::vector<std::string> LocalNetworkAddresses()
{
    std::ifstream file("/proc/net/route");
    std::ostringstream table;
    table << file.rdbuf();
    const std::vector<std::string> interfaces = DefaultRouteInterfaces(table.str());
    ifaddrs* list = nullptr;
    if (interfaces.empty() || ::getifaddrs(&list) != 0)
        return {};
    std::vector<std::string> addresses;
    for (const std::string& name : interfaces) {
        for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
            if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || name != entry->ifa_name)
                continue;
            char text[INET_ADDRSTRLEN] = {};
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text))
                addresses.emplace_back(text);
        }
    }
    ::freeifaddrs(list);
    return addresses;
}

std::string PageAddress(const std::string& address, int port)
{
    return "http://" + address + ':' + std::to_string(port) + '/';
}
