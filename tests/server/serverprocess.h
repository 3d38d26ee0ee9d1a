#pragma once

#include "tests/server/httpclient.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The real quellan-server, started as a child process on a free loopback port.
class ServerProcess {
public:
    // Starts the program with --listen 127.0.0.1:0 and args; its standard error goes to logPath.
    // Throws when it does not name its port.
    ServerProcess(const std::vector<std::string> &args, const std::string &logPath);
    // Stops the program with SIGTERM if it still runs.
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    int port() const { return m_port; }
    pid_t pid() const { return m_pid; }
    // One GET of the target, or another method.
    HttpAnswer get(const std::string &target, const std::string &method = "GET") const;
    // The program's resident memory in kilobytes.
    long residentKb() const;
    // Sends the signal and waits for the program to end; returns its exit code, or 128 plus the
    // signal that ended it.
    int stop(int signal);

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

// What a program run to its end printed, and its exit code.
struct ServerRun {
    int code = -1;
    std::string output; // standard output and error together
};

// Runs the program with args to its end; asOrdinaryUser: without root's rights, when root.
ServerRun runServerToExit(const std::vector<std::string> &args, bool asOrdinaryUser = false);
