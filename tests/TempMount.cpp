#include "TempMount.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

CTempMount::CTempMount(std::size_t sizeBytes)
{
    std::string pattern = "/tmp/ravelmark-mount-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        m_skipReason = std::string("cannot make a temporary folder: ") + std::strerror(errno);
        return;
    }
    m_path = pattern;
    const std::string options = "size=" + std::to_string(sizeBytes) + ",mode=0755";
    if (mount("tmpfs", m_path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        m_skipReason = "mounting a tmpfs is not permitted here (" + std::string(std::strerror(errno)) +
                       "); needs root with CAP_SYS_ADMIN";
        return;
    }
    m_mounted = true;
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
    return m_mounted &&
           mount("tmpfs", m_path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

bool CTempMount::Fill()
{
    const std::string filler = m_path + "/filler";
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const std::vector<char> block(4096, 'x');
    for (;;) {
        const ssize_t written = write(fd, block.data(), block.size());
        if (written < 0) {
            const bool full = errno == ENOSPC;
            close(fd);
            return full;
        }
    }
}
