// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/SiteManifest.h"
#include "publish/Upload.h"

#include <QString>

#include <string>
#include <vector>

// How much of a site a publication sent.
struct CSiteSent
{
    int m_sent = 0;      // new or changed since the last publication there
    int m_unchanged = 0; // as sent last time
    int m_removed = 0;   // sent last time, no longer part of the site
};

// Puts a site of many files (names with '/' between folders) on the target, in its folder
// `subfolder` ("arkiv/"; empty for the target's own): only the files whose size or SHA-256
// differ from what was sent there last time, each replaced whole and checked as a page is, in
// the site's order with its last file (the index) last, so that no link ever points at a page
// not yet there; then the files sent last time and no longer made are removed. What was sent
// is kept beside the target's state in the user's settings. Blocks: run it off the GUI thread.
CPublishResult PublishSite(const CPublishTarget& target, const std::string& password,
                           const std::vector<CSiteFile>& site, const QString& subfolder, CSiteSent& sent,
                           const CPublishTrust& trust = {});

// Where the sizes and checksums of what was sent to the target's `subfolder` are kept.
QString SentSitePath(const CPublishTarget& target, const QString& subfolder);
