#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace server {

// A file opened once and read by many answers at once, each at its own offset, so serving it
// to many clients takes one descriptor and never holds the whole file in memory.
class SharedFile {
public:
    // Throws std::runtime_error when the path names no readable regular file.
    explicit SharedFile(const std::string &path);
    ~SharedFile();
    SharedFile(const SharedFile &) = delete;
    SharedFile &operator=(const SharedFile &) = delete;

    std::uint64_t size() const { return m_size; }
    // Up to `length` bytes from `offset` into `into`; how many came, 0 at the end or on a
    // failure (a file cut short meanwhile ends the answer rather than padding it).
    std::size_t read(std::uint64_t offset, char *into, std::size_t length) const;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

} // namespace server
