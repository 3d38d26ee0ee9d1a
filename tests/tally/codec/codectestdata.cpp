#include "tests/tally/codec/codectestdata.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

Bytes hexBytes(std::string_view hex)
{
    Bytes bytes;
    std::istringstream in{std::string(hex)};
    unsigned value = 0;
    while (in >> std::hex >> value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

Bytes textBytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes repeated(std::string_view text, int times)
{
    Bytes bytes;
    for (int i = 0; i < times; ++i) {
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    return bytes;
}

Bytes mixedSample(std::size_t size, std::uint32_t seed)
{
    static constexpr std::string_view words[] = {
        "the ",   "tally ", "of ",    "cards ",   "Quellan ", "score ", "\r\n",
        "games ", "clear ", "-1000 ", "cleared ", "won ",     "name ",  "Feb 11, 2008 "};
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        const unsigned kind = random() % 10;
        if (kind < 7) {
            const std::string_view word = words[random() % std::size(words)];
            bytes.insert(bytes.end(), word.begin(), word.end());
        } else if (kind < 9) {
            for (unsigned n = random() % 12 + 1; n > 0; --n) {
                bytes.push_back(static_cast<std::uint8_t>(random()));
            }
        } else {
            bytes.insert(bytes.end(), random() % 70 + 1, static_cast<std::uint8_t>(random()));
        }
    }
    bytes.resize(size);
    return bytes;
}

Bytes randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return bytes;
}

std::string digestOf(const Bytes &bytes)
{
    std::uint64_t hash = 0xCBF29CE484222325;
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 0x100000001B3;
    }
    std::ostringstream hex;
    hex << std::hex << std::setw(16) << std::setfill('0') << hash;
    return hex.str();
}

Bytes readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::ssize(bytes));
}

Bytes streamBytes(const std::stringstream &stream)
{
    return textBytes(stream.str());
}

std::stringstream byteStream(const Bytes &bytes)
{
    return std::stringstream(std::string(bytes.begin(), bytes.end()),
                             std::ios::in | std::ios::out | std::ios::binary);
}

VirtualInput::int_type VirtualInput::underflow()
{
    if (m_position >= m_size) {
        return traits_type::eof();
    }
    const auto count = static_cast<std::ptrdiff_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(sizeof m_zeros), m_size - m_position));
    setg(m_zeros, m_zeros, m_zeros + count);
    m_position += count;
    return 0;
}

VirtualInput::pos_type VirtualInput::seekoff(off_type offset, std::ios::seekdir dir,
                                             std::ios::openmode mode)
{
    const std::int64_t here = m_position - (egptr() - gptr());
    const std::int64_t base = dir == std::ios::beg ? 0 : dir == std::ios::cur ? here : m_size;
    if (dir == std::ios::cur && offset == 0) {
        return here;
    }
    return seekpos(base + offset, mode);
}

VirtualInput::pos_type VirtualInput::seekpos(pos_type position, std::ios::openmode)
{
    const std::int64_t at = position;
    if (at < 0 || at > m_size) {
        return pos_type(off_type(-1));
    }
    seeks.push_back(at);
    m_position = at;
    setg(m_zeros, m_zeros, m_zeros);
    return position;
}

BrokenInput::BrokenInput(Bytes bytes, std::size_t goodBytes)
    : m_bytes(std::move(bytes)), m_goodBytes(std::min(goodBytes, m_bytes.size()))
{
    char *begin = reinterpret_cast<char *>(m_bytes.data());
    setg(begin, begin, begin + m_goodBytes);
}

BrokenInput::int_type BrokenInput::underflow()
{
    throw std::runtime_error("device error");
}

BrokenInput::pos_type BrokenInput::seekoff(off_type offset, std::ios::seekdir dir,
                                           std::ios::openmode mode)
{
    const off_type here = m_beyond >= 0 ? m_beyond : gptr() - eback();
    const off_type base = dir == std::ios::beg   ? 0
                          : dir == std::ios::cur ? here
                                                 : static_cast<off_type>(m_bytes.size());
    return seekpos(base + offset, mode);
}

BrokenInput::pos_type BrokenInput::seekpos(pos_type position, std::ios::openmode)
{
    const off_type at = position;
    if (at < 0 || at > static_cast<off_type>(m_bytes.size())) {
        return pos_type(off_type(-1));
    }
    // Past the good bytes the position is only remembered: reading there fails.
    const auto good = static_cast<off_type>(m_goodBytes);
    m_beyond = at > good ? at : -1;
    char *begin = reinterpret_cast<char *>(m_bytes.data());
    setg(begin, begin + std::min(at, good), begin + good);
    return position;
}
