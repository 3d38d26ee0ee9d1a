#include "tests/server/httpclient.h"

#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

std::string exchange(int port, const std::string &request, const std::string &from, int seconds)
{
    const int fd = connectFrom(port, from);
    std::string answer;
    if (fd >= 0 && send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                       static_cast<ssize_t>(request.size())) {
        char buffer[65536];
        pollfd readable{fd, POLLIN, 0};
        ssize_t got = 0;
        while (poll(&readable, 1, seconds * 1000) == 1 &&
               (got = recv(fd, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, static_cast<std::size_t>(got));
    }
    if (fd >= 0)
        close(fd);
    return answer;
}

HttpAnswer request(int port, const std::string &method, const std::string &target,
                   const std::string &extraFields, const std::string &from)
{
    return parseAnswer(exchange(port,
                                method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                    extraFields + "Connection: close\r\n\r\n",
                                from));
}

HttpAnswer parseAnswer(const std::string &raw)
{
    HttpAnswer answer;
    const auto end = raw.find("\r\n\r\n");
    if (raw.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos)
        return answer;
    answer.status = std::stoi(raw.substr(9, 3));
    answer.head = raw.substr(0, end + 2);
    answer.body = raw.substr(end + 4);
    return answer;
}

std::string HttpAnswer::field(const std::string &name) const
{
    std::size_t line = head.find("\r\n");
    while (line != std::string::npos && line + 2 < head.size()) {
        const std::size_t start = line + 2;
        line = head.find("\r\n", start);
        const std::string text = head.substr(start, line - start);
        const auto colon = text.find(':');
        if (colon == name.size() && strncasecmp(text.c_str(), name.c_str(), colon) == 0)
            return text.substr(text.find_first_not_of(' ', colon + 1));
    }
    return {};
}
