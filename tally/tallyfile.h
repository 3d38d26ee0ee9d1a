#pragma once

#include <QString>

class TallyRecord;

// The tally file: the record's tally text packed by the tally coder (Tlzrw1), written in
// its fast coding and read in either. The text goes through memory, never through a
// temporary text file.
namespace tallyfile {

// Reads the file into the record. A file that records a text over a mebibyte is refused
// unread. Throws std::exception whose message is the text to show: the reason, a blank and
// the file's path.
void load(const QString &path, TallyRecord &record);
// Writes the record into a temporary file beside `path` and renames it over `path` once it
// is whole, so a failed save leaves the previous file as it was. Throws on failure.
void save(const QString &path, const TallyRecord &record);

} // namespace tallyfile
