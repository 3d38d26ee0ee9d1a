#include "server/requestlog.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <utility>

namespace server {

namespace {

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
        appendSafe(line, request.target);
        line += ' ';
        appendSafe(line, request.version);
    }
    line += "\" " + std::to_string(request.status) + ' ' + std::to_string(request.bytes) + '\n';
    return line;
}

LogWriter::LogWriter(std::FILE *out, std::size_t maxWaiting)
    : m_out(out), m_maxWaiting(maxWaiting), m_thread([this] { writeLoop(); })
{
}

LogWriter::~LogWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void LogWriter::write(std::string line)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_waiting.size() >= m_maxWaiting) {
            ++m_dropped;
            return;
        }
        m_waiting.push_back(std::move(line));
    }
    m_wake.notify_one();
}

void LogWriter::writeLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_waiting.empty() || m_dropped > 0 || m_stopping; });
        std::vector<std::string> lines;
        lines.swap(m_waiting);
        const std::size_t dropped = std::exchange(m_dropped, 0);
        const bool stopping = m_stopping;
        lock.unlock();
        std::string text;
        for (const std::string &line : lines)
            text += line;
        if (dropped > 0)
            text += "quellan-server: " + std::to_string(dropped) + " log lines dropped\n";
        std::fwrite(text.data(), 1, text.size(), m_out);
        std::fflush(m_out);
        lock.lock();
        if (stopping && m_waiting.empty())
            return;
    }
}

} // namespace server
