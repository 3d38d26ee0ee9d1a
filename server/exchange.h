#pragma once

#include <cstdint>
#include <fstream>
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
    bool head() const { return method == "HEAD"; }
    std::string_view path() const { return target.substr(0, target.find('?')); }
    std::string_view query() const;
};

// An answer: status, content type, extra header fields, and a body held in memory or
// streamed from a file.
struct Response {
    int status = 200;
    std::string contentType;
    std::vector<std::pair<std::string, std::string>> fields;
    std::shared_ptr<const std::string> body;
    std::shared_ptr<std::ifstream> file; // set: the body is this file's first fileSize bytes
    std::uint64_t fileSize = 0;

    std::uint64_t bodySize() const { return file ? fileSize : body ? body->size() : 0; }
};

// Called once with the answer, on any thread.
using Reply = std::function<void(Response)>;

const char *reasonPhrase(int status);
// A short HTML page naming the status, for an answer that has no body of its own.
Response statusPage(int status);
Response plainText(int status, std::string text);
// The status line and header fields, ended by the empty line.
std::string responseHead(const Response &response, bool close);

} // namespace server
