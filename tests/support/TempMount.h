// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// A small tmpfs in a new temporary folder for the life of the object, so that tests meet a
// read-only or a full file system even as root. Mounting needs CAP_SYS_ADMIN: when Mounted()
// is false, skip with SkipReason().
class CTempMount
{
public:
    explicit CTempMount(std::size_t sizeBytes);
    CTempMount(const CTempMount&) = delete;
    CTempMount& operator=(const CTempMount&) = delete;
    ~CTempMount();

    bool Mounted() const { return m_mounted; }
    const std::string& SkipReason() const { return m_skipReason; }
    const std::string& Path() const { return m_path; }
    bool MakeReadOnly(); // what was written before stays readable
    bool Fill();         // one file, "filler", takes the free space: the next write fails with ENOSPC

private:
    std::string m_path;
    std::string m_skipReason;
    bool m_mounted = false;
};
