#include "tally/codec/lzrw1.h"

#include <fstream>
#include <istream>
#include <limits>
#include <memory>
#include <new>
#include <ostream>

namespace fs = std::filesystem;

namespace {

constexpr int blockSize = TLZR::blockSize;
constexpr std::size_t bufferSize = blockSize + 16;
constexpr std::uint32_t fastIdentifier = 0x4C5A5257; // "WRZL"
constexpr std::uint32_t goodIdentifier = 0x4C5A4821; // "!HZL"
constexpr int maxPayload = blockSize + 1;
constexpr std::int64_t smallInput = 3 * blockSize;

enum class Fault {
    Memory,
    Size,
    OpenInput,
    OpenOutput,
    Write,
    Read,
    ReadFast,
    ReadLzh,
    Header,
    MismatchFast,
    MismatchLzh,
    AdviseMemory,
    AdviseSize,
    AdviseOpen,
    AdviseRead,
};

// A failure's text: in file mode `before`, the named file and `after`; in stream mode `stream`.
struct FaultText {
    enum Name { None, In, Out };
    const char *before;
    Name name;
    const char *after;
    const char *stream;
};

constexpr FaultText faultTexts[] = {
    {"Lzrw1 (de)compression : Failed to get memory for I/O buffers !", FaultText::None, "",
     "Lzrw1 (de)compression : Failed to get memory for I/O buffers !"},
    {"Lzrw1 compression : Failed to obtain the size of : ", FaultText::In, "",
     "Lzrw1 compression : Failed to obtain the size of the input stream !"},
    {"Lzrw1 (de)compression : Failed to open input file : ", FaultText::In, "",
     "Lzrw1 (de)compression : Failed to initialize input stream !"},
    {"Lzrw1 (de)compression : Failed to open output file : ", FaultText::Out, "",
     "Lzrw1 (de)compression : Failed to initialize output stream !"},
    {"Lzrw1 : Error writing to output file : ", FaultText::Out, "",
     "Lzrw1 : Error writing to output stream !"},
    {"Lzrw1 : Error reading from input file : ", FaultText::In, "",
     "Lzrw1 : Error reading from input stream !"},
    {"Lzrw1 : Error reading from input file : ", FaultText::In, " (LZRW1/KH)",
     "Lzrw1 : Error reading from input stream ! (LZRW1/KH)"},
    {"Lzrw1 : Error reading from input file : ", FaultText::In, " (LZH)",
     "Lzrw1 : Error reading from input stream ! (LZH)"},
    {"", FaultText::In, " : Lzrw1 decompression : this file has no valid header !",
     "Lzrw1 decompression : input stream contains no valid header !"},
    {"Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !",
     FaultText::None, "",
     "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !"},
    {"Lzrw1 (LZH decompression) : Original and compressed sizes do not match !", FaultText::None,
     "", "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
    {"Lzrw1 advise : Error getting I/O buffers", FaultText::None, "",
     "Lzrw1 advise : Error getting I/O buffers"},
    {"Lzrw1 advise : can not get the size of : ", FaultText::In, "",
     "Lzrw1 advise : can not get size of inputstream !"},
    {"Lzrw1 advise : can open input file : ", FaultText::In, "",
     "Lzrw1 edvise : can not initialize the input stream!"},
    {"Lzrw1 advise : read error on input file : ", FaultText::In, "",
     "Lzrw1 advise : input stream read error !"},
};

std::int64_t percentage(std::int64_t part, std::int64_t whole)
{
    return whole == 0 ? 0 : part * 100 / whole;
}

std::uint32_t littleEndian(const std::uint8_t *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

} // namespace

// The state of one Compress, Decompress or Advise call: buffers, the two ends and counters.
class Tlzrw1::Run {
public:
    explicit Run(Tlzrw1 &owner) : m_c(owner) {}

    // A recorded size over the caller's limit: the two numbers are part of the text.
    [[noreturn]] void failOverLimit(std::uint32_t size) const
    {
        const std::string amounts = std::to_string(size) + " bytes, more than the " +
                                    std::to_string(m_c.SizeLimit) + " allowed !";
        throw ELzrw1Exception(m_c.UseStream
                                  ? "Lzrw1 decompression : input stream records " + amounts
                                  : m_c.InputFile.string() +
                                        " : Lzrw1 decompression : this file records " + amounts);
    }

    [[noreturn]] void fail(Fault fault) const
    {
        const FaultText &text = faultTexts[static_cast<int>(fault)];
        if (m_c.UseStream) {
            throw ELzrw1Exception(text.stream);
        }
        const std::string name = text.name == FaultText::In    ? m_c.InputFile.string()
                                 : text.name == FaultText::Out ? m_c.OutputFile.string()
                                                               : std::string();
        throw ELzrw1Exception(text.before + name + text.after);
    }

    template <class Make> void caption(Make &&make) const
    {
        if (m_c.onCaption) {
            m_c.onCaption(make());
        }
    }

    void idle() const
    {
        if (m_c.onIdle) {
            m_c.onIdle();
        }
    }

    void allocate(Fault fault)
    {
        m_input.reset(new (std::nothrow) std::uint8_t[bufferSize]);
        m_output.reset(new (std::nothrow) std::uint8_t[bufferSize]);
        if (!m_input || !m_output) {
            fail(fault);
        }
    }

    // The number of bytes from the input's start (a stream's current position) to its end.
    std::int64_t inputSize(Fault fault) const
    {
        if (!m_c.UseStream) {
            std::error_code error;
            const std::uintmax_t size = fs::file_size(m_c.InputFile, error);
            if (error || size > std::uintmax_t(std::numeric_limits<std::int64_t>::max())) {
                fail(fault);
            }
            return static_cast<std::int64_t>(size);
        }
        std::istream *in = m_c.InputStream;
        if (in == nullptr) {
            fail(fault);
        }
        const std::streampos start = in->tellg();
        std::streampos end = -1;
        if (start != std::streampos(-1) && in->seekg(0, std::ios::end)) {
            end = in->tellg();
        }
        in->clear();
        in->seekg(start);
        if (end == std::streampos(-1) || !*in) {
            fail(fault);
        }
        return static_cast<std::int64_t>(end - start);
    }

    void openInput(Fault fault)
    {
        if (m_c.UseStream) {
            m_in = m_c.InputStream;
            if (m_in == nullptr || (m_start = m_in->tellg()) == std::streampos(-1)) {
                fail(fault);
            }
            return;
        }
        m_inFile.open(m_c.InputFile, std::ios::binary);
        if (!m_inFile.is_open()) {
            fail(fault);
        }
        m_in = &m_inFile;
        m_start = 0;
    }

    void openOutput()
    {
        if (m_c.UseStream) {
            m_out = m_c.OutputStream;
            if (m_out == nullptr || m_out->tellp() == std::streampos(-1)) {
                fail(Fault::OpenOutput);
            }
            return;
        }
        // Truncating the input itself would lose it.
        std::error_code error;
        if (fs::equivalent(m_c.InputFile, m_c.OutputFile, error)) {
            fail(Fault::OpenOutput);
        }
        m_outFile.open(m_c.OutputFile, std::ios::binary | std::ios::trunc);
        if (!m_outFile.is_open()) {
            fail(Fault::OpenOutput);
        }
        m_out = &m_outFile;
    }

    // Runs work on the opened output; in file mode a failure removes the output file.
    template <class Work> void guardOutput(Work &&work)
    {
        try {
            work();
            closeOutput();
        } catch (...) {
            if (!m_c.UseStream) {
                m_outFile.close();
                std::error_code error;
                if (fs::is_regular_file(m_c.OutputFile, error)) {
                    fs::remove(m_c.OutputFile, error);
                }
            }
            throw;
        }
    }

    // Puts the input stream back where the call found it.
    void rewindInput()
    {
        if (m_in != nullptr) {
            m_in->clear();
            m_in->seekg(m_start);
        }
    }

    // --- Compress

    void writeHeader(std::uint32_t identifier, std::int64_t size)
    {
        m_bytesOut = 0;
        m_bytesIn = 0;
        writeNumber(identifier, 4);
        writeNumber(static_cast<std::uint32_t>(size), 4);
    }

    void codeFast(TLZR &lzr)
    {
        std::size_t got = 0;
        do {
            got = readSome(blockSize, Fault::ReadFast);
            const std::uint16_t length =
                lzr.CompressBlock(m_input.get(), m_output.get(), static_cast<std::uint16_t>(got));
            writeNumber(length, 2);
            write(m_output.get(), length);
            progress("(LZRW1/KH)");
            idle();
        } while (got == blockSize);
    }

    void codeLzh(TLZH &lzh)
    {
        resetLzhBuffers();
        lzh.LZHEncode([this](std::uint8_t byte) { putByte(byte); },
                      [this](std::uint8_t &byte) { return getByte(byte); });
        flushLzhOutput();
    }

    // A size that changed while reading would give a container that cannot be read back.
    void checkAllRead(std::int64_t size, Fault fault) const
    {
        if (m_bytesIn != size) {
            fail(fault);
        }
    }

    // --- Decompress

    std::uint32_t readNumber(int count)
    {
        std::uint8_t bytes[4] = {};
        readExact(bytes, static_cast<std::size_t>(count));
        return littleEndian(bytes, count);
    }

    void decodeFast(TLZR &lzr, std::int64_t size)
    {
        int last = blockSize;
        while (last == blockSize) {
            const int length = static_cast<int>(readNumber(2));
            if (length > maxPayload) {
                fail(Fault::Read);
            }
            readExact(m_input.get(), static_cast<std::size_t>(length));
            m_bytesIn += length + 2;
            const std::optional<std::uint16_t> made = lzr.DecompressBlock(
                m_input.get(), m_output.get(), static_cast<std::uint16_t>(length));
            if (!made) {
                fail(Fault::Read);
            }
            write(m_output.get(), *made);
            if (m_bytesOut > size) {
                fail(Fault::MismatchFast);
            }
            progress("(LZRW1/KH)");
            idle();
            last = *made;
        }
        if (m_bytesOut != size) {
            fail(Fault::MismatchFast);
        }
    }

    void decodeLzh(TLZH &lzh, std::int64_t size)
    {
        resetLzhBuffers();
        const bool whole = lzh.LZHDecode(
            size, [this](std::uint8_t byte) { putByte(byte); },
            [this](std::uint8_t &byte) { return getByte(byte); });
        flushLzhOutput();
        if (!whole || m_bytesOut != size) {
            fail(Fault::MismatchLzh);
        }
    }

    // --- Advise

    // Codes up to one block read at offset; returns the bytes read and the coded length.
    std::pair<std::int64_t, std::int64_t> sample(TLZR &lzr, std::int64_t offset)
    {
        m_in->clear();
        if (!m_in->seekg(m_start + std::streamoff(offset))) {
            fail(Fault::AdviseOpen);
        }
        const std::size_t got = readSome(blockSize, Fault::AdviseRead);
        idle();
        if (got == 0) {
            fail(Fault::AdviseRead);
        }
        const std::uint16_t coded =
            lzr.CompressBlock(m_input.get(), m_output.get(), static_cast<std::uint16_t>(got));
        return {static_cast<std::int64_t>(got), coded};
    }

    std::int64_t bytesIn() const { return m_bytesIn; }
    std::int64_t bytesOut() const { return m_bytesOut; }
    void countIn(std::int64_t count) { m_bytesIn += count; }

private:
    void progress(const char *coding) const
    {
        caption([&] {
            return std::string(coding) + " Bytes in : " + std::to_string(m_bytesIn) +
                   " Bytes out : " + std::to_string(m_bytesOut);
        });
    }

    std::size_t readSome(std::size_t count, Fault fault)
    {
        m_in->read(reinterpret_cast<char *>(m_input.get()), static_cast<std::streamsize>(count));
        if (m_in->bad()) {
            fail(fault);
        }
        const auto got = static_cast<std::size_t>(m_in->gcount());
        m_bytesIn += static_cast<std::int64_t>(got);
        return got;
    }

    void readExact(std::uint8_t *to, std::size_t count)
    {
        m_in->read(reinterpret_cast<char *>(to), static_cast<std::streamsize>(count));
        if (static_cast<std::size_t>(m_in->gcount()) != count) {
            fail(Fault::Read);
        }
    }

    void write(const std::uint8_t *from, std::size_t count)
    {
        if (!m_out->write(reinterpret_cast<const char *>(from),
                          static_cast<std::streamsize>(count))) {
            fail(Fault::Write);
        }
        m_bytesOut += static_cast<std::int64_t>(count);
    }

    void writeNumber(std::uint32_t value, int count)
    {
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        write(bytes, static_cast<std::size_t>(count));
    }

    // Buffered writes that fail late (a full disk) must not pass for success.
    void closeOutput()
    {
        if (m_c.UseStream) {
            m_out->flush();
        } else {
            m_outFile.close();
        }
        if (!*m_out) {
            fail(Fault::Write);
        }
    }

    // --- The byte callbacks of the LZH codec, one 32768-byte buffer each way.

    void resetLzhBuffers()
    {
        m_fill = 0;
        m_readAt = 0;
        m_writeAt = 0;
        m_inputEnded = false;
    }

    bool getByte(std::uint8_t &byte)
    {
        if (m_readAt == m_fill) {
            if (m_inputEnded) {
                return false;
            }
            m_fill = readSome(blockSize, Fault::ReadLzh);
            m_readAt = 0;
            m_inputEnded = m_fill == 0;
            progress("(LZH)");
            idle();
            if (m_inputEnded) {
                return false;
            }
        }
        byte = m_input[m_readAt++];
        return true;
    }

    void putByte(std::uint8_t byte)
    {
        if (m_writeAt == blockSize) {
            flushLzhOutput();
            progress("(LZH)");
            idle();
        }
        m_output[m_writeAt++] = byte;
    }

    void flushLzhOutput()
    {
        write(m_output.get(), m_writeAt);
        m_writeAt = 0;
    }

    Tlzrw1 &m_c;
    std::unique_ptr<std::uint8_t[]> m_input;
    std::unique_ptr<std::uint8_t[]> m_output;
    std::ifstream m_inFile;
    std::ofstream m_outFile;
    std::istream *m_in = nullptr;
    std::ostream *m_out = nullptr;
    std::streampos m_start = 0;
    std::int64_t m_bytesIn = 0;
    std::int64_t m_bytesOut = 0;
    std::size_t m_fill = 0;
    std::size_t m_readAt = 0;
    std::size_t m_writeAt = 0;
    bool m_inputEnded = false;
};

std::int64_t Tlzrw1::Compress()
{
    const TCompressMode mode = CompressMode == TCompressMode::Auto ? Advise() : CompressMode;
    Run run(*this);
    run.allocate(Fault::Memory);
    const std::int64_t size = run.inputSize(Fault::Size);
    // The container records the size in a signed 32-bit field.
    if (size > std::numeric_limits<std::int32_t>::max()) {
        run.fail(Fault::Size);
    }
    run.openInput(Fault::OpenInput);
    run.openOutput();
    run.guardOutput([&] {
        if (mode == TCompressMode::Fast) {
            run.writeHeader(fastIdentifier, size);
            run.codeFast(m_lzr);
            run.checkAllRead(size, Fault::ReadFast);
        } else {
            run.writeHeader(goodIdentifier, size);
            run.codeLzh(m_lzh);
            run.checkAllRead(size, Fault::ReadLzh);
        }
    });
    run.caption([&] {
        const std::string rate = std::to_string(percentage(run.bytesOut(), run.bytesIn())) + "%";
        return UseStream ? "Lzrw1 : inputstream successfully compressed at " + rate
                         : InputFile.string() + " : Lzrw1 : successfully compressed at " + rate;
    });
    return run.bytesOut();
}

std::int64_t Tlzrw1::Decompress()
{
    Run run(*this);
    run.allocate(Fault::Memory);
    run.openInput(Fault::OpenInput);
    run.openOutput();
    run.guardOutput([&] {
        const std::uint32_t identifier = run.readNumber(4);
        if (identifier != fastIdentifier && identifier != goodIdentifier) {
            run.fail(Fault::Header);
        }
        const std::uint32_t recorded = run.readNumber(4);
        if (recorded > SizeLimit) {
            run.failOverLimit(recorded);
        }
        const auto size = static_cast<std::int32_t>(recorded);
        run.countIn(8);
        if (identifier == fastIdentifier) {
            run.decodeFast(m_lzr, size);
        } else {
            run.decodeLzh(m_lzh, size);
        }
    });
    run.caption([&] {
        const std::string rate = std::to_string(percentage(run.bytesOut(), run.bytesIn())) + "%";
        return UseStream ? "LZrw1 : inputstream successfully decompressed at " + rate
                         : InputFile.string() + " : Lzrw1 : successfully decompressed at " + rate;
    });
    return run.bytesOut();
}

TCompressMode Tlzrw1::Advise()
{
    Run run(*this);
    run.caption([&] {
        return UseStream ? std::string("Guessing the best compression mode for the inputstream")
                         : "Guessing the best compression mode for : " + InputFile.string();
    });
    run.allocate(Fault::AdviseMemory);
    const std::int64_t size = run.inputSize(Fault::AdviseSize);
    run.openInput(Fault::AdviseOpen);
    // Advise only looks: the input stream goes back to where it was, whatever happens.
    const struct Rewind {
        Run &run;
        ~Rewind() { run.rewindInput(); }
    } rewind{run};
    if (size < smallInput) {
        CompressMode = TCompressMode::Good;
        run.caption(
            [] { return std::string("Lzrw1 recommends GOOD compression :  small file !!"); });
        return TCompressMode::Good;
    }
    // Block-aligned offsets at a third and two thirds of the input, in 64 bits.
    const auto [in1, out1] = run.sample(m_lzr, size / 3 / blockSize * blockSize);
    const auto [in2, out2] = run.sample(m_lzr, 2 * size / 3 / blockSize * blockSize);
    const std::int64_t rate = percentage(out1 + out2, in1 + in2);
    const bool fast = out1 + out2 < Threshold * (in1 + in2) / 100;
    run.caption([&] {
        return std::string(fast ? "Lzrw1 recommends FAST compression : "
                                : "Lzrw1 recommends GOOD compression : ") +
               std::to_string(rate) + "%.";
    });
    return fast ? TCompressMode::Fast : TCompressMode::Good;
}
