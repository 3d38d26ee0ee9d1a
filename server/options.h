#pragma once

#include "server/httplimits.h"

#include "quellanconfig.h"

#include <string>
#include <vector>

namespace server {

// How the server was asked to run.
struct Options {
    std::string host = quellan::listenHost; // loopback unless told otherwise
    int port = quellan::listenPort;         // 0 picks a free port
    std::string dbPath;                     // required
    bool create = false;                    // make the database when it does not exist
    std::string versionText;                // content of the version file
    std::string installerPath;              // empty: no installer to hand out
    double postRate = 0.5;                  // posts a second from one address; 0: no limit
    double postBurst = 5;                   // posts one address may send at once
    std::string purgeAddress;               // set: remove this address's scores and exit
    std::string migrateFrom, migrateTo;     // set: copy the scores of one store into another
    std::string backupTo;                   // set: copy the SQLite file there and exit
    HttpLimits limits;
};

// The outcome of reading the command line: options, a request for help, or what was wrong.
struct ParsedOptions {
    Options options;
    bool help = false;
    std::string error; // empty when the command line was understood
};

// Reads the arguments after the program name.
ParsedOptions parseOptions(const std::vector<std::string> &args);

// The text --help prints.
std::string usageText();

// HOST:PORT as people write it, with brackets around an IPv6 host.
std::string addressText(const std::string &host, int port);

} // namespace server
