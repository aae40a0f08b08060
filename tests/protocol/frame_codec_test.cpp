#include "protocol/frame_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace lgcset::protocol;
using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// Collects what the assembler hands on.
struct Receiver {
    FrameAssembler assembler;
    std::vector<ReceivedFrame> frames;
    std::vector<Bytes> raw;

    Receiver() {
        assembler.SetOnFrame([this](const ReceivedFrame& f) { frames.push_back(f); });
        assembler.SetOnRawFrame(
            [this](std::span<const std::uint8_t> r) { raw.emplace_back(r.begin(), r.end()); });
    }
    void FeedByteByByte(const Bytes& wire) {
        for (const std::uint8_t b : wire) {
            assembler.Feed(b);
        }
    }
};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

const Bytes kCurrentDataWire{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5};

}  // namespace

// --- Sending side: check, stuffing, layout ---------------------------------------------

TEST(FrameSend, CheckIsTheInvertedWrappingSum) {
    // Bytes 1..3 sum to 0x0020: check 0xFFDF, sent DF FF.
    const Bytes frame{0xA5, 0x10, 0x0F, 0x01, 0x77};
    EXPECT_EQ(FrameChecksum(frame, 1, 3), 0xFFDF);
    const Bytes built = BuildFrame(0x17, {});
    EXPECT_EQ(built[8], 0xE1);
    EXPECT_EQ(built[9], 0xFF);

    // 300 x 0xFF = 76500, which wraps to 0x2AD4 (no end-around carry): check 0xD52B.
    const Bytes ones(301, 0xFF);
    EXPECT_EQ(FrameChecksum(ones, 1, 300), 0xD52B);
    EXPECT_EQ(FrameChecksum(ones, 5, 4), 0);
}

TEST(FrameSend, RequestExamplesGoOutAsDocumented) {
    EXPECT_EQ(EscapeFrame(BuildFrame(0x17, {})), kCurrentDataWire);
    EXPECT_EQ(EscapeFrame(BuildFrame(0x11, Bytes{0x00, 0x04, 0x00, 0x00})),
              (Bytes{0xA5, 0x09, 0x00, 0x11, 0x01, 0x00, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0xDF,
                     0xFF, 0xA5}));

    // Record 165: the index byte 0xA5 goes out as AA 05; L and the check count it once.
    const Bytes unstuffed = BuildFrame(0x16, Bytes{0xA5, 0x00});
    EXPECT_EQ(unstuffed, (Bytes{0xA5, 0x07, 0x00, 0x16, 0x01, 0x00, 0x01, 0x00, 0xA5, 0x00, 0x3B,
                                0xFF, 0xA5}));
    EXPECT_EQ(EscapeFrame(unstuffed), (Bytes{0xA5, 0x07, 0x00, 0x16, 0x01, 0x00, 0x01, 0x00, 0xAA,
                                             0x05, 0x00, 0x3B, 0xFF, 0xA5}));
}

TEST(FrameSend, StuffingCoversEveryInnerByteButNeverTheDelimiters) {
    const Bytes frame{0xA5, 0xAA, 0xA5, 0x00, 0xAA, 0xA5};
    EXPECT_EQ(EscapeFrame(frame), (Bytes{0xA5, 0xAA, 0x0A, 0xAA, 0x05, 0x00, 0xAA, 0x0A, 0xA5}));
    Bytes decoded;
    UnescapeFrame(EscapeFrame(frame), decoded);
    EXPECT_EQ(decoded, frame);
}

// --- Receiving: the documented cases --------------------------------------------------

TEST(FrameReceive, NoiseBeforeTheFrameIsDiscarded) {
    Receiver rx;
    rx.FeedByteByByte(Concat({Bytes{0x00, 0x13, 0xAA, 0x05, 0xFF}, kCurrentDataWire}));
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.raw, std::vector<Bytes>{kCurrentDataWire});
}

TEST(FrameReceive, EmptyPayloadArrivesWithCountZeroAndAnAreaOfFF) {
    Receiver rx;
    rx.FeedByteByByte(kCurrentDataWire);
    ASSERT_EQ(rx.frames.size(), 1u);
    const ReceivedFrame& f = rx.frames[0];
    EXPECT_EQ(f.command(), 0x17);
    EXPECT_EQ(f.length(), 5);
    EXPECT_EQ(f.payloadCount, 0);
    for (const std::uint8_t b : f.payload) {
        ASSERT_EQ(b, 0xFF);
    }
}

