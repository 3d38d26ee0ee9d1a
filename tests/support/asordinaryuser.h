#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

// Root passes every permission check, so the file access of a test runs as an ordinary
// user and group ("nobody", "nogroup") for as long as this lives (on this thread).
class AsOrdinaryUser {
public:
    AsOrdinaryUser()
    {
        if (m_root) {
            setfsgid(65534);
            setfsuid(65534);
        }
    }
    ~AsOrdinaryUser()
    {
        if (m_root) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

private:
    bool m_root = geteuid() == 0;
};
