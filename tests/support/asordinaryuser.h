#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

// Root passes every permission check, so the file access of a test runs as an ordinary
// user for as long as this lives (on this thread).
class AsOrdinaryUser {
public:
    AsOrdinaryUser()
    {
        if (root_)
            setfsuid(65534);
    }
    ~AsOrdinaryUser()
    {
        if (root_)
            setfsuid(0);
    }
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

private:
    bool root_ = geteuid() == 0;
};
