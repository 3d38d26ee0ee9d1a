#include "net/chunkeddecoder.h"

#include <gtest/gtest.h>

using http::ChunkedDecoder;
using State = ChunkedDecoder::State;

namespace {

const QByteArray framed = "5;lang=en\r\nHello\r\n"
                          "7 \n, world\n"
                          "0;last\r\nTrailer: a\r\nOther: b\r\n\r\n"
                          "after the end";

} // namespace

TEST(ChunkedDecoder, BodyIsTheSameHoweverTheBytesArrive)
{
    ChunkedDecoder whole;
    QByteArray body;
    EXPECT_EQ(whole.feed(framed, body), State::Finished);
    EXPECT_EQ(body, "Hello, world");

    ChunkedDecoder byByte;
    QByteArray pieces;
    for (qsizetype i = 0; i < framed.size(); ++i) {
        const State state = byByte.feed(framed.sliced(i, 1), pieces);
        ASSERT_NE(state, State::Invalid) << i;
        // Finished exactly when the trailer's empty line has arrived.
        EXPECT_EQ(state == State::Finished, i >= framed.indexOf("after") - 1) << i;
    }
    EXPECT_EQ(pieces, "Hello, world");
}

TEST(ChunkedDecoder, MalformedFramingStaysInvalid)
{
    for (const QByteArray &bad :
         {QByteArray("\r\nHello\r\n"), QByteArray("x5\r\nHello\r\n"), QByteArray("5x\r\nHello\r\n"),
          QByteArray("5\r\nHello!\r\n"), QByteArray("5\r\nHello\r!"),
          QByteArray("1000000000000000\r\n"), QByteArray(ChunkedDecoder::maxLineSize + 3, '1')}) {
        ChunkedDecoder decoder;
        QByteArray body;
        EXPECT_EQ(decoder.feed(bad, body), State::Invalid) << bad.left(20).constData();
        EXPECT_EQ(decoder.feed("0\r\n\r\n", body), State::Invalid);
    }
    ChunkedDecoder endless;
    QByteArray body;
    const QByteArray trailer = "T: " + QByteArray(1000, 't') + "\r\n";
    State state = endless.feed("0\r\n", body);
    for (int i = 0; i < 100 && state == State::Running; ++i)
        state = endless.feed(trailer, body);
    EXPECT_EQ(state, State::Invalid);
}
