// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/StandingsView.h"

#include <string>
#include <string_view>

// One thing the server answers with: its bytes, their type and an ETag that changes with them.
struct CServedResource
{
    std::string m_body;
    std::string m_contentType;
    std::string m_etag; // quoted, as the header carries it
};

// Everything the server hands out, built once per change and never changed after: the server's
// threads read it while the window builds the next one.
struct CServedPage
{
    CServedResource m_page;    // "/"
    CServedResource m_css;     // "/table.css"
    CServedResource m_version; // "/version": the page's ETag, for the page's script to poll
};

// The path of the small resource the page's script polls.
inline constexpr std::string_view kVersionPath = "/version";
// How often the page's script asks whether there is something new, in milliseconds.
inline constexpr int kPollMilliseconds = 2000;

// A strong ETag over `bytes`: the same bytes give the same tag, in any run of the program.
std::string EtagOf(std::string_view bytes);

// The standings page exactly as "Skapa Tabell" writes it, with two additions: after the
// heading the line "Uppdaterad ÅÅÅÅ-MM-DD HH:MM" (`updated`, "ÅÅÅÅ-MM-DD HH:MM"), and before the body's end a small
// script that polls the version resource and puts a changed heading and table in place
// without reloading. `css` is the stylesheet served beside it.
// `groups`: the classes and teams shown after the overall table, as on the written page.
CServedPage BuildServedPage(const CStandingsView& view, std::string_view updated, std::string css,
                            const CGroupStandings* groups = nullptr);
// The same from the page as "Skapa Tabell" writes it (`written`, HtmlPageText) of `tournament`.
CServedPage ServedPageOf(const std::string& written, const CTournament& tournament, std::string_view updated,
                         std::string css);

// The page's two additions: the line after the heading and the script, as inserted into `page`
// (the page's bytes as "Skapa Tabell" writes them) for a page whose ETag is `etag`.
std::string UpdatedLine(std::string_view updated);
std::string FollowScript(std::string_view etag);
