// Byte streams, bit access and the coders: every coder must give back
// exactly what it was given, whatever the bytes; a block never grows by more
// than its flags byte; decoding arbitrary bytes never reads or writes
// outside its buffers (run under the sanitizers).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "mini_host.h"
#include "stream/bit_io.h"
#include "stream/block_compress.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace tymlp;

class Streams : public ::testing::Test {
  protected:
    void SetUp() override { minihost::install(); }
    void TearDown() override { EXPECT_EQ(minihost::state().live_blocks, 0); }

    // Runs one coder's encode (and decode) over memory streams, no block.
    static bool code(int type, bool encode, const Bytes& in, Bytes* out, size_t room, int flags = 0) {
        Coder* c = zcpaloc(nullptr, type);
        ByteStream* r = zbsaloc(nullptr, kStreamMemory, kStreamRead);
        ByteStream* w = zbsaloc(nullptr, kStreamMemory, kStreamWrite);
        out->assign(room, 0);
        stream_register(nullptr, r, kInfoAppendSegment, const_cast<uint8_t*>(in.data()), in.size());
        stream_register(nullptr, w, kInfoAppendSegment, out->data(), room);
        c->flags |= flags;
        coder_set_stream(nullptr, c, kCoderInfoInput, r);
        coder_set_stream(nullptr, c, kCoderInfoOutput, w);
        const int rc = encode ? coder_encode(nullptr, c) : coder_decode(nullptr, c);
        out->resize(rc == 0 ? w->count : 0);
        coder_close(nullptr, c);
        stream_close(nullptr, r);
        stream_close(nullptr, w);
        return rc == 0;
    }

    static Bytes compress(int type, const Bytes& in) {
        Coder* c = zcpaloc(nullptr, type);
        Bytes out(in.size() + 1);
        int64_t length = 0;
        EXPECT_EQ(block_compress(nullptr, c, in.data(), in.size(), out.data(), &length), 0);
        coder_close(nullptr, c);
        out.resize(length);
        return out;
    }

    static bool decompress(int type, const Bytes& block, Bytes* out, size_t capacity) {
        Coder* c = zcpaloc(nullptr, type);
        Bytes room(capacity + 16, 0xAB);  // a fence past the capacity
        int64_t length = 0;
        const int rc = block_decompress(nullptr, c, block.data(), block.size(), room.data(), capacity, &length);
        coder_close(nullptr, c);
        for (size_t k = capacity; k < room.size(); ++k) EXPECT_EQ(room[k], 0xAB) << "written past the capacity";
        EXPECT_LE(length, static_cast<int64_t>(capacity));
        out->assign(room.begin(), room.begin() + length);
        return rc == 0;
    }
};

const int kTypes[] = {kCoderStored, kCoderHuffman, kCoderAdaptiveHuffman, kCoderContextModel};

// Inputs of the kinds node records are made of, and the awkward ones.
std::vector<Bytes> sample_inputs(std::mt19937& rng) {
    std::vector<Bytes> inputs;
    inputs.push_back({});
    inputs.push_back({0});
    inputs.push_back({255});
    inputs.push_back(Bytes(1000, 7));  // one value only
    Bytes all(256);
    for (int k = 0; k < 256; ++k) all[k] = static_cast<uint8_t>(k);
    inputs.push_back(all);
    for (int n : {3, 40, 300, 5000}) {
        Bytes random(n);
        for (auto& b : random) b = static_cast<uint8_t>(rng());
        inputs.push_back(random);
        Bytes skewed(n);  // mostly zeros and small integers, like packed bounds
        for (auto& b : skewed) b = rng() % 10 < 7 ? 0 : static_cast<uint8_t>(rng() % 4);
        inputs.push_back(skewed);
    }
    Bytes doubles;  // a record of doubles with repeated values
    for (int k = 0; k < 200; ++k) {
        const double v = (k % 5) * 0.5;
        const auto* p = reinterpret_cast<const uint8_t*>(&v);
        doubles.insert(doubles.end(), p, p + sizeof v);
    }
    inputs.push_back(doubles);
    return inputs;
}

TEST_F(Streams, EveryCoderRoundTripsEveryInputThroughABlock) {
    std::mt19937 rng(11);
    for (const Bytes& in : sample_inputs(rng))
        for (int type : kTypes) {
            const Bytes block = compress(type, in);
            ASSERT_GE(block.size(), 1u);
            EXPECT_LE(block.size(), in.size() + 1) << "type " << type;
            Bytes back;
            ASSERT_TRUE(decompress(type, block, &back, in.size())) << "type " << type << " size " << in.size();
            EXPECT_EQ(back, in) << "type " << type << " size " << in.size();
        }
}

