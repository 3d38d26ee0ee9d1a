#include "server/exchange.h"

namespace server {

std::string_view Request::query() const
{
    const auto question = target.find('?');
    return question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);
}

const char *reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

Response statusPage(int status)
{
    const std::string title = std::to_string(status) + " " + reasonPhrase(status);
    Response response;
    response.status = status;
    response.contentType = "text/html";
    response.body = std::make_shared<const std::string>("<html><head><title>" + title +
                                                        "</title></head><body><h1>" + title +
                                                        "</h1></body></html>\n");
    return response;
}

Response plainText(int status, std::string text)
{
    Response response;
    response.status = status;
    response.contentType = "text/plain";
    response.body = std::make_shared<const std::string>(std::move(text));
    return response;
}

std::string responseHead(const Response &response, std::string_view connection)
{
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       reasonPhrase(response.status) + "\r\n";
    if (!response.contentType.empty())
        head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + std::to_string(response.bodySize()) + "\r\n";
    for (const auto &[name, value] : response.fields)
        head += name + ": " + value + "\r\n";
    if (!connection.empty())
        head.append("Connection: ").append(connection).append("\r\n");
    return head + "\r\n";
}

} // namespace server
