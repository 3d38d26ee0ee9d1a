#include "server/sharedfile.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace server {

SharedFile::SharedFile(const std::string &path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC))
{
    struct stat file {};
    if (m_fd < 0 || fstat(m_fd, &file) != 0 || !S_ISREG(file.st_mode)) {
        if (m_fd >= 0)
            close(m_fd);
        throw std::runtime_error("no installer file at " + path);
    }
    m_size = static_cast<std::uint64_t>(file.st_size);
}

SharedFile::~SharedFile()
{
    close(m_fd);
}

std::size_t SharedFile::read(std::uint64_t offset, char *into, std::size_t length) const
{
    const ssize_t got = pread(m_fd, into, length, static_cast<off_t>(offset));
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

} // namespace server
