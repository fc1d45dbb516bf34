// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempMount.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/mount.h>
#include <unistd.h>

CTempMount::CTempMount(std::size_t sizeBytes)
    : m_path("/tmp/ravelmark-mount-XXXXXX")
{
    if (!mkdtemp(m_path.data()))
        m_path.clear();
    const std::string options = "size=" + std::to_string(sizeBytes) + ",mode=0755";
    m_mounted = !m_path.empty() && mount("tmpfs", m_path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!m_mounted)
        m_skipReason = "cannot mount a tmpfs (needs root with CAP_SYS_ADMIN): " + std::string(std::strerror(errno));
}

CTempMount::~CTempMount()
{
    if (m_mounted && umount2(m_path.c_str(), 0) != 0)
        umount2(m_path.c_str(), MNT_DETACH);
    if (!m_path.empty())
        rmdir(m_path.c_str());
}

bool CTempMount::MakeReadOnly()
{
    const unsigned long flags = MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV;
    return m_mounted && mount("tmpfs", m_path.c_str(), "tmpfs", flags, nullptr) == 0;
}

bool CTempMount::Fill()
{
    std::ofstream filler(m_path + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler && filler.write(block.data(), static_cast<std::streamsize>(block.size())).flush()) {
    }
    return errno == ENOSPC;
}
