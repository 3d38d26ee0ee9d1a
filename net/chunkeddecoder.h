#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace http {

// Takes the chunk framing off a body sent with "Transfer-Encoding: chunked", piece by piece
// as it arrives, so that a download can go on streaming to its file. Chunk extensions and
// trailer lines are read and dropped.
class ChunkedDecoder {
public:
    enum class State { Running, Finished, Invalid };

    // A size line or trailer line longer than this is not framing this program can use.
    static constexpr qsizetype maxLineSize = 4096;
    // All trailer lines together.
    static constexpr qsizetype maxTrailerSize = 64 * 1024;

    // Decodes the next received bytes and appends the body bytes among them to `body`.
    // Finished once the last, empty chunk and the trailer have arrived; bytes after that
    // are ignored. Invalid for a malformed size line, a chunk not followed by its line end,
    // or overlong framing; it then stays invalid.
    State feed(QByteArrayView received, QByteArray &body);

    State state() const;
    bool finished() const { return state() == State::Finished; }
    bool failed() const { return state() == State::Invalid; }

private:
    enum class Stage { SizeLine, Data, DataEnd, DataEndLineFeed, Trailer, Finished, Invalid };

    // Consumes bytes of the line being read up to and including its line feed; true once
    // the line is complete, then it is in m_line without its CR LF.
    bool takeLine(QByteArrayView &received);
    void readSizeLine();
    void readTrailerLine();

    Stage m_stage = Stage::SizeLine;
    QByteArray m_line;
    qint64 m_remaining = 0;
    qsizetype m_trailerSize = 0;
};

} // namespace http
