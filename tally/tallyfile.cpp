#include "tally/tallyfile.h"

#include "tally/codec/lzrw1.h"
#include "tally/tallyrecord.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <fstream>
#include <sstream>

namespace {

// Runs the component between two streams, keeping the windows alive while it works.
std::string pack(std::istream &in, bool compress)
{
    std::ostringstream out;
    Tlzrw1 doit;
    doit.CompressMode = TCompressMode::Fast;
    doit.UseStream = true;
    doit.InputStream = &in;
    doit.OutputStream = &out;
    doit.onIdle = [] { QCoreApplication::processEvents(); };
    if (compress)
        doit.Compress();
    else
        doit.Decompress();
    return out.str();
}

} // namespace

namespace tallyfile {

void load(const QString &path, TallyRecord &record)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    const std::string text = pack(in, false);
    record.readText(QByteArray::fromStdString(text));
}

void save(const QString &path, const TallyRecord &record)
{
    std::istringstream in(record.toText().toStdString());
    const std::string packed = pack(in, true);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(packed.data(), static_cast<qint64>(packed.size())) !=
            static_cast<qint64>(packed.size()) ||
        !file.commit())
        throw std::runtime_error(("Unable to write to " + path).toStdString());
}

} // namespace tallyfile