TEST_F(Streams, RedundantRecordsShrinkAndIncompressibleOnesAreStored) {
    std::mt19937 rng(5);
    Bytes skewed(4000);
    for (auto& b : skewed) b = rng() % 10 < 8 ? 0 : static_cast<uint8_t>(rng() % 3);
    for (int type : {kCoderHuffman, kCoderAdaptiveHuffman, kCoderContextModel}) {
        const Bytes block = compress(type, skewed);
        EXPECT_EQ(block[0] & kBlockStored, 0) << "type " << type;
        EXPECT_LT(block.size(), skewed.size() / 2) << "type " << type;
    }
    // Stored type never shrinks, and random bytes do not shrink: flags byte 1
    // followed by the input.
    Bytes random(500);
    for (auto& b : random) b = static_cast<uint8_t>(rng());
    for (int type : kTypes) {
        const Bytes block = compress(type, type == kCoderStored ? skewed : random);
        const Bytes& in = type == kCoderStored ? skewed : random;
        ASSERT_EQ(block.size(), in.size() + 1) << "type " << type;
        EXPECT_EQ(block[0], kBlockStored);
        EXPECT_TRUE(std::equal(in.begin(), in.end(), block.begin() + 1));
    }
}

TEST_F(Streams, LongInputsRebuildTheAdaptiveTreeAndFlushTheContextModel) {
    // 200 000 bytes push the adaptive tree's root weight past its ceiling
    // several times; changing statistics make the context model's output
    // stop shrinking, which is when it flushes.
    std::mt19937 rng(3);
    Bytes in(200000);
    for (size_t k = 0; k < in.size(); ++k)
        in[k] = k < 100000 ? static_cast<uint8_t>(rng() % 3) : static_cast<uint8_t>(rng() % 200 + k / 1000);
    for (int type : {kCoderHuffman, kCoderAdaptiveHuffman, kCoderContextModel}) {
        Bytes coded, back;
        ASSERT_TRUE(code(type, true, in, &coded, in.size() * 2)) << type;
        ASSERT_TRUE(code(type, false, coded, &back, in.size())) << type;
        EXPECT_EQ(back, in) << type;
    }
    // Model orders 0 to 3 all round-trip; order 4 is refused.
    Coder* c = zcpaloc(nullptr, kCoderContextModel);
    EXPECT_EQ(coder_set_info(nullptr, c, kCoderInfoOrder, 4), 1);
    coder_close(nullptr, c);
    for (int order = 0; order <= 3; ++order) {
        Bytes coded(in.size() * 2), back(in.size());
        Coder* enc = zcpaloc(nullptr, kCoderContextModel);
        ASSERT_EQ(coder_set_info(nullptr, enc, kCoderInfoOrder, order), 0);
        int64_t length = 0;
        ASSERT_EQ(block_compress(nullptr, enc, in.data(), 20000, coded.data(), &length), 0);
        coder_close(nullptr, enc);
        Bytes out;
        coded.resize(length);
        ASSERT_TRUE(decompress(kCoderContextModel, coded, &out, 20000)) << order;  // the order travels in the header
        EXPECT_TRUE(std::equal(out.begin(), out.end(), in.begin()) && out.size() == 20000) << order;
    }
}

TEST_F(Streams, IncompressibleInputFlushesTheContextModelEveryWindow) {
    std::mt19937 rng(9);
    Bytes in(2048);
    for (auto& b : in) b = static_cast<uint8_t>(rng());
    Bytes coded, back;
    ASSERT_TRUE(code(kCoderContextModel, true, in, &coded, 4096, kCoderTrace));
    int flushes = 0;
    for (const std::string& note : minihost::state().notes)
        flushes += note.find("Coding flush signal") != std::string::npos;
    EXPECT_EQ(flushes, 8);
    ASSERT_TRUE(code(kCoderContextModel, false, coded, &back, in.size()));
    EXPECT_EQ(back, in);
}

TEST_F(Streams, CoderDetailsTheDecoderReliesOn) {
    // Type 1 on an empty input: a count table giving byte 0 the count 1 (one
    // run 0..0, then the end of the table; a byte a number), then the end
    // symbol's code.
    Bytes coded;
    ASSERT_TRUE(code(kCoderHuffman, true, {}, &coded, 64));
    const Bytes table = {0, 0, 0, 1,  // header: the type
                         0, 0, 1, 0};  // first 0, last 0, count 1, end of the table
    ASSERT_GE(coded.size(), table.size());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), coded.begin()));
    // Type 3: a new byte goes out as the escape's path and then its own 8
    // bits.  The first tree is root, end (bit 0), escape (bit 1): the escape
    // is the single bit 1, then 0x41.
    ASSERT_TRUE(code(kCoderAdaptiveHuffman, true, {0x41}, &coded, 64, kCoderNoHeader));
    ASSERT_GE(coded.size(), 2u);
    EXPECT_EQ(coded[0], 0x80 | (0x41 >> 1));
    EXPECT_EQ(coded[1] & 0x80, 0x80);  // the last bit of 0x41
}

