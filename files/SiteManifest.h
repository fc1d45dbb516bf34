// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// One file of a site: its path in it ('/' between folders) and its bytes.
struct CSiteFile
{
    std::string m_name;
    std::string m_bytes;
};

// What is kept of each file of a site made of many: its size and its SHA-256 (hex), by its path
// in the site. Kept beside a written site and beside a publishing target's state, it tells which
// files changed since, so that only those are written or sent again.
struct CSiteEntry
{
    std::int64_t m_size = 0;
    std::string m_sha256;
    friend bool operator==(const CSiteEntry&, const CSiteEntry&) = default;
};
using CSiteManifest = std::map<std::string, CSiteEntry>;

CSiteEntry SiteEntryOf(std::string_view bytes);
// One line a file: "SIZE SHA256 NAME".
std::string ManifestText(const CSiteManifest& manifest);
// Lines it cannot read are passed over: at worst a file is written or sent again.
CSiteManifest ParseManifest(std::string_view text);
// A name a site could have made: relative, never climbing out of its folder; the only names
// ever removed as the site's.
bool InsideSite(std::string_view name);
