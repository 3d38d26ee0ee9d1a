#pragma once

#include "tests/support/loopback.h"

#include <string>

// An answer as read off the socket.
struct HttpAnswer {
    int status = 0; // 0: no status line came
    std::string head;
    std::string body;

    // The value of a header field, empty when there is none.
    std::string field(const std::string &name) const;
};

// Sends the bytes as they are and reads until the server closes the connection or `seconds`
// pass without a byte.
std::string exchange(int port, const std::string &request, const std::string &from = "127.0.0.1",
                     int seconds = 10);

// One request with "Connection: close"; extraFields end each line with CRLF.
HttpAnswer request(int port, const std::string &method, const std::string &target,
                   const std::string &extraFields = {}, const std::string &from = "127.0.0.1");

HttpAnswer parseAnswer(const std::string &raw);