TEST(FrameReceive, StuffedPayloadAndCheckBytesAreDecoded) {
    Receiver rx;
    // Payload AA A5 (check 91 FE).
    rx.FeedByteByByte(Bytes{0xA5, 0x07, 0x00, 0x16, 0x01, 0x00, 0x01, 0x00, 0xAA, 0x0A, 0xAA, 0x05,
                            0x91, 0xFE, 0xA5});
    // Payload 3B, whose check low byte is 0xA5 (check A5 FF).
    rx.FeedByteByByte(
        Bytes{0xA5, 0x06, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0x3B, 0xAA, 0x05, 0xFF, 0xA5});
    ASSERT_EQ(rx.frames.size(), 2u);
    EXPECT_THAT(rx.frames[0].Payload(), ElementsAre(0xAA, 0xA5));
    EXPECT_EQ(rx.frames[0].length(), 7);
    EXPECT_THAT(rx.frames[1].Payload(), ElementsAre(0x3B));
}

TEST(FrameReceive, CorruptedFrameIsEchoedButNotDispatched) {
    Bytes corrupted = kCurrentDataWire;
    corrupted[3] = 0x18;
    Receiver rx;
    rx.FeedByteByByte(corrupted);
    EXPECT_TRUE(rx.frames.empty());
    EXPECT_EQ(rx.raw, std::vector<Bytes>{corrupted});
    // Nothing carries over: the next good frame is taken.
    rx.FeedByteByByte(kCurrentDataWire);
    EXPECT_EQ(rx.frames.size(), 1u);
}

TEST(FrameReceive, ByteBeforeTheCheckIsSkippedWhileThePositionStays) {
    Receiver rx;
    rx.FeedByteByByte(
        Bytes{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0x33, 0xE1, 0xFF, 0xA5});
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.frames[0].payloadCount, 0);
}

TEST(FrameReceive, BadEscapeCodeIsDroppedAndTheNextByteIsTheCode) {
    // AA 33 05: 0x33 is dropped, 0x05 completes the escape as 0xA5. Payload A5, check 3B FF.
    Receiver rx;
    rx.FeedByteByByte(
        Bytes{0xA5, 0x06, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xAA, 0x33, 0x05, 0x3B, 0xFF, 0xA5});
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_THAT(rx.frames[0].Payload(), ElementsAre(0xA5));
}

TEST(FrameReceive, UnknownCommandAndReplyHeaderBytesPassTheCodec) {
    // Command 0x7E with header bytes 00 00 00 00: check 7C FF.
    Receiver rx;
    rx.FeedByteByByte(Bytes{0xA5, 0x05, 0x00, 0x7E, 0x00, 0x00, 0x00, 0x00, 0x7C, 0xFF, 0xA5});
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.frames[0].command(), 0x7E);
    EXPECT_EQ(rx.frames[0].header,
              (std::array<std::uint8_t, 8>{0xA5, 0x05, 0x00, 0x7E, 0, 0, 0, 0}));
}

TEST(FrameReceive, ClosingDelimiterDoesNotOpenTheNextFrame) {
    // Two frames back to back with junk between them that holds no 0xA5.
    Receiver rx;
    rx.FeedByteByByte(Concat({kCurrentDataWire, Bytes{0x05, 0x00, 0x17}, kCurrentDataWire}));
    EXPECT_EQ(rx.frames.size(), 2u);
    EXPECT_EQ(rx.raw.size(), 2u);
    EXPECT_FALSE(rx.assembler.InFrame());
}

TEST(FrameReceive, StrayDelimiterDoesNotPutTheAssemblerOutOfStep) {
    // A lone 0xA5 between replies, and a reply cut short before its check's high byte:
    // both would otherwise shift every later reply by one delimiter.
    const Bytes truncated(kCurrentDataWire.begin(), kCurrentDataWire.end() - 2);
    const Bytes lone = Concat({Bytes{0xA5}, kCurrentDataWire, kCurrentDataWire});
    // The cut reply swallows the next one's start; the one after that is taken.
    const Bytes cut = Concat({truncated, kCurrentDataWire, kCurrentDataWire});

    Receiver bytewise;
    bytewise.FeedByteByByte(lone);
    EXPECT_EQ(bytewise.frames.size(), 2u);
    bytewise.FeedByteByByte(cut);
    EXPECT_EQ(bytewise.frames.size(), 3u);
    bytewise.FeedByteByByte(kCurrentDataWire);
    EXPECT_EQ(bytewise.frames.size(), 4u);

    Receiver whole;
    whole.assembler.Feed(Concat({lone, cut, kCurrentDataWire}));
    EXPECT_EQ(whole.frames.size(), 4u);
    EXPECT_EQ(whole.raw, bytewise.raw);
}

// --- Receiving: any frame, any split ---------------------------------------------------

