#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// quellan-pack: packs, unpacks and inspects tally files from the command line. Takes the
// arguments after the program name; returns the exit status (0 done, 1 failed, 2 wrong usage).
int runPack(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err);
