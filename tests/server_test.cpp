// SPDX-License-Identifier: GPL-3.0-or-later
// The local network's address: the interfaces of the default route. What is served is seen over
// loopback (serve_runs.py, mobile_dlg_test).
#include "server/LocalNetwork.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

struct RouteCase
{
    const char* rows;
    std::vector<std::string> interfaces;
};

TEST(LocalNetwork, DefaultRouteInterfaces)
{
    const RouteCase cases[] = {
        // Wi-Fi and its own subnet: the default route names it.
        {"wlp2s0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
         "wlp2s0\t0001A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n",
         {"wlp2s0"}},
        // Cable and Wi-Fi: the lower metric first, each once.
        {"wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
         "eth0\t00000000\t01000A0A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
         "eth0\t00000000\t02000A0A\t0003\t0\t0\t200\t00000000\t0\t0\t0\n",
         {"eth0", "wlan0"}},
        // A route that is down, a host route and a subnet only: no network to serve on.
        {"eth0\t00000000\t01000A0A\t0002\t0\t0\t100\t00000000\t0\t0\t0\n"
         "eth0\t00000000\t01000A0A\t0007\t0\t0\t100\tFFFFFFFF\t0\t0\t0\n"
         "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n",
         {}},
        {"", {}},
        {"eth0 garbage\n", {}},
    };
    for (const RouteCase& c : cases)
        EXPECT_EQ(DefaultRouteInterfaces(std::string(kHeader) + c.rows), c.interfaces) << c.rows;
    EXPECT_EQ(PageAddress("192.168.1.20", 8643), "http://192.168.1.20:8643/");
}

} // namespace
