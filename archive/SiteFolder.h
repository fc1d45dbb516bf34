// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/Archive.h"
#include "files/FileError.h"

#include <QString>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What is kept of each file a site was made of: its size and its SHA-256 (hex), by its name.
// Beside a written site and beside a publishing target's state it tells what changed since.
struct CSiteEntry
{
    std::int64_t m_size = 0;
    std::string m_sha256;
    friend bool operator==(const CSiteEntry&, const CSiteEntry&) = default;
};
using CSiteManifest = std::map<std::string, CSiteEntry>;

CSiteManifest ManifestOf(const std::vector<CSiteFile>& files);
// One line a file: "SIZE SHA256 NAME".
std::string ManifestText(const CSiteManifest& manifest);
// Lines it cannot read are passed over: at worst a file is sent again.
CSiteManifest ParseManifest(std::string_view text);

// The manifest's name in a folder the site is written to.
inline constexpr const char* kSiteManifestName = ".ravelmark-arkiv";

struct CSiteWritten
{
    int m_written = 0;   // new or changed
    int m_unchanged = 0; // already there as made
    int m_removed = 0;   // made last time, no longer
};

// Writes the site into `folder` (made when missing): each file that is not there as made is
// replaced whole (a new file renamed over the old), in the site's order, index.html last; then
// the files the previous run made and this one did not are removed. Only what the manifest
// beside it lists is ever removed.
CFileResult WriteSite(const std::vector<CSiteFile>& files, const QString& folder, CSiteWritten& done);
