#include "tally/codec/lzrw1.h"

#include "tests/support/tempfolder.h"
#include "tests/tally/codec/codectestdata.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

using testing::ElementsAre;

namespace {

const std::string fastSizeMismatch =
    "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
const std::string lzhSizeMismatch =
    "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Nine run items of 4095 bytes each: more than a block.
Bytes nineRuns()
{
    Bytes runs;
    for (int i = 0; i < 9; ++i) {
        runs = concat({runs, hexBytes("00 0F EF 78")});
    }
    return runs;
}

// Runs a stream-mode call of `doit` with `input`; returns what it wrote.
Bytes throughStreams(Tlzrw1 &doit, const Bytes &input, const std::function<void()> &call)
{
    std::stringstream in = byteStream(input);
    std::stringstream out(std::ios::in | std::ios::out | std::ios::binary);
    doit.useStreams(in, out);
    call();
    return streamBytes(out);
}

Bytes compressed(const Bytes &input, TCompressMode mode)
{
    Tlzrw1 doit;
    doit.CompressMode = mode;
    return throughStreams(doit, input, [&] { doit.Compress(); });
}

Bytes decompressed(const Bytes &container)
{
    Tlzrw1 doit;
    return throughStreams(doit, container, [&] { doit.Decompress(); });
}

// Decompresses `container` in file mode; returns the failure's message, or "" on success.
std::string decompressFailure(const TempFolder &folder, const Bytes &container)
{
    writeFile(folder / "in.tld", container);
    Tlzrw1 doit;
    doit.InputFile = folder / "in.tld";
    doit.OutputFile = folder / "out.txt";
    try {
        doit.Decompress();
    } catch (const ELzrw1Exception &error) {
        return error.what();
    }
    return {};
}

} // namespace

TEST(TallyContainer, FastModeWritesTheDocumentedBytes)
{
    EXPECT_EQ(compressed({}, TCompressMode::Fast), hexBytes("57 52 5A 4C 00 00 00 00 01 00 80"));
    EXPECT_EQ(compressed(textBytes("abc"), TCompressMode::Fast),
              hexBytes("57 52 5A 4C 03 00 00 00 04 00 80 61 62 63"));
    // A whole block is followed by an empty one.
    const Bytes block = randomBytes(32768);
    const Bytes container = compressed(block, TCompressMode::Fast);
    ASSERT_EQ(container.size(), 8u + 2 + 32769 + 3);
    EXPECT_EQ(Bytes(container.begin(), container.begin() + 11),
              hexBytes("57 52 5A 4C 00 80 00 00 01 80 80"));
    EXPECT_EQ(Bytes(container.end() - 3, container.end()), hexBytes("01 00 80"));
    EXPECT_EQ(decompressed(container), block);
    EXPECT_EQ(decompressed(hexBytes("57 52 5A 4C 00 00 00 00 01 00 80")), Bytes{});
    EXPECT_EQ(compressed({}, TCompressMode::Good), hexBytes("21 48 5A 4C 00 00 00 00 C6 00"));
}

TEST(TallyContainer, RoundTripsBothCodingsAcrossSizes)
{
    for (const std::size_t size :
         {0, 1, 2, 3, 59, 60, 61, 4095, 4096, 4097, 32767, 32768, 32769, 98303, 98304, 300000}) {
        SCOPED_TRACE(size);
        const Bytes input = mixedSample(size, static_cast<std::uint32_t>(size));
        for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
            EXPECT_EQ(decompressed(compressed(input, mode)), input);
        }
    }
}

