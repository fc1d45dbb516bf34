#pragma once

#include <string>

// A small tmpfs mounted in a new temporary folder for the life of the object, so that tests
// can meet a read-only or a full file system even when running as root. Mounting needs
// CAP_SYS_ADMIN: check Mounted() and skip with SkipReason() otherwise.
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

    // Remounts read-only; what was written before stays readable.
    bool MakeReadOnly();
    // Fills the remaining space with one file, so that the next write fails with ENOSPC.
    bool Fill();

private:
    std::string m_path;
    std::string m_skipReason;
    bool m_mounted = false;
};