TEST(FrameReceive, RandomFramesSurviveStuffingAndAnySplit) {
    std::mt19937 rng(20260);
    std::vector<std::pair<std::uint8_t, Bytes>> sent;
    Bytes wire;
    for (int n = 0; n < 400; ++n) {
        const auto command = static_cast<std::uint8_t>(rng());
        Bytes payload(rng() % (kPayloadArea + 1));
        for (auto& b : payload) {
            const unsigned r = rng() % 8;  // plenty of bytes that need stuffing
            b = r == 0 ? 0xA5 : r == 1 ? 0xAA : static_cast<std::uint8_t>(rng());
        }
        const Bytes stuffed = EscapeFrame(BuildFrame(command, payload));
        wire.insert(wire.end(), stuffed.begin(), stuffed.end());
        for (unsigned noise = rng() % 4; noise > 0; --noise) {
            wire.push_back(static_cast<std::uint8_t>(rng() % 0xA5));
        }
        sent.emplace_back(command, payload);
    }

    const auto expectAll = [&](const std::vector<ReceivedFrame>& got) {
        ASSERT_EQ(got.size(), sent.size());
        for (std::size_t i = 0; i < sent.size(); ++i) {
            ASSERT_EQ(got[i].command(), sent[i].first) << "frame " << i;
            ASSERT_THAT(got[i].Payload(), ElementsAreArray(sent[i].second)) << "frame " << i;
            for (std::size_t k = got[i].payloadCount; k < kPayloadArea; ++k) {
                ASSERT_EQ(got[i].payload[k], 0xFF);
            }
        }
    };

    Receiver single;
    single.FeedByteByByte(wire);
    expectAll(single.frames);

    Receiver chunked;
    for (std::size_t at = 0; at < wire.size();) {
        const std::size_t n = std::min<std::size_t>(1 + rng() % 700, wire.size() - at);
        chunked.assembler.Feed(std::span(wire).subspan(at, n));
        at += n;
    }
    expectAll(chunked.frames);
    EXPECT_EQ(chunked.raw, single.raw);
}

// --- Receiving: bounds (also run under AddressSanitizer) -------------------------------

TEST(FrameBounds, LengthOutsideFiveTo261IsNeverDispatched) {
    const auto frameWithLength = [](std::uint16_t length, std::size_t payloadSize) {
        Bytes f{0xA5,
                static_cast<std::uint8_t>(length),
                static_cast<std::uint8_t>(length >> 8),
                0x11,
                0x01,
                0x00,
                0x01,
                0x00};
        f.resize(8 + payloadSize, 0x42);
        const std::uint16_t check = FrameChecksum(f, 1, f.size() - 1);
        f.push_back(static_cast<std::uint8_t>(check));
        f.push_back(static_cast<std::uint8_t>(check >> 8));
        f.push_back(0xA5);
        return EscapeFrame(f);
    };
    Receiver rx;
    rx.FeedByteByByte(frameWithLength(261, 256));  // a full payload area: taken
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.frames[0].payloadCount, 256);
    EXPECT_EQ(rx.frames[0].payload[255], 0x42);

    rx.FeedByteByByte(frameWithLength(262, 257));
    rx.FeedByteByByte(frameWithLength(0xFFFF, 300));
    rx.FeedByteByByte(frameWithLength(4, 0));
    rx.FeedByteByByte(frameWithLength(0, 0));
    EXPECT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.raw.size(), 5u);
}

TEST(FrameBounds, FrameThatNeverClosesIsGivenUpAtTheRawBufferSize) {
    Receiver rx;
    // Exactly fills the raw buffer, closing delimiter included: still a frame.
    Bytes full(kRawBufferSize, 0x00);
    full.front() = 0xA5;
    full.back() = 0xA5;
    rx.FeedByteByByte(full);
    ASSERT_EQ(rx.raw.size(), 1u);
    EXPECT_EQ(rx.raw[0].size(), kRawBufferSize);

    // One byte more without a delimiter: dropped, back to Idle, and the next 0xA5 (the
    // start of a good reply) opens a frame.
    Bytes endless(kRawBufferSize + 3000, 0x00);
    endless.front() = 0xA5;
    const Bytes wire = Concat({endless, kCurrentDataWire});
    Receiver bytewise;
    bytewise.FeedByteByByte(wire);
    EXPECT_EQ(bytewise.frames.size(), 1u);
    EXPECT_EQ(bytewise.raw, std::vector<Bytes>{kCurrentDataWire});

    Receiver whole;
    whole.assembler.Feed(wire);
    EXPECT_EQ(whole.frames.size(), 1u);
    EXPECT_EQ(whole.raw, std::vector<Bytes>{kCurrentDataWire});

    // Exactly kRawBufferSize bytes with no delimiter after the start: Idle again.
    Receiver atLimit;
    atLimit.FeedByteByByte(Bytes(endless.begin(), endless.begin() + kRawBufferSize));
    EXPECT_FALSE(atLimit.assembler.InFrame());
    EXPECT_EQ(atLimit.assembler.PendingBytes(), 0u);
}

