#pragma once

#include "tests/server/serverprocess.h"
#include "tests/support/tempfolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

inline const std::string postPath = "/cgi-bin/quellan.cgi";
inline const std::string pagePath = "/counter/quellan.shtml";
inline const std::string unverifiedPath = "/counter/quellan-unverified.shtml";

// Starts the real program on a free port with a database in a folder of its own.
class ServerTest : public ::testing::Test {
protected:
    std::unique_ptr<ServerProcess> start(std::vector<std::string> args = {})
    {
        args.insert(args.end(), {"--db", db(), "--create"});
        return std::make_unique<ServerProcess>(args, folder.file("server.log"));
    }

    std::string db() const { return folder.file("scores.db"); }

    // Player names such as "C3-12" for posts made in a loop. Built by a stream, as GCC 12 at
    // -O3 warns falsely about a literal added to a temporary string.
    template <typename... Pieces> static std::string named(const Pieces &...pieces)
    {
        std::ostringstream name;
        (name << ... << pieces);
        return name.str();
    }

    static std::string postTarget(const std::string &name, const std::string &score,
                                  const std::string &date = "3/7/05")
    {
        return postPath + "?name=" + name + "&date=" + date + "&score=" + score;
    }

    static int post(const ServerProcess &server, const std::string &name, const std::string &score,
                    const std::string &from = "127.0.0.1")
    {
        return request(server.port(), "GET", postTarget(name, score), {}, from).status;
    }

    // The page of scores posted without a game to check, as post() posts them.
    static std::string page(const ServerProcess &server, const std::string &path = unverifiedPath)
    {
        const HttpAnswer answer = server.get(path);
        return answer.status == 200 ? answer.body : std::string();
    }

    // The number of scores the page says were posted; -1 when it says none.
    static long postedTotal(const std::string &page)
    {
        static const std::regex total(R"((\d+) scores? posted)");
        std::smatch match;
        return std::regex_search(page, match, total) ? std::stol(match[1]) : -1;
    }

    // Asks until the condition holds or five seconds pass, for what the server does in the
    // background.
    template <typename Condition> static bool eventually(Condition condition)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Posts scores named prefix0, prefix1, ... one after another until stopped, and keeps the
    // names the server acknowledged.
    class PostingLoad {
    public:
        PostingLoad(const ServerProcess &server, const std::string &prefix)
            : m_thread([this, &server, prefix] {
                  for (int i = 0; !m_stop; ++i) {
                      const std::string name = named(prefix, i);
                      if (post(server, name, "7") == 200) {
                          const std::lock_guard lock(m_mutex);
                          m_acknowledged.insert(name);
                      }
                  }
              })
        {
        }
        ~PostingLoad() { stop(); }
        PostingLoad(const PostingLoad &) = delete;
        PostingLoad &operator=(const PostingLoad &) = delete;

        std::set<std::string> acknowledged() const
        {
            const std::lock_guard lock(m_mutex);
            return m_acknowledged;
        }
        void stop()
        {
            m_stop = true;
            if (m_thread.joinable())
                m_thread.join();
        }

    private:
        std::atomic<bool> m_stop = false;
        mutable std::mutex m_mutex;
        std::set<std::string> m_acknowledged;
        std::thread m_thread; // last: starts once the rest is ready
    };

    std::string log() const
    {
        std::ifstream file(folder.file("server.log"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    TempFolder folder;
};
