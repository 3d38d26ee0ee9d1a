#include "server/sqlitejournal.h"

#include "server/scorestore.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace server {

namespace {

// A journal this long holds nothing but its header: no change to apply.
constexpr off_t journalHeaderSize = 32;
// Where an SQLite file's header keeps the user version, which holds the tag.
constexpr off_t tagOffset = 60;

off_t fileSize(const std::string &path)
{
    struct stat file {};
    return stat(path.c_str(), &file) == 0 ? file.st_size : 0;
}

// Writes the text to a new file and syncs it, so that a crash leaves the old or the new one.
void writeDurably(const std::string &path, const std::string &text)
{
    const std::string fresh = path + ".new";
    const int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 &&
                         write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                         fsync(fd) == 0;
    if (fd >= 0)
        close(fd);
    if (!written)
        throw StoreError("cannot write " + fresh);
    renameDurably(fresh, path);
}

} // namespace

void renameDurably(const std::string &from, const std::string &to)
{
    if (rename(from.c_str(), to.c_str()) != 0)
        throw StoreError("cannot rename " + from + " to " + to);
    const std::string folder = std::filesystem::path(to).parent_path().string();
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

SqliteJournal::SqliteJournal(std::string databasePath)
    : m_database(std::move(databasePath)), m_journal(m_database + "-wal"),
      m_owner(m_journal + ".owner")
{
}

std::int32_t SqliteJournal::newTag()
{
    std::random_device random;
    return std::uniform_int_distribution<std::int32_t>(1, INT32_MAX)(random);
}

bool SqliteJournal::present() const
{
    return fileSize(m_journal) > journalHeaderSize;
}

void SqliteJournal::refuseForeign() const
{
    if (!present())
        return;
    const std::int32_t tag = fileTag();
    if (tag != 0 && claimedBy(tag))
        return;
    throw StoreError("the journal " + m_journal + " was not written for the score database " +
                     m_database + " (another database was there before); remove it and " +
                     m_database + "-shm if " + m_database +
                     " is the file to serve, or put back the database it belongs to");
}

void SqliteJournal::claim(const std::vector<std::int32_t> &tags) const
{
    std::ostringstream text;
    for (const std::int32_t tag : tags)
        text << tag << '\n';
    writeDurably(m_owner, text.str());
}

bool SqliteJournal::claimedBy(std::int32_t tag) const
{
    const std::vector<std::int32_t> tags = owners();
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

std::vector<std::int32_t> SqliteJournal::owners() const
{
    std::ifstream file(m_owner);
    std::vector<std::int32_t> tags;
    std::int32_t tag = 0;
    while (file >> tag)
        tags.push_back(tag);
    return tags;
}

// The tag as the file itself holds it, whatever its journal says.
std::int32_t SqliteJournal::fileTag() const
{
    unsigned char bytes[4] = {};
    const int fd = open(m_database.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && pread(fd, bytes, sizeof bytes, tagOffset) == sizeof bytes;
    if (fd >= 0)
        close(fd);
    if (!read)
        return 0;
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                                     std::uint32_t{bytes[2]} << 8 | bytes[3]);
}

} // namespace server
