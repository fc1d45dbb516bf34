// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SiteManifest.h"

#include <QByteArrayView>
#include <QCryptographicHash>

#include <algorithm>
#include <charconv>

CSiteEntry SiteEntryOf(std::string_view bytes)
{
    const QByteArray hash = QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                                     QCryptographicHash::Sha256);
    return {static_cast<std::int64_t>(bytes.size()), hash.toHex().toStdString()};
}

std::string ManifestText(const CSiteManifest& manifest)
{
    std::string text;
    for (const auto& [name, entry] : manifest)
        text += std::to_string(entry.m_size) + " " + entry.m_sha256 + " " + name + "\n";
    return text;
}

CSiteManifest ParseManifest(std::string_view text)
{
    CSiteManifest manifest;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t first = line.find(' ');
        const std::size_t second = first == line.npos ? line.npos : line.find(' ', first + 1);
        if (second == line.npos)
            continue;
        CSiteEntry entry;
        const auto [at, error] = std::from_chars(line.data(), line.data() + first, entry.m_size);
        if (error != std::errc() || at != line.data() + first)
            continue;
        entry.m_sha256 = line.substr(first + 1, second - first - 1);
        manifest[std::string(line.substr(second + 1))] = entry;
    }
    return manifest;
}

bool InsideSite(std::string_view name)
{
    return !name.empty() && name.front() != '/' && name.find("..") == name.npos && name.find('\\') == name.npos;
}
