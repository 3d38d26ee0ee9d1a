#include "server/requestlog.h"

#include <array>
#include <cstdio>
#include <ctime>

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

} // namespace server
