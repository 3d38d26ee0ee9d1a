#include "tally/codec/lzr.h"
#include "tally/tallyfile.h"
#include "tally/tallyrecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

// A fast-coded container that records `recorded` bytes and holds `blocks` blocks of 32768
// bytes each, a few dozen bytes of file for every block, and the empty block that ends it.
QByteArray runsContainer(std::uint32_t recorded, int blocks)
{
    const std::vector<std::uint8_t> block(TLZR::blockSize, 'x');
    std::vector<std::uint8_t> coded(block.size() + TLZR::destSpare);
    TLZR lzr;
    const std::uint16_t length =
        lzr.CompressBlock(block.data(), coded.data(), static_cast<std::uint16_t>(block.size()));
    QByteArray bytes("WRZL");
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>(recorded >> shift);
    const QByteArray item = QByteArray(1, static_cast<char>(length)) +
                            static_cast<char>(length >> 8) +
                            QByteArray(reinterpret_cast<const char *>(coded.data()), length);
    return bytes + item.repeated(blocks) + QByteArray("\x01\x00\x80", 3);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The message tallyfile::load throws for the file, or "" when it reads.
std::string loadFailure(const QString &path, TallyRecord &record)
{
    try {
        tallyfile::load(path, record);
    } catch (const std::exception &error) {
        return error.what();
    }
    return {};
}

// Loads the file with the address space capped at 32 MiB above what the process already
// holds: prints the message and exits with 3 on a failure that left the record new, 0 when
// the file was read. Running out of memory ends it any other way.
[[noreturn]] void loadWithinLittleMemory(const QString &path)
{
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t held = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const rlimit limit{held + (rlim_t{32} << 20), held + (rlim_t{32} << 20)};
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
        std::_Exit(2);
    TallyRecord record;
    const std::string message = loadFailure(path, record);
    std::fputs(message.c_str(), stderr);
    std::_Exit(message.empty() ? 0 : record.toText() == TallyRecord().toText() ? 3 : 4);
}

} // namespace

TEST(TallyFile, AFileRecordingMoreThanAMebibyteIsRefusedBeforeDecoding)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("quellantally.tld");
    // 2 MiB recorded and held; nearly 2 GiB recorded and 128 MiB held in 150 KB of file.
    for (const auto &[recorded, blocks] :
         {std::pair(std::uint32_t{2} << 20, 64), std::pair(std::uint32_t{0x7FFFFFFF}, 4096)}) {
        SCOPED_TRACE(recorded);
        writeFile(path, runsContainer(recorded, blocks));
        EXPECT_EXIT(loadWithinLittleMemory(path), testing::ExitedWithCode(3),
                    "^Lzrw1 decompression : input stream records " + std::to_string(recorded) +
                        " bytes, more than the 1048576 allowed ! .*/quellantally\\.tld$");
    }
    // A mebibyte is still read, if only to find it is no tally text.
    writeFile(path, runsContainer(std::uint32_t{1} << 20, 32));
    EXPECT_EXIT(loadWithinLittleMemory(path), testing::ExitedWithCode(3),
                "^'x{40}…' is not a valid integer value .*/quellantally\\.tld$");
}

TEST(TallyFile, AFileThatCannotBeReadIsNamedAfterTheMessage)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("quellantally.tld");
    const std::string name = path.toStdString();
    TallyRecord record;
    EXPECT_EQ(loadFailure(path, record),
              "Lzrw1 (de)compression : Failed to initialize input stream ! " + name);
    writeFile(path, "nope");
    EXPECT_EQ(loadFailure(path, record),
              "Lzrw1 decompression : input stream contains no valid header ! " + name);
    writeFile(path, runsContainer(100, 1));
    EXPECT_EQ(loadFailure(path, record),
              "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match ! " +
                  name);
}
