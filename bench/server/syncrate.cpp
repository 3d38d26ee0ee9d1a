// quellan-sync-rate FOLDER SECONDS: how many 4 KiB writes, each followed by fdatasync, the
// disk under FOLDER completes a second, in a file of its own there that is removed at the end.
// The score posts are held to a share of this rate: every commit of theirs waits for one
// such sync of the database's write-ahead log.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t pageBytes = 4096;
// Like the write-ahead log, which after each checkpoint (about 4 MiB by default) is written
// from its start again: the writes first append, then overwrite blocks the file already has.
constexpr off_t wrapBytes = 4 << 20;

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "quellan-sync-rate: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

// Writes and syncs page after page until the time is up; returns how many.
long syncedWrites(int fd, std::chrono::seconds duration)
{
    const std::vector<char> page(pageBytes, 'q');
    const auto until = std::chrono::steady_clock::now() + duration;
    long writes = 0;
    off_t offset = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (pwrite(fd, page.data(), page.size(), offset) != static_cast<ssize_t>(page.size()))
            fail("write");
        if (fdatasync(fd) != 0)
            fail("fdatasync");
        ++writes;
        offset = (offset + static_cast<off_t>(pageBytes)) % wrapBytes;
    }
    return writes;
}

} // namespace

int main(int argc, char *argv[])
{
    const int seconds = argc == 3 ? std::atoi(argv[2]) : 0;
    if (seconds < 1) {
        std::fprintf(stderr, "usage: quellan-sync-rate FOLDER SECONDS\n");
        return 2;
    }
    const std::string path = std::string(argv[1]) + "/sync-rate.tmp";
    const std::chrono::seconds duration(seconds);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        fail(path);
    const long writes = syncedWrites(fd, duration);
    close(fd);
    unlink(path.c_str());
    std::printf("%ld\n", writes / duration.count());
}
