#pragma once

#include "tally/codec/lzh.h"
#include "tally/codec/lzr.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <limits>
#include <stdexcept>
#include <string>

// The coding Compress uses: LZH, LZRW1/KH, or whichever Advise recommends.
enum class TCompressMode { Good, Fast, Auto };

// Raised by Tlzrw1 on every failure; what() is the complete text to show.
class ELzrw1Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Packs one file or stream into the tally container ("WRZL" for LZRW1/KH, "!HZL" for LZH)
// and unpacks it again. Set the public fields, then call Compress, Decompress or Advise.
class Tlzrw1 {
public:
    // Read from InputStream and write to OutputStream instead of the two files.
    bool UseStream = false;
    std::filesystem::path InputFile;
    std::filesystem::path OutputFile;
    TCompressMode CompressMode = TCompressMode::Good;
    // Percentage below which Advise finds the fast coding good enough.
    int Threshold = 40;
    // Decompress refuses a container that records more bytes than this, before decoding any.
    std::int64_t SizeLimit = std::numeric_limits<std::int64_t>::max();
    // Used when UseStream is set; coding starts at the input stream's current position.
    std::istream *InputStream = nullptr;
    std::ostream *OutputStream = nullptr;

    // Switches to stream mode, reading `in` and writing `out`.
    void useStreams(std::istream &in, std::ostream &out)
    {
        UseStream = true;
        InputStream = &in;
        OutputStream = &out;
    }
    // Receives the progress and result texts.
    std::function<void(const std::string &)> onCaption;
    // Called after each 32768-byte buffer is read or written, e.g. to keep a window live.
    std::function<void()> onIdle;

    // Codes the input into the output; returns the bytes written, header included.
    std::int64_t Compress();
    // Decodes the input into the output; returns the bytes written.
    std::int64_t Decompress();
    // Recommends Fast or Good for the input.
    TCompressMode Advise();

private:
    class Run;
    friend class Run;

    TLZR m_lzr;
    TLZH m_lzh;
};
