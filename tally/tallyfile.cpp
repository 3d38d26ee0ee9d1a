#include "tally/tallyfile.h"

#include "tally/codec/lzrw1.h"
#include "tally/tallyrecord.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// A tally text is a few hundred bytes. A file that records more than this is no tally of ours
// and is refused before decoding: a few kilobytes of file can record gigabytes.
constexpr std::int64_t largestText = 1 << 20;

// The tally coder set up to work between a stream and memory, in the fast coding. A tally text
// is a few kilobytes, so it runs without serving the windows' events: a save happens while
// a game ends, and nothing may come in between.
struct Packer {
    explicit Packer(std::istream &in)
    {
        doit.CompressMode = TCompressMode::Fast;
        doit.useStreams(in, out);
    }
    std::ostringstream out;
    Tlzrw1 doit;
};

std::string compressed(std::istream &in)
{
    Packer packer(in);
    packer.doit.Compress();
    return packer.out.str();
}

std::string decompressed(std::istream &in)
{
    Packer packer(in);
    packer.doit.SizeLimit = largestText;
    packer.doit.Decompress();
    return packer.out.str();
}

} // namespace

namespace tallyfile {

void load(const QString &path, TallyRecord &record)
{
    try {
        std::ifstream in(std::filesystem::path(QFile::encodeName(path).toStdString()),
                         std::ios::binary);
        const std::string text = decompressed(in);
        record.readText(QByteArray::fromStdString(text));
    } catch (const std::exception &error) {
        // The coder and the text reader only see memory; the player needs to know the file.
        throw std::runtime_error(error.what() + (' ' + path.toStdString()));
    }
}

void save(const QString &path, const TallyRecord &record)
{
    std::istringstream in(record.toText().toStdString());
    const std::string packed = compressed(in);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(packed.data(), static_cast<qint64>(packed.size())) !=
            static_cast<qint64>(packed.size()) ||
        !file.commit())
        throw std::runtime_error(("Unable to write to " + path).toStdString());
}

} // namespace tallyfile
