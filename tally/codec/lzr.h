#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>

// Raised when the coder's hash table cannot be had.
class ELzrw1KHCompressor : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The LZRW1/KH block coding: each block of at most 32768 bytes is coded on its own.
class TLZR {
public:
    static constexpr int blockSize = 32768;
    // The coder writes at most this many bytes past a block's length into its destination.
    static constexpr int destSpare = 6;

    TLZR();

    // Codes count bytes (0-32768) of source into dest (count + 6 bytes), returns the coded length.
    std::uint16_t CompressBlock(const std::uint8_t *source, std::uint8_t *dest,
                                std::uint16_t count);

    // Decodes length bytes of source into dest and returns the number of bytes produced, or
    // nothing when the block is damaged: an item cut short, a back-reference before the start
    // of the output or more than 32768 bytes of output. Dest must hold 32768 bytes whatever
    // the block's length: bytes behind the produced ones may be overwritten.
    std::optional<std::uint16_t> DecompressBlock(const std::uint8_t *source, std::uint8_t *dest,
                                                 std::uint16_t length) const;

private:
    static constexpr int hashSize = 4096;

    struct Match {
        int length = 0;
        int offset = 0;
    };

    Match FindMatch(const std::uint8_t *source, int x, int n);

    std::unique_ptr<std::int16_t[]> m_hashTable;
};
