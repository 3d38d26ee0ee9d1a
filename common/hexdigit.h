#pragma once

// The value of a hexadecimal digit in either case, or -1 for any other character. No Qt, so
// the score posts' percent-coding, which the web server shares, uses it too.
constexpr int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
