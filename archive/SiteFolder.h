// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/Archive.h"
#include "files/FileError.h"
#include "files/SiteManifest.h"

#include <QString>

#include <vector>

// The sizes and checksums of `files`, by name.
CSiteManifest ManifestOf(const std::vector<CSiteFile>& files);

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
