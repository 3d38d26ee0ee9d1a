#include "protocol/percentcoding.h"

#include <gtest/gtest.h>

using protocol::percentDecode;
using protocol::percentEncode;

TEST(PercentCoding, EncodesEveryByteAsQUrlDoesAndDecodesItBack)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte.push_back(static_cast<char>(byte));
    // What QUrl::toPercentEncoding(value, "/") makes of them, as the game has always sent them.
    const std::string encoded =
        "%00%01%02%03%04%05%06%07%08%09%0A%0B%0C%0D%0E%0F%10%11%12%13%14%15%16%17%18%19%1A%1B"
        "%1C%1D%1E%1F%20%21%22%23%24%25%26%27%28%29%2A%2B%2C-./0123456789%3A%3B%3C%3D%3E%3F"
        "%40ABCDEFGHIJKLMNOPQRSTUVWXYZ%5B%5C%5D%5E_%60abcdefghijklmnopqrstuvwxyz%7B%7C%7D~%7F"
        "%80%81%82%83%84%85%86%87%88%89%8A%8B%8C%8D%8E%8F%90%91%92%93%94%95%96%97%98%99%9A%9B"
        "%9C%9D%9E%9F%A0%A1%A2%A3%A4%A5%A6%A7%A8%A9%AA%AB%AC%AD%AE%AF%B0%B1%B2%B3%B4%B5%B6%B7"
        "%B8%B9%BA%BB%BC%BD%BE%BF%C0%C1%C2%C3%C4%C5%C6%C7%C8%C9%CA%CB%CC%CD%CE%CF%D0%D1%D2%D3"
        "%D4%D5%D6%D7%D8%D9%DA%DB%DC%DD%DE%DF%E0%E1%E2%E3%E4%E5%E6%E7%E8%E9%EA%EB%EC%ED%EE%EF"
        "%F0%F1%F2%F3%F4%F5%F6%F7%F8%F9%FA%FB%FC%FD%FE%FF";
    EXPECT_EQ(percentEncode(everyByte), encoded);
    EXPECT_EQ(percentDecode(encoded), everyByte);
}

TEST(PercentCoding, DecodingTurnsEscapesIntoBytesKeepsPlusSignsAndRefusesBrokenEscapes)
{
    EXPECT_EQ(percentDecode("Zo%C3%AB%20A%2bb+c"), "Zo\xC3\xAB A+b+c");
    EXPECT_EQ(percentDecode("3/7/05"), "3/7/05");
    EXPECT_EQ(percentDecode(""), "");
    EXPECT_EQ(percentDecode("%00"), std::string(1, '\0'));
    for (const char *malformed : {"%", "%4", "ab%", "%G1", "%1G", "x%%41"})
        EXPECT_FALSE(percentDecode(malformed)) << malformed;
}
