// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServedPage.h"

#include "report/HtmlText.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

// Before the last "</body>", or at the end.
std::size_t BeforeBodyEnd(const std::string& page)
{
    const std::size_t at = page.rfind("</body>\r\n");
    return at == std::string::npos ? page.size() : at;
}

// The script keeps this page current. It asks for the version with the ETag the page was
// served with: nothing new costs the server a 304 and no page. When there is something new it
// fetches the page, decodes it in the character set the server names, and puts the new body
// in place of the old, keeping where the reader had scrolled to, the window's and the table's.
constexpr std::string_view kScriptStart = "<script>\r\n(function () {\r\n  var tag = '";
constexpr std::string_view kScriptEnd = R"js(';
  var self = document.currentScript;
  function decode(response, bytes) {
    var type = /charset=([^;]+)/i.exec(response.headers.get('Content-Type') || '');
    return new TextDecoder(type ? type[1].trim() : 'utf-8').decode(bytes);
  }
  function swap(html, next) {
    var fresh = new DOMParser().parseFromString(html, 'text/html');
    var body = document.body, old = document.querySelector('table');
    var x = window.scrollX, y = window.scrollY, left = old ? old.scrollLeft : 0;
    Array.from(body.childNodes).forEach(function (node) {
      if (node !== self) body.removeChild(node);
    });
    Array.from(fresh.body.childNodes).forEach(function (node) {
      if (node.nodeName !== 'SCRIPT') body.insertBefore(document.importNode(node, true), self);
    });
    document.title = fresh.title;
    var table = document.querySelector('table');
    if (table) table.scrollLeft = left;
    window.scrollTo(x, y);
    tag = next;
  }
  function poll() {
    fetch('/version', {cache: 'no-store', headers: {'If-None-Match': tag}}).then(function (answer) {
      if (answer.status !== 200) return null;
      return fetch('/', {cache: 'no-store'}).then(function (page) {
        var next = page.headers.get('ETag');
        if (page.status !== 200 || !next) return null;
        return page.arrayBuffer().then(function (bytes) { swap(decode(page, bytes), next); });
      });
    }).catch(function () {}).then(function () { setTimeout(poll, INTERVAL); });
  }
  setTimeout(poll, INTERVAL);
})();
</script>
)js";

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

std::string EtagOf(std::string_view bytes)
{
    char tag[48];
    std::snprintf(tag, sizeof tag, "\"%zx-%zx\"", bytes.size(), std::hash<std::string_view>{}(bytes));
    return tag;
}

std::string UpdatedLine(std::string_view updated)
{
    return "<p class=\"updated\">Uppdaterad " + std::string(updated) + "</p>\r\n";
}

std::string FollowScript(std::string_view etag)
{
    // The script's own line ends are the page's: CR LF.
    std::string end = ReplaceAll(std::string(kScriptEnd), "\n", "\r\n");
    end = ReplaceAll(std::move(end), "INTERVAL", std::to_string(kPollMilliseconds));
    return std::string(kScriptStart) + std::string(etag) + end;
}

CServedPage BuildServedPage(const CStandingsView& view, std::string_view updated, std::string css,
                            const CGroupStandings* groups)
{
    return ServedPageOf(HtmlPageText(view, groups), view.Tournament(), updated, std::move(css));
}

CServedPage ServedPageOf(const std::string& written, const CTournament& tournament, std::string_view updated,
                         std::string css)
{
    // The tag covers everything but the script, which only carries it: the written page and
    // the time shown.
    // A tag holds no blank (a client reads it up to the first): date and time joined by 'T'.
    std::string etag = EtagOf(written), stamp(updated);
    std::replace(stamp.begin(), stamp.end(), ' ', 'T');
    etag.insert(etag.size() - 1, '-' + stamp);
    // Put together in one copy: a large page is tens of megabytes.
    const std::size_t heading = AfterPageHeading(written, tournament.m_title);
    const std::size_t end = std::max(heading, BeforeBodyEnd(written));
    const std::string line = UpdatedLine(updated), script = FollowScript(etag);
    std::string page;
    page.reserve(written.size() + line.size() + script.size());
    page.append(written, 0, heading).append(line).append(written, heading, end - heading).append(script);
    page.append(written, end);

    CServedPage served;
    const bool utf8 = tournament.m_encoding == TextEncoding::Utf8;
    served.m_page = {std::move(page), utf8 ? "text/html; charset=utf-8" : "text/html; charset=windows-1252", etag};
    served.m_version = {etag + "\n", "text/plain; charset=utf-8", etag};
    std::string cssEtag = EtagOf(css);
    served.m_css = {std::move(css), "text/css", std::move(cssEtag)};
    return served;
}