TEST_F(Streams, BitsAndIntegersKeepTheirOrderAndTheEndIsReported) {
    Bytes buffer(4, 0);
    ByteStream* w = zbsaloc(nullptr, kStreamMemory, kStreamWrite);
    stream_register(nullptr, w, kInfoAppendSegment, buffer.data(), 2);
    stream_register(nullptr, w, kInfoAppendSegment, buffer.data() + 2, 2);  // a second segment
    stream_begin(nullptr, w);
    EXPECT_TRUE(write_bits(nullptr, w, 0x5, 3));  // 101
    EXPECT_TRUE(write_bits(nullptr, w, 0x1FFF, 13));
    // An integer in portable order: its first two bytes fit the second
    // segment, then the room ends.
    EXPECT_FALSE(write_int4(nullptr, w, 0x01020304));
    stream_close(nullptr, w);
    EXPECT_EQ(buffer, (Bytes{0xBF, 0xFF, 0x01, 0x02}));

    ByteStream* r = zbsaloc(nullptr, kStreamMemory, kStreamRead);
    const Bytes data = {0xA5, 0x00, 0x00, 0x01};
    stream_register(nullptr, r, kInfoAppendSegment, const_cast<uint8_t*>(data.data()), 1);
    stream_register(nullptr, r, kInfoAppendSegment, const_cast<uint8_t*>(data.data()) + 1, 3);
    stream_begin(nullptr, r);
    uint32_t v = 0;
    EXPECT_TRUE(read_bits(nullptr, r, 4, &v));
    EXPECT_EQ(v, 0xAu);
    EXPECT_TRUE(read_bits(nullptr, r, 4, &v));
    EXPECT_EQ(v, 0x5u);
    int32_t i = 0;
    EXPECT_TRUE(read_int4(nullptr, r, &i) == false);  // only 3 bytes are left
    stream_close(nullptr, r);

    // Replacing the last segment with a length of 0 removes it.
    ByteStream* s = zbsaloc(nullptr, kStreamMemory, kStreamRead);
    stream_register(nullptr, s, kInfoAppendSegment, const_cast<uint8_t*>(data.data()), 4);
    EXPECT_EQ(stream_register(nullptr, s, kInfoReplaceSegment, nullptr, 0), 0);
    stream_begin(nullptr, s);
    EXPECT_EQ(read_bit(nullptr, s), -1);
    EXPECT_EQ(stream_register(nullptr, s, 9, nullptr, 0), 1);
    stream_close(nullptr, s);
}

TEST_F(Streams, UnknownKindsTypesAndInformationAreRefusedWithANote) {
    EXPECT_EQ(zbsaloc(nullptr, 6, kStreamRead), nullptr);
    EXPECT_EQ(zcpaloc(nullptr, 2), nullptr);
    EXPECT_EQ(zcpaloc(nullptr, 4), nullptr);
    Coder* c = zcpaloc(nullptr, kCoderHuffman);
    EXPECT_EQ(coder_set_info(nullptr, c, 7, 0), 1);
    coder_close(nullptr, c);
    const auto& notes = minihost::state().notes;
    auto said = [&](const char* text) {
        for (const auto& n : notes)
            if (n.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(said("zbsaloc: Byte stream type not recognized."));
    EXPECT_TRUE(said("zcpaloc: Compression type not recognized."));
    EXPECT_TRUE(said("Information type not recognized for this stream."));
}

TEST_F(Streams, ArbitraryBytesNeverDecodeOutsideTheirBuffers) {
    std::mt19937 rng(1234);
    std::vector<Bytes> valid;
    for (const Bytes& in : sample_inputs(rng))
        for (int type : kTypes) valid.push_back(compress(type, in));
    for (int trial = 0; trial < 3000; ++trial) {
        const int type = kTypes[trial % 4];
        Bytes block;
        if (trial % 2 == 0) {  // pure noise, coded flag clear
            block.resize(1 + rng() % 300);
            for (auto& b : block) b = static_cast<uint8_t>(rng());
            block[0] = 0;
        } else {  // a valid block with a few bytes changed or cut short
            block = valid[rng() % valid.size()];
            if (block.size() > 1) {
                for (int k = 0; k < 3; ++k)
                    block[1 + rng() % (block.size() - 1)] ^= static_cast<uint8_t>(1 + rng() % 255);
                if (rng() % 3 == 0) block.resize(1 + rng() % block.size());
            }
        }
        Bytes out;
        decompress(type, block, &out, rng() % 600);  // any result, but inside the buffers
    }
}

}  // namespace
