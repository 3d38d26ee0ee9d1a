#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace server {

// Serves each accepted connection on one of a fixed number of threads. Handing over a
// connection waits while every thread is busy, so the server stops accepting and never holds
// more connections open than it has threads; further clients wait in the system's queue.
class ConnectionPool : public httplib::TaskQueue {
public:
    explicit ConnectionPool(std::size_t threads);
    ~ConnectionPool() override;
    ConnectionPool(const ConnectionPool &) = delete;
    ConnectionPool &operator=(const ConnectionPool &) = delete;

    void enqueue(std::function<void()> job) override;
    // Lets the threads finish the connections handed over, then joins them.
    void shutdown() override;

private:
    void work();

    std::mutex mutex_;
    std::condition_variable jobWaiting_;
    std::condition_variable threadFree_;
    std::deque<std::function<void()>> jobs_;
    std::size_t busy_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace server
