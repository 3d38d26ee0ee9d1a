// Compression and decompression throughput of LZRW1/KH and LZH against LZ4 and zlib, on
// English-like text, random bytes and a tally text; prints the speed ratios at the end.
#include "tally/codec/lzh.h"
#include "tally/codec/lzr.h"
#include "tally/codec/lzrw1.h"

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t mebibyte = 1 << 20;

Bytes englishText(std::size_t size)
{
    static constexpr std::string_view words[] = {
        "the",     "of",      "and",     "to",       "a",       "in",       "is",     "it",
        "you",     "that",    "he",      "was",      "for",     "on",       "are",    "with",
        "as",      "his",     "they",    "be",       "at",      "one",      "have",   "this",
        "from",    "or",      "had",     "by",       "word",    "but",      "what",   "some",
        "we",      "can",     "out",     "other",    "were",    "all",      "there",  "when",
        "up",      "use",     "your",    "how",      "said",    "an",       "each",   "she",
        "which",   "do",      "their",   "time",     "if",      "will",     "way",    "about",
        "many",    "then",    "them",    "write",    "would",   "like",     "so",     "these",
        "card",    "deck",    "column",  "score",    "player",  "patience", "table",  "suit",
        "hearts",  "spades",  "clubs",   "diamonds", "king",    "queen",    "ace",    "deal",
        "window",  "number",  "people",  "water",    "called",  "first",    "long",   "down",
        "morning", "evening", "quietly", "remember", "between", "through",  "because"};
    std::mt19937 random(2008);
    std::string text;
    bool capital = true;
    while (text.size() < size) {
        std::string word(words[random() % std::size(words)]);
        if (capital) {
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        }
        text += word;
        const unsigned mark = random() % 24;
        capital = mark < 2;
        text += mark == 0 ? ".\n" : mark == 1 ? ". " : mark == 2 ? ", " : " ";
    }
    return Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

Bytes randomBytes(std::size_t size)
{
    std::mt19937 random(7);
    Bytes bytes(size);
    for (std::uint8_t &byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// A tally text as the tally list writes it: 9 columns of 12 cells, column by column.
Bytes tallyText()
{
    const char *names[] = {"Ann", "Guest", "Anna", "Jo",  "Zoe",
                           "Max", "Guest", "Lena", "Ole", "Guest"};
    std::string text = "9\r\n12\r\n";
    for (int column = 0; column < 9; ++column) {
        for (int row = 0; row < 12; ++row) {
            std::string cell;
            if (row == 0) {
                cell = column == 1 ? "214" : column == 2 ? "37" : column == 3 ? "17" : "0";
            } else if (row <= 10 && column == 0) {
                cell = std::to_string(row) + "/" + std::to_string(10 + row) + "/2008";
            } else if (row <= 10 && column == 1) {
                cell = std::to_string(400 - 23 * row);
            } else if (row <= 10 && column == 2) {
                cell = names[row - 1];
            }
            text += cell + "\r\n";
        }
    }
    return Bytes(text.begin(), text.end());
}

struct Codec {
    const char *name;
    std::function<Bytes(const Bytes &)> compress;
    std::function<void(const Bytes &, Bytes &)> decompress;
};

Bytes lzrCompress(const Bytes &input)
{
    static TLZR lzr;
    Bytes output(input.size() + input.size() / 16 + 64);
    std::size_t out = 0;
    for (std::size_t at = 0; at <= input.size(); at += TLZR::blockSize) {
        const auto count =
            static_cast<std::uint16_t>(std::min<std::size_t>(TLZR::blockSize, input.size() - at));
        const std::uint16_t length =
            lzr.CompressBlock(input.data() + at, output.data() + out + 2, count);
        output[out] = static_cast<std::uint8_t>(length);
        output[out + 1] = static_cast<std::uint8_t>(length >> 8);
        out += 2u + length;
    }
    output.resize(out);
    return output;
}

void lzrDecompress(const Bytes &coded, Bytes &output)
{
    static TLZR lzr;
    // The decoder needs a whole block of room; near the end of the output it gets a spare one.
    static Bytes spare(TLZR::blockSize);
    std::size_t out = 0;
    for (std::size_t at = 0; at < coded.size();) {
        const auto length = static_cast<std::uint16_t>(coded[at] | coded[at + 1] << 8);
        const bool room = output.size() - out >= TLZR::blockSize;
        std::uint8_t *to = room ? output.data() + out : spare.data();
        const std::uint16_t made = *lzr.DecompressBlock(coded.data() + at + 2, to, length);
        if (!room) {
            std::copy_n(spare.data(), made, output.data() + out);
        }
        out += made;
        at += 2u + length;
    }
}

Bytes lzhCompress(const Bytes &input)
{
    Bytes output;
    output.reserve(input.size() + input.size() / 4 + 64);
    TLZH().LZHEncode([&output](std::uint8_t byte) { output.push_back(byte); },
                     LzhMemorySource{input.data(), input.data() + input.size()});
    return output;
}

void lzhDecompress(const Bytes &coded, Bytes &output)
{
    std::uint8_t *out = output.data();
    TLZH().LZHDecode(
        static_cast<std::int64_t>(output.size()), [&out](std::uint8_t byte) { *out++ = byte; },
        LzhMemorySource{coded.data(), coded.data() + coded.size()});
}

Bytes lz4Compress(const Bytes &input)
{
    Bytes output(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(input.size()))));
    output.resize(static_cast<std::size_t>(LZ4_compress_default(
        reinterpret_cast<const char *>(input.data()), reinterpret_cast<char *>(output.data()),
        static_cast<int>(input.size()), static_cast<int>(output.size()))));
    return output;
}

void lz4Decompress(const Bytes &coded, Bytes &output)
{
    LZ4_decompress_safe(reinterpret_cast<const char *>(coded.data()),
                        reinterpret_cast<char *>(output.data()), static_cast<int>(coded.size()),
                        static_cast<int>(output.size()));
}

std::function<Bytes(const Bytes &)> zlibCompress(int level)
{
    return [level](const Bytes &input) {
        uLongf length = compressBound(input.size());
        Bytes output(length);
        compress2(output.data(), &length, input.data(), input.size(), level);
        output.resize(length);
        return output;
    };
}

void zlibDecompress(const Bytes &coded, Bytes &output)
{
    uLongf length = output.size();
    uncompress(output.data(), &length, coded.data(), coded.size());
}

// The container in stream mode, as the tally list uses it.
std::function<Bytes(const Bytes &)> containerCompress(TCompressMode mode)
{
    return [mode](const Bytes &input) {
        std::stringstream in(std::string(input.begin(), input.end()));
        std::stringstream out;
        Tlzrw1 doit;
        doit.CompressMode = mode;
        doit.useStreams(in, out);
        doit.Compress();
        const std::string coded = out.str();
        return Bytes(coded.begin(), coded.end());
    };
}

void containerDecompress(const Bytes &coded, Bytes &)
{
    std::stringstream in(std::string(coded.begin(), coded.end()));
    std::stringstream out;
    Tlzrw1 doit;
    doit.useStreams(in, out);
    doit.Decompress();
}

const std::vector<Codec> &codecs()
{
    static const std::vector<Codec> all = {
        {"LZRW1KH", lzrCompress, lzrDecompress},
        {"LZH", lzhCompress, lzhDecompress},
        {"LZ4", lz4Compress, lz4Decompress},
        {"zlib1", zlibCompress(1), zlibDecompress},
        {"zlib6", zlibCompress(6), zlibDecompress},
        {"ContainerFast", containerCompress(TCompressMode::Fast), containerDecompress},
        {"ContainerGood", containerCompress(TCompressMode::Good), containerDecompress},
    };
    return all;
}

void registerAll()
{
    static const std::pair<const char *, Bytes> data[] = {
        {"text", englishText(mebibyte)},
        {"random", randomBytes(mebibyte)},
        {"tally", tallyText()},
    };
    for (const auto &[dataName, input] : data) {
        for (const Codec &codec : codecs()) {
            const std::string name = std::string(codec.name) + "/" + dataName;
            const Bytes *in = &input;
            benchmark::RegisterBenchmark(
                (name + "/compress").c_str(), [in, &codec](benchmark::State &state) {
                    Bytes coded;
                    for (auto _ : state) {
                        coded = codec.compress(*in);
                        benchmark::DoNotOptimize(coded.data());
                    }
                    state.SetBytesProcessed(
                        static_cast<std::int64_t>(state.iterations() * in->size()));
                    state.counters["ratio%"] =
                        100.0 * static_cast<double>(coded.size()) / static_cast<double>(in->size());
                });
            benchmark::RegisterBenchmark(
                (name + "/decompress").c_str(), [in, &codec](benchmark::State &state) {
                    const Bytes coded = codec.compress(*in);
                    Bytes output(in->size());
                    for (auto _ : state) {
                        codec.decompress(coded, output);
                        benchmark::DoNotOptimize(output.data());
                    }
                    state.SetBytesProcessed(
                        static_cast<std::int64_t>(state.iterations() * in->size()));
                });
        }
    }
}

// Keeps every run's throughput so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end()) {
                rates[run.benchmark_name()] = rate->second;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const char *ours, const char *theirs, double target) const
    {
        const auto a = rates.find(ours);
        const auto b = rates.find(theirs);
        if (a == rates.end() || b == rates.end()) {
            return;
        }
        const double ratio = a->second / b->second;
        std::printf("%-28s / %-24s = %6.3f (target >= %.1f) %s\n", ours, theirs, ratio, target,
                    ratio >= target ? "met" : "MISSED");
    }
};

} // namespace

int main(int argc, char **argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nSpeed ratios on text:\n");
    reporter.printRatio("LZRW1KH/text/compress", "LZ4/text/compress", 0.4);
    reporter.printRatio("LZRW1KH/text/decompress", "LZ4/text/decompress", 0.2);
    reporter.printRatio("LZH/text/compress", "zlib6/text/compress", 0.3);
    reporter.printRatio("LZH/text/decompress", "zlib6/text/decompress", 0.1);
    benchmark::Shutdown();
    return 0;
}