TEST(TallyContainer, FileModeReportsProgressAndKeepsTheWindowLive)
{
    const TempFolder folder;
    const Bytes input = mixedSample(70000);
    writeFile(folder / "tally.txt", input);
    Tlzrw1 doit;
    doit.CompressMode = TCompressMode::Fast;
    doit.InputFile = folder / "tally.txt";
    doit.OutputFile = folder / "tally.tld";
    std::vector<std::string> captions;
    int idles = 0;
    doit.onCaption = [&](const std::string &text) { captions.push_back(text); };
    doit.onIdle = [&] { ++idles; };
    const std::int64_t written = doit.Compress();
    const Bytes container = readFile(folder / "tally.tld");
    EXPECT_EQ(written, std::ssize(container));
    EXPECT_EQ(idles, 3);
    ASSERT_EQ(captions.size(), 4u);
    EXPECT_EQ(captions[2], "(LZRW1/KH) Bytes in : 70000 Bytes out : " + std::to_string(written));
    EXPECT_EQ(captions[3], doit.InputFile.string() + " : Lzrw1 : successfully compressed at " +
                               std::to_string(written * 100 / 70000) + "%");

    captions.clear();
    doit.InputFile = folder / "tally.tld";
    doit.OutputFile = folder / "back.txt";
    EXPECT_EQ(doit.Decompress(), 70000);
    EXPECT_EQ(readFile(folder / "back.txt"), input);
    EXPECT_EQ(captions.back(), doit.InputFile.string() +
                                   " : Lzrw1 : successfully decompressed at " +
                                   std::to_string(7000000 / written) + "%");
}

TEST(TallyContainer, AutoModeWritesTheIdentifierThatAdviseChose)
{
    Tlzrw1 doit;
    doit.CompressMode = TCompressMode::Auto;
    const Bytes runs(98304, 0x41);
    EXPECT_EQ(throughStreams(doit, runs, [&] { doit.Compress(); }).at(0), 'W');
    EXPECT_EQ(doit.CompressMode, TCompressMode::Auto);
    EXPECT_EQ(throughStreams(doit, randomBytes(98304), [&] { doit.Compress(); }).at(0), '!');
    EXPECT_EQ(throughStreams(doit, textBytes("abc"), [&] { doit.Compress(); }).at(0), '!');
    // A small input sets the coder itself to Good.
    EXPECT_EQ(doit.CompressMode, TCompressMode::Good);
}

TEST(TallyContainer, AdviseSamplesTheBlocksAtOneAndTwoThirds)
{
    Tlzrw1 doit;
    doit.CompressMode = TCompressMode::Auto;
    std::vector<std::string> captions;
    doit.onCaption = [&](const std::string &text) { captions.push_back(text); };
    TCompressMode advice = TCompressMode::Auto;
    throughStreams(doit, Bytes(98303, 0), [&] { advice = doit.Advise(); });
    EXPECT_EQ(advice, TCompressMode::Good);
    EXPECT_EQ(doit.CompressMode, TCompressMode::Good);
    EXPECT_THAT(captions, ElementsAre("Guessing the best compression mode for the inputstream",
                                      "Lzrw1 recommends GOOD compression :  small file !!"));

    // Only the blocks at 32768 and 65536 pack well; sampling anywhere else would see noise.
    captions.clear();
    doit.CompressMode = TCompressMode::Auto;
    const Bytes input = concat({randomBytes(32768), Bytes(65536, 0)});
    throughStreams(doit, input, [&] { advice = doit.Advise(); });
    EXPECT_EQ(advice, TCompressMode::Fast);
    EXPECT_EQ(doit.CompressMode, TCompressMode::Auto);
    EXPECT_EQ(captions.back(), "Lzrw1 recommends FAST compression : 0%.");
    const Bytes noisy = concat({Bytes(65536, 0), randomBytes(32768)});
    throughStreams(doit, noisy, [&] { advice = doit.Advise(); });
    EXPECT_EQ(advice, TCompressMode::Good);
    EXPECT_EQ(captions.back(), "Lzrw1 recommends GOOD compression : 50%.");
}

