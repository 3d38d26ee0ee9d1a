#pragma once

#include <iosfwd>
#include <string>

// Prints a tally file's counters and ten best scores as a table. Throws std::exception with
// the message to show when the file cannot be read.
void printTally(const std::string &path, std::ostream &out);
