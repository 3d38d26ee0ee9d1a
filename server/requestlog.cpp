#include "server/requestlog.h"

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <utility>

namespace server {

namespace {

// Longer targets are cut, so no request can make a long line.
constexpr std::size_t maxLoggedTarget = 512;
constexpr std::chrono::seconds finalWait{1};

// Straight to the descriptor, not through a stdio stream: a write stuck on a log nobody
// reads then holds no lock that the process's exit would wait for.
void writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string utcTime(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &parts);
    std::array<char, 8> fraction{};
    std::snprintf(fraction.data(), fraction.size(), ".%03dZ", static_cast<int>(millis));
    return std::string(text.data(), length) + fraction.data();
}

void appendSafe(std::string &line, std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            line += "\\x";
            line += hex[byte >> 4];
            line += hex[byte & 0x0F];
        } else {
            line += c;
        }
    }
}

} // namespace

std::string formatLogLine(const LoggedRequest &request)
{
    std::string line = utcTime(request.when);
    line += ' ';
    appendSafe(line, request.address.empty() ? "-" : request.address);
    line += " \"";
    if (request.method.empty()) {
        line += '-';
    } else {
        appendSafe(line, request.method);
        line += ' ';
        appendSafe(line, request.target.substr(0, maxLoggedTarget));
        if (request.target.size() > maxLoggedTarget)
            line += "...";
        line += ' ';
        appendSafe(line, request.version);
    }
    line += "\" " + std::to_string(request.status) + ' ' + std::to_string(request.bytes) + '\n';
    return line;
}

// What the writer thread shares with the LogWriter; the thread holds it as long as it runs,
// so a thread left behind at the end never touches freed memory.
struct LogWriter::Shared {
    int out = -1;
    std::size_t maxBytes = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable drained;
    std::string waiting;
    std::size_t dropped = 0;
    bool stopping = false;
    bool done = false;
};

LogWriter::LogWriter(int out, std::size_t maxBytes) : m_shared(std::make_shared<Shared>())
{
    m_shared->out = out;
    m_shared->maxBytes = maxBytes;
    std::thread([shared = m_shared] { writeLoop(*shared); }).detach();
}

LogWriter::~LogWriter()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->wake.notify_one();
    // A log nobody reads must not keep the process from ending: what is not written by then
    // is left to the thread, which the process's end takes with it.
    m_shared->drained.wait_for(lock, finalWait, [this] { return m_shared->done; });
}

void LogWriter::write(std::string_view line)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->waiting.size() + line.size() > m_shared->maxBytes) {
            ++m_shared->dropped;
            return;
        }
        m_shared->waiting += line;
    }
    m_shared->wake.notify_one();
}

void LogWriter::writeLoop(Shared &shared)
{
    std::unique_lock lock(shared.mutex);
    for (;;) {
        shared.wake.wait(
            lock, [&] { return !shared.waiting.empty() || shared.dropped > 0 || shared.stopping; });
        std::string text;
        text.swap(shared.waiting);
        if (shared.dropped > 0)
            text += "quellan-server: " + std::to_string(std::exchange(shared.dropped, 0)) +
                    " log lines dropped\n";
        const bool stopping = shared.stopping;
        lock.unlock();
        writeAll(shared.out, text);
        lock.lock();
        if (stopping && shared.waiting.empty()) {
            shared.done = true;
            shared.drained.notify_all();
            return;
        }
    }
}

} // namespace server
