#pragma once

#include <string>

// A TCP connection to 127.0.0.1:port from the loopback address `from` (any of 127.0.0.0/8,
// so one machine can stand for many clients); -1 when it cannot be made.
int connectFrom(int port, const std::string &from = "127.0.0.1");
