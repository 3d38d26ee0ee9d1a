#include "net/chunkeddecoder.h"

#include "common/hexdigit.h"

#include <algorithm>
#include <utility>

namespace http {

namespace {

// More hex digits than this cannot be a size this program could hold.
constexpr qsizetype maxSizeDigits = 15;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

ChunkedDecoder::State ChunkedDecoder::state() const
{
    switch (m_stage) {
    case Stage::Finished:
        return State::Finished;
    case Stage::Invalid:
        return State::Invalid;
    default:
        return State::Running;
    }
}

ChunkedDecoder::State ChunkedDecoder::feed(QByteArrayView received, QByteArray &body)
{
    while (!received.isEmpty() && state() == State::Running) {
        switch (m_stage) {
        case Stage::SizeLine:
            if (takeLine(received))
                readSizeLine();
            break;
        case Stage::Data: {
            const qsizetype take = qsizetype(std::min<qint64>(m_remaining, received.size()));
            body.append(received.first(take));
            received = received.sliced(take);
            m_remaining -= take;
            if (m_remaining == 0)
                m_stage = Stage::DataEnd;
            break;
        }
        case Stage::DataEnd:
            // The data of a chunk is followed by CR LF; servers that end lines with LF alone
            // are understood as they are in the head.
            if (received.front() == '\r')
                m_stage = Stage::DataEndLineFeed;
            else
                m_stage = received.front() == '\n' ? Stage::SizeLine : Stage::Invalid;
            received = received.sliced(1);
            break;
        case Stage::DataEndLineFeed:
            m_stage = received.front() == '\n' ? Stage::SizeLine : Stage::Invalid;
            received = received.sliced(1);
            break;
        case Stage::Trailer:
            if (takeLine(received))
                readTrailerLine();
            break;
        case Stage::Finished:
        case Stage::Invalid:
            break;
        }
    }
    return state();
}

bool ChunkedDecoder::takeLine(QByteArrayView &received)
{
    const qsizetype lineFeed = received.indexOf('\n');
    const qsizetype take = lineFeed < 0 ? received.size() : lineFeed + 1;
    m_line.append(received.first(take));
    received = received.sliced(take);
    if (m_line.size() > maxLineSize + 2) {
        m_stage = Stage::Invalid;
        return false;
    }
    if (lineFeed < 0)
        return false;
    m_line.chop(1);
    if (m_line.endsWith('\r'))
        m_line.chop(1);
    return true;
}

// "1a3;name=value": the size in hex digits, optionally followed by blanks and extensions.
void ChunkedDecoder::readSizeLine()
{
    const QByteArray line = std::exchange(m_line, {});
    qsizetype digits = 0;
    qint64 size = 0;
    for (; digits < line.size() && hexValue(line[digits]) >= 0; ++digits)
        size = size * 16 + hexValue(line[digits]);
    qsizetype rest = digits;
    while (rest < line.size() && isBlank(line[rest]))
        ++rest;
    if (digits == 0 || digits > maxSizeDigits || (rest < line.size() && line[rest] != ';')) {
        m_stage = Stage::Invalid;
        return;
    }
    m_remaining = size;
    m_stage = size > 0 ? Stage::Data : Stage::Trailer;
}

// Trailer header lines until an empty line, which ends the body.
void ChunkedDecoder::readTrailerLine()
{
    const QByteArray line = std::exchange(m_line, {});
    m_trailerSize += line.size();
    if (line.isEmpty())
        m_stage = Stage::Finished;
    else if (m_trailerSize > maxTrailerSize)
        m_stage = Stage::Invalid;
}

} // namespace http
