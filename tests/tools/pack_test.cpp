#include "tally/tallyfile.h"
#include "tally/tallyrecord.h"
#include "tools/pack/pack.h"

#include "tests/support/tempfolder.h"
#include "tests/tally/codec/codectestdata.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome pack(const std::vector<std::string> &arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runPack(arguments, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(QuellanPack, PacksUnpacksAndAdvises)
{
    const TempFolder folder;
    const Bytes input = mixedSample(100000);
    writeFile(folder / "tally.txt", input);
    const std::string in = (folder / "tally.txt").string();
    const std::string packed = (folder / "tally.tld").string();
    const std::string back = (folder / "back.txt").string();

    Outcome done = pack({"compress", in, packed});
    EXPECT_EQ(done.status, 0);
    EXPECT_THAT(done.out, HasSubstr(" : Lzrw1 : successfully compressed at "));
    EXPECT_EQ(readFile(packed).at(0), 'W');
    EXPECT_EQ(pack({"decompress", packed, back}).status, 0);
    EXPECT_EQ(readFile(back), input);

    EXPECT_EQ(pack({"compress", "--mode", "good", in, packed}).status, 0);
    EXPECT_EQ(readFile(packed).at(0), '!');
    EXPECT_EQ(pack({"decompress", packed, back}).status, 0);
    EXPECT_EQ(readFile(back), input);

    done = pack({"advise", in});
    EXPECT_EQ(done.status, 0);
    EXPECT_THAT(done.out, HasSubstr("Lzrw1 recommends "));
}

TEST(QuellanPack, FailuresPrintTheMessageAndLeaveNoPartialFile)
{
    const TempFolder folder;
    const std::string damaged = (folder / "damaged.tld").string();
    writeFile(damaged, hexBytes("57 52 5A 4C 10 00 00 00 04 00 80 61 62 63"));
    const std::string out = (folder / "out.txt").string();
    const Outcome failed = pack({"decompress", damaged, out});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do "
                          "not match !\n");
    EXPECT_THAT(folder.files(), ElementsAre("damaged.tld"));

    for (const std::vector<std::string> &wrong : {std::vector<std::string>{},
                                                  {"unpack", damaged},
                                                  {"decompress", damaged},
                                                  {"compress", "--mode", "best", damaged, out}}) {
        const Outcome misused = pack(wrong);
        EXPECT_EQ(misused.status, 2);
        EXPECT_THAT(misused.err, HasSubstr("Usage: quellan-pack"));
    }
    const Outcome help = pack({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("decompress IN OUT"));
}

TEST(QuellanPack, PrintsATallyFile)
{
    const TempFolder folder;
    const std::string file = (folder / "quellantally.tld").string();
    TallyRecord record;
    record.addtomineincrease(1);
    record.addtomineincrease(2);
    record.addtomineincrease(1);
    record.checkscore(130, "Ann", "12/7/26");
    record.checkscore(-4, "Bo", "12/8/26");
    tallyfile::save(QString::fromStdString(file), record);

    const Outcome done = pack({"tally", file});
    EXPECT_EQ(done.status, 0);
    EXPECT_THAT(done.out, HasSubstr("Total games:     2\n"));
    EXPECT_THAT(done.out, HasSubstr("Games cleared:   1\n"));
    EXPECT_THAT(done.out, HasSubstr("Win percentage:  50%\n"));
    EXPECT_THAT(done.out, HasSubstr("   1    130  12/7/26       Ann\n"));
    EXPECT_THAT(done.out, HasSubstr("   2     -4  12/8/26       Bo\n"));
    EXPECT_THAT(done.out, HasSubstr("  10                       \n"));

    writeFile(folder / "damaged.tld", Bytes{'n', 'o', 'p', 'e'});
    const Outcome failed = pack({"tally", folder.file("damaged.tld")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "Lzrw1 decompression : input stream contains no valid header ! " +
                              folder.file("damaged.tld") + "\n");
}

TEST(QuellanPack, TallyRefusesWhatNoTallyHoldsWhileDecompressTakesAnySize)
{
    const TempFolder folder;
    // 3 MiB of text, recorded as such: too much for a tally, nothing for the container.
    const Bytes input = repeated("Quellan: tally\r\n", 3 << 16);
    writeFile(folder / "big.txt", input);
    ASSERT_EQ(pack({"compress", folder.file("big.txt"), folder.file("big.tld")}).status, 0);
    const Outcome failed = pack({"tally", folder.file("big.tld")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "Lzrw1 decompression : input stream records 3145728 bytes, more than "
                          "the 1048576 allowed ! " +
                              folder.file("big.tld") + "\n");
    EXPECT_EQ(pack({"decompress", folder.file("big.tld"), folder.file("back.txt")}).status, 0);
    EXPECT_EQ(readFile(folder / "back.txt"), input);
}