TEST(TallyContainer, AdviseSamplesInsideInputsOfGigabytes)
{
    const std::int64_t gib = std::int64_t{1} << 30;
    VirtualInput huge(3 * gib);
    std::istream in(&huge);
    Tlzrw1 doit;
    doit.UseStream = true;
    doit.InputStream = &in;
    EXPECT_EQ(doit.Advise(), TCompressMode::Fast);
    EXPECT_THAT(huge.seeks, testing::IsSupersetOf({gib, 2 * gib}));
    EXPECT_EQ(in.tellg(), 0);
    // Too big for the container's size field.
    std::stringstream out;
    doit.OutputStream = &out;
    EXPECT_THROW(
        {
            try {
                doit.Compress();
            } catch (const ELzrw1Exception &error) {
                EXPECT_STREQ(error.what(),
                             "Lzrw1 compression : Failed to obtain the size of the input stream !");
                throw;
            }
        },
        ELzrw1Exception);
}

TEST(TallyContainer, DamagedFilesFailWithTheirMessageAndLeaveNoOutput)
{
    const TempFolder folder;
    const std::string readError =
        "Lzrw1 : Error reading from input file : " + (folder / "in.tld").string();
    const Bytes text = mixedSample(40000);
    const Bytes fast = compressed(text, TCompressMode::Fast);
    const Bytes good = compressed(text, TCompressMode::Good);
    Bytes wrongSize = fast;
    wrongSize[4] ^= 1;
    Bytes wrongLzhSize = good;
    wrongLzhSize[4] ^= 1;
    Bytes hugeLzhSize = good;
    hugeLzhSize[7] = 0x7F;
    const std::pair<Bytes, std::string> cases[] = {
        {textBytes("PK\3\4 not ours"),
         (folder / "in.tld").string() + " : Lzrw1 decompression : this file has no valid header !"},
        {textBytes("WRZ"), readError},
        {Bytes(fast.begin(), fast.begin() + 100), readError},
        {wrongSize, fastSizeMismatch},
        {Bytes(good.begin(), good.end() - 1), lzhSizeMismatch},
        {wrongLzhSize, lzhSizeMismatch},
        {hugeLzhSize, lzhSizeMismatch},
        {concat({good, hexBytes("55")}), lzhSizeMismatch},
        // A payload longer than any block.
        {concat({hexBytes("57 52 5A 4C 00 00 00 00 02 80"), Bytes(32770, 0x80)}), readError},
        // Runs that decode to more than a block, and a match before the start of the block.
        {concat({hexBytes("57 52 5A 4C 00 80 00 00 27 00 40 FF 80"), nineRuns()}), readError},
        {hexBytes("57 52 5A 4C 02 00 00 00 06 00 40 40 00 61 00 20"), readError},
    };
    for (const auto &[container, message] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(decompressFailure(folder, container), message);
        EXPECT_THAT(folder.files(), ElementsAre("in.tld"));
    }
    // Bytes after the last block are ignored.
    EXPECT_EQ(decompressFailure(folder, concat({fast, hexBytes("55")})), "");
}

