#pragma once

#include <httplib.h>

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
    // A client for this server with short time-outs.
    std::unique_ptr<httplib::Client> client() const;
    // Sends the signal and waits for the program to end; returns its exit code, or 128 plus the
    // signal that ended it.
    int stop(int signal);

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

// Runs the program with args to its end, its output discarded; returns its exit code.
int runServerToExit(const std::vector<std::string> &args);
