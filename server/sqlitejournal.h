#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace server {

// Which SQLite file the write-ahead journal beside a path belongs to. SQLite finds the journal
// by the path alone (PATH-wal), so a journal left by a file that was replaced would be applied
// to the file put in its place, wrecking it. Each file carries a tag of its own in its header
// (a new one at every opening, so that copies part ways), and PATH-wal.owner names the tags
// whose journal is at the path.
class SqliteJournal {
public:
    explicit SqliteJournal(std::string databasePath);

    // A fresh random tag for a file.
    static std::int32_t newTag();
    // Throws StoreError naming both files when the journal holds changes and was not written
    // for the file now at the path (or its writer is not known).
    void refuseForeign() const;
    // Records that the journal at the path belongs to files with one of these tags.
    void claim(const std::vector<std::int32_t> &tags) const;
    // Whether a journal with changes in it is at the path.
    bool present() const;
    // Whether the journal at the path belongs to a file with this tag.
    bool claimedBy(std::int32_t tag) const;

private:
    std::vector<std::int32_t> owners() const;
    std::int32_t fileTag() const;

    const std::string m_database;
    const std::string m_journal;
    const std::string m_owner;
};

// Renames a synced file and syncs the folder, so that the new name survives a power cut.
// Throws StoreError.
void renameDurably(const std::string &from, const std::string &to);

} // namespace server