TEST(TallyContainer, FailedCallsNameTheirCauseAndSpareExistingFiles)
{
    const TempFolder folder;
    const Bytes input = mixedSample(1000);
    writeFile(folder / "in.txt", input);
    const auto failure = [](const std::function<void()> &call) -> std::string {
        try {
            call();
        } catch (const ELzrw1Exception &error) {
            return error.what();
        }
        return {};
    };
    Tlzrw1 doit;
    doit.InputFile = folder / "missing.txt";
    doit.OutputFile = folder / "out.tld";
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 compression : Failed to obtain the size of : " + doit.InputFile.string());
    EXPECT_EQ(failure([&] { doit.Decompress(); }),
              "Lzrw1 (de)compression : Failed to open input file : " + doit.InputFile.string());
    EXPECT_EQ(failure([&] { doit.Advise(); }),
              "Lzrw1 advise : can not get the size of : " + doit.InputFile.string());
    doit.InputFile = folder / "in.txt";
    doit.OutputFile = folder / "no folder" / "out.tld";
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 (de)compression : Failed to open output file : " + doit.OutputFile.string());
    // Packing a file onto itself would truncate it first.
    doit.OutputFile = folder / "." / "in.txt";
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 (de)compression : Failed to open output file : " + doit.OutputFile.string());
    EXPECT_EQ(readFile(folder / "in.txt"), input);
    EXPECT_THAT(folder.files(), ElementsAre("in.txt"));

    doit.UseStream = true;
    std::stringstream out;
    doit.OutputStream = &out;
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 compression : Failed to obtain the size of the input stream !");
    EXPECT_EQ(failure([&] { doit.Decompress(); }),
              "Lzrw1 (de)compression : Failed to initialize input stream !");
    std::stringstream in = byteStream(input);
    doit.InputStream = &in;
    doit.OutputStream = nullptr;
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 (de)compression : Failed to initialize output stream !");
    FullOutput full;
    std::ostream fullStream(&full);
    doit.OutputStream = &fullStream;
    EXPECT_EQ(failure([&] { doit.Compress(); }), "Lzrw1 : Error writing to output stream !");
    doit.OutputStream = &out;
    in = byteStream(input);
    EXPECT_EQ(failure([&] { doit.Decompress(); }),
              "Lzrw1 decompression : input stream contains no valid header !");
    for (const auto &[mode, message] :
         {std::pair(TCompressMode::Fast, "Lzrw1 : Error reading from input stream ! (LZRW1/KH)"),
          std::pair(TCompressMode::Good, "Lzrw1 : Error reading from input stream ! (LZH)")}) {
        BrokenInput broken(input, 500);
        std::istream brokenStream(&broken);
        doit.InputStream = &brokenStream;
        doit.CompressMode = mode;
        EXPECT_EQ(failure([&] { doit.Compress(); }), message);
    }
    BrokenInput broken(Bytes(98304, 0), 1000);
    std::istream brokenStream(&broken);
    doit.InputStream = &brokenStream;
    EXPECT_EQ(failure([&] { doit.Advise(); }), "Lzrw1 advise : input stream read error !");
    doit.InputStream = nullptr;
    EXPECT_EQ(failure([&] { doit.Advise(); }), "Lzrw1 advise : can not get size of inputstream !");
}

TEST(TallyContainer, DecompressRefusesARecordedSizeOverTheLimitBeforeDecoding)
{
    const Bytes input = mixedSample(5000);
    for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const Bytes container = compressed(input, mode);
        Tlzrw1 doit;
        doit.SizeLimit = 4999;
        std::string message;
        const Bytes written = throughStreams(doit, container, [&] {
            try {
                doit.Decompress();
            } catch (const ELzrw1Exception &error) {
                message = error.what();
            }
        });
        EXPECT_EQ(message, "Lzrw1 decompression : input stream records 5000 bytes, more than "
                           "the 4999 allowed !");
        EXPECT_EQ(written, Bytes{});
        doit.SizeLimit = 5000;
        EXPECT_EQ(throughStreams(doit, container, [&] { doit.Decompress(); }), input);
    }
    // A size over 2 GiB reads as negative in the container's field, but is over any limit.
    const TempFolder folder;
    writeFile(folder / "in.tld", hexBytes("57 52 5A 4C 00 00 00 80 01 00 80"));
    Tlzrw1 doit;
    doit.InputFile = folder / "in.tld";
    doit.OutputFile = folder / "out.txt";
    doit.SizeLimit = 1 << 20;
    EXPECT_THROW(
        {
            try {
                doit.Decompress();
            } catch (const ELzrw1Exception &error) {
                EXPECT_EQ(error.what(), doit.InputFile.string() +
                                            " : Lzrw1 decompression : this file records "
                                            "2147483648 bytes, more than the 1048576 allowed !");
                throw;
            }
        },
        ELzrw1Exception);
    EXPECT_THAT(folder.files(), ElementsAre("in.tld"));
}

TEST(TallyContainer, StreamModeCodesFromTheCurrentPositionOn)
{
    const Bytes input = mixedSample(5000);
    for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        std::stringstream in = byteStream(input);
        in.seekg(1000);
        std::stringstream out;
        Tlzrw1 doit;
        doit.CompressMode = mode;
        doit.useStreams(in, out);
        doit.Compress();
        // The recorded size is that of the bytes coded, so the container reads back.
        EXPECT_EQ(decompressed(streamBytes(out)), Bytes(input.begin() + 1000, input.end()));
    }
}
