// SPDX-License-Identifier: GPL-3.0-or-later
// The served page's parts that need no network: the default route's interfaces, the page's two
// additions and its ETag.
#include "StringOutput.h"
#include "server/LocalNetwork.h"
#include "server/ServedPage.h"

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

std::string Served(const char* text)
{
    const CTournament tournament = Parsed(text);
    const CStandingsView view(tournament);
    return BuildServedPage(view, "19:07", "css").m_page.m_body;
}

TEST(ServedPage, TheWrittenPageWithTwoAdditions)
{
    const CTournament klubbkamp = Parsed("Klubbkamp\n\nOmg\xE5ng 1\nAnna 10\nBo 7\nCecilia 10\n\nOmg\xE5ng 2\nBo 8\nAnna 5\n");
    const CStandingsView view(klubbkamp);
    const CServedPage served = BuildServedPage(view, "19:07", "body {}");
    std::string expected = kWorkedExamplePage;
    expected.insert(expected.find("<table>"), "<p class=\"updated\">Uppdaterad 19:07</p>\r\n");
    const std::string etag = EtagOf(expected);
    expected.insert(expected.rfind("</body>"), FollowScript(etag));
    EXPECT_EQ(served.m_page.m_body, expected);
    EXPECT_EQ(served.m_page.m_etag, etag);
    EXPECT_EQ(served.m_page.m_contentType, "text/html; charset=windows-1252");
    EXPECT_EQ(served.m_version.m_etag, etag);
    EXPECT_EQ(served.m_version.m_body, etag + "\n");
    EXPECT_EQ(served.m_css.m_body, "body {}");
    EXPECT_NE(served.m_css.m_etag, etag);
    EXPECT_NE(FollowScript(etag).find("var tag = '" + etag + "';"), std::string::npos);

    // A title that looks like the page's own tags still has the line after its heading.
    const std::string tricky = Served("<body><h3>x</h3>\n\nR1\nAnna 1\n");
    EXPECT_NE(tricky.find("<h3><body><h3>x</h3></h3>\r\n<p class=\"updated\">Uppdaterad 19:07</p>\r\n<table>"),
              std::string::npos);

    // The tag follows the bytes: the time shown, a name, the stylesheet.
    const std::string a = Served("Cup\n\nR1\nAnna 1\n");
    EXPECT_EQ(a, Served("Cup\n\nR1\nAnna 1\n"));
    EXPECT_NE(EtagOf(a), EtagOf(Served("Cup\n\nR1\nAnna 2\n")));
    EXPECT_NE(EtagOf("ab"), EtagOf("ba"));
}

} // namespace
