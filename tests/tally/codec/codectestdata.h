#pragma once

#include <cstdint>
#include <filesystem>
#include <ios>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Bytes from a text of hexadecimal pairs such as "40 80 00".
Bytes hexBytes(std::string_view hex);
Bytes textBytes(std::string_view text);
Bytes repeated(std::string_view text, int times);
// Deterministic bytes with text, runs and random stretches, so that every kind of item occurs.
Bytes mixedSample(std::size_t size, std::uint32_t seed = 1);
Bytes randomBytes(std::size_t size, std::uint32_t seed = 7);
// The 64-bit FNV-1a digest of the bytes in 16 hexadecimal digits: pins a coder's exact output
// in one line.
std::string digestOf(const Bytes &bytes);

Bytes readFile(const std::filesystem::path &path);
void writeFile(const std::filesystem::path &path, const Bytes &bytes);
Bytes streamBytes(const std::stringstream &stream);
std::stringstream byteStream(const Bytes &bytes);

// An input of `size` zero bytes that exists only as positions; remembers every seek.
class VirtualInput : public std::streambuf {
public:
    explicit VirtualInput(std::int64_t size) : m_size(size) {}
    std::vector<std::int64_t> seeks;

protected:
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios::seekdir dir, std::ios::openmode) override;
    pos_type seekpos(pos_type position, std::ios::openmode mode) override;

private:
    std::int64_t m_size;
    std::int64_t m_position = 0;
    char m_zeros[4096] = {};
};

// Serves `bytes` and fails with a device error after `goodBytes` of them.
class BrokenInput : public std::streambuf {
public:
    BrokenInput(Bytes bytes, std::size_t goodBytes);

protected:
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios::seekdir dir, std::ios::openmode) override;
    pos_type seekpos(pos_type position, std::ios::openmode mode) override;

private:
    Bytes m_bytes;
    std::size_t m_goodBytes;
    off_type m_beyond = -1;
};

// An output that can tell its position but refuses every byte.
class FullOutput : public std::streambuf {
protected:
    std::streamsize xsputn(const char *, std::streamsize) override { return 0; }
    int_type overflow(int_type) override { return traits_type::eof(); }
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return 0; }
};