TEST(FrameBounds, ParseStopsAtATruncatedFrame) {
    const Bytes decoded(kCurrentDataWire.begin(), kCurrentDataWire.end() - 1);
    EXPECT_FALSE(ParseFrame(decoded).has_value());
    EXPECT_FALSE(ParseFrame(Bytes{}).has_value());
    EXPECT_TRUE(ParseFrame(kCurrentDataWire).has_value());
}

// --- Callbacks -------------------------------------------------------------------------

TEST(FrameCallbacks, DispatchMayFeedTheNextFrameFromInsideItself) {
    const Bytes first = EscapeFrame(BuildFrame(0x11, Bytes(256, 0x11)));
    const Bytes second = EscapeFrame(BuildFrame(0x12, Bytes{0x01}));

    FrameAssembler assembler;
    std::vector<std::string> log;
    bool fedSecond = false;
    assembler.SetOnRawFrame([&](std::span<const std::uint8_t> raw) {
        log.push_back("raw " + std::to_string(raw.size()));
    });
    assembler.SetOnAccepted([&] { log.push_back("accepted"); });
    assembler.SetOnFrame([&](const ReceivedFrame& frame) {
        log.push_back("frame " + std::to_string(frame.command()));
        if (!fedSecond) {
            fedSecond = true;
            // As a modal box would: deliver the next reply one byte at a time.
            for (const std::uint8_t b : second) {
                assembler.Feed(b);
            }
            // The frame being handled is untouched by the nested one.
            EXPECT_EQ(frame.command(), 0x11);
            EXPECT_EQ(frame.payloadCount, 256);
            EXPECT_EQ(frame.payload[255], 0x11);
            log.push_back("back in frame 17");
        }
    });
    assembler.Feed(first);
    EXPECT_EQ(log, (std::vector<std::string>{"raw " + std::to_string(first.size()), "accepted",
                                             "frame 17", "raw " + std::to_string(second.size()),
                                             "accepted", "frame 18", "back in frame 17"}));
    EXPECT_FALSE(assembler.InFrame());

    // And the assembler is still in step afterwards.
    log.clear();
    assembler.Feed(kCurrentDataWire);
    EXPECT_EQ(log, (std::vector<std::string>{"raw 11", "accepted", "frame 23"}));
}

TEST(FrameCallbacks, BytesFedFromInsideADispatchQueueBehindTheRestOfTheOuterRun) {
    // One run from the line holds a whole reply and the start of the next; the rest of the
    // next arrives while the first is being handled (a modal box's nested loop).
    const Bytes first = EscapeFrame(BuildFrame(0x11, Bytes{0x01}));
    const Bytes second = EscapeFrame(BuildFrame(0x12, Bytes{0xA5, 0x02, 0xAA}));
    Bytes run = first;
    run.insert(run.end(), second.begin(), second.begin() + 6);
    const Bytes later(second.begin() + 6, second.end());

    FrameAssembler assembler;
    std::vector<std::string> log;
    assembler.SetOnFrame([&](const ReceivedFrame& frame) {
        log.push_back("frame " + std::to_string(frame.command()));
        if (frame.command() == 0x11) {
            assembler.Feed(later);
            log.push_back("back in frame 17");
        }
    });
    assembler.Feed(run);
    EXPECT_EQ(log, (std::vector<std::string>{"frame 17", "frame 18", "back in frame 17"}));
    EXPECT_FALSE(assembler.InFrame());
}

TEST(FrameCallbacks, AThrowingCallbackLeavesNothingOfItsRunBehind) {
    FrameAssembler assembler;
    std::vector<int> commands;
    assembler.SetOnFrame([&](const ReceivedFrame& frame) {
        commands.push_back(frame.command());
        if (frame.command() == 0x11) {
            throw std::runtime_error("handler failed");
        }
    });
    {
        Bytes run = EscapeFrame(BuildFrame(0x11, Bytes{}));
        const Bytes rest = EscapeFrame(BuildFrame(0x12, Bytes{}));
        run.insert(run.end(), rest.begin(), rest.end());
        EXPECT_THROW(assembler.Feed(run), std::runtime_error);
    }  // the run is gone: nothing may read it later
    assembler.Feed(kCurrentDataWire);
    EXPECT_EQ(commands, (std::vector<int>{0x11, 0x17}));
}
