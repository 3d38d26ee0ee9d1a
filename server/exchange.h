#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace server {

// A request as the routes see it: a GET or HEAD without a body.
struct Request {
    std::string_view method;
    std::string_view target; // path and query as sent
    std::string address;     // the client's
    std::string limitKey;    // what the client's limits are counted by
    bool head() const { return method == "HEAD"; }
    std::string_view path() const { return target.substr(0, target.find('?')); }
    std::string_view query() const;
};

// An answer: status, content type, extra header fields, and a body held in memory and shared
// by every answer that sends it, never copied for one client.
struct Response {
    int status = 200;
    std::string contentType;
    std::vector<std::pair<std::string, std::string>> fields;
    std::shared_ptr<const std::string> body;

    std::size_t bodySize() const { return body ? body->size() : 0; }
};

// Called once with the answer, on any thread.
using Reply = std::function<void(Response)>;

const char *reasonPhrase(int status);
// A short HTML page naming the status, for an answer that has no body of its own.
Response statusPage(int status);
Response plainText(int status, std::string text);
// The status line and header fields, ended by the empty line; `connection`, when not empty,
// is the Connection field's value.
std::string responseHead(const Response &response, std::string_view connection);

} // namespace server
