#include "tests/server/serverprocess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Starts the program with its standard output and error on the given descriptors.
pid_t spawn(const std::vector<std::string> &args, int out, int err, bool asOrdinaryUser = false)
{
    std::vector<std::string> words{QUELLAN_SERVER_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        // Root passes every permission check; "nobody" and "nogroup" do not.
        if (asOrdinaryUser && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("cannot start " QUELLAN_SERVER_PROGRAM);
    return pid;
}

// The first line the program prints, waiting at most ten seconds for it.
std::string readFirstLine(int fd)
{
    std::string line;
    char c = 0;
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, 10000) == 1 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// The exit code, or 128 plus the signal that ended it; a program that has not ended within
// ten seconds is killed and reported as hung (-1).
int waitForExit(pid_t pid)
{
    int status = 0;
    for (int tick = 0; tick < 1000; ++tick) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

} // namespace

ServerProcess::ServerProcess(const std::vector<std::string> &args, const std::string &logPath)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("cannot make a pipe");
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    std::vector<std::string> all{"--listen", "127.0.0.1:0"};
    all.insert(all.end(), args.begin(), args.end());
    m_pid = spawn(all, pipeEnds[1], log);
    close(pipeEnds[1]);
    close(log);
    const std::string line = readFirstLine(pipeEnds[0]);
    close(pipeEnds[0]);
    const auto colon = line.rfind(':');
    if (line.rfind("Listening on ", 0) != 0 || colon == std::string::npos) {
        stop(SIGKILL);
        throw std::runtime_error("the server did not name its port: " + line);
    }
    m_port = std::stoi(line.substr(colon + 1));
}

ServerProcess::~ServerProcess()
{
    if (m_pid > 0)
        stop(SIGTERM);
}

HttpAnswer ServerProcess::get(const std::string &target, const std::string &method) const
{
    return request(m_port, method, target);
}

long ServerProcess::residentKb() const
{
    std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return -1;
}

int ServerProcess::stop(int signal)
{
    kill(m_pid, signal);
    const int code = waitForExit(m_pid);
    m_pid = -1;
    return code;
}

ServerRun runServerToExit(const std::vector<std::string> &args, bool asOrdinaryUser)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("cannot make a pipe");
    const pid_t pid = spawn(args, pipeEnds[1], pipeEnds[1], asOrdinaryUser);
    close(pipeEnds[1]);
    ServerRun run;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    run.code = waitForExit(pid);
    return run;
}
