#include "sim/SimCodec.h"
#include "base/TestHex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DecodeCase {
    const char* frame;
    ModuleMode mode;
    bool decoded;
    SimFrameKind kind;
    const char* message;
    bool crcOk;
    bool lengthOk;
};

const DecodeCase kDecodeCases[] = {
    // The status request with its CRC 6B 9C.
    {"FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF", ModuleMode::Application, true, SimFrameKind::Uecp,
     "2D 03 4E 53 02", true, true},
    {"FE 00 00 00 05 2D 03 4E 53 02 6B 9D FF", ModuleMode::Application, true, SimFrameKind::Uecp,
     "2D 03 4E 53 02", false, true},
    // MFL larger than the bytes present: only the present bytes, length flagged.
    {"FE 00 00 00 09 2D 03 4E 53 02 6B 9C FF", ModuleMode::Application, true, SimFrameKind::Uecp,
     "2D 03 4E 53 02", false, false},
    // The loader frame of a flash offset; while the application runs it is no loader frame.
    {"FE 00 05 08 00 10 00 00 FF", ModuleMode::Loader, true, SimFrameKind::Loader, "08 00 10 00 00",
     true, true},
    {"FE 00 05 08 00 10 00 00 FF", ModuleMode::Application, true, SimFrameKind::Uecp, "", false,
     false},
    // A UECP frame reaches a running loader too (its address is 0).
    {"FE 00 00 00 05 2D 03 4E 53 02 6B 9C FF", ModuleMode::Loader, true, SimFrameKind::Uecp,
     "2D 03 4E 53 02", true, true},
    {"FE FF", ModuleMode::Loader, false, SimFrameKind::Uecp, "", false, false},
    {"FE 00 00 00 FF", ModuleMode::Application, false, SimFrameKind::Uecp, "", false, false},
};

TEST(SimCodec, DecodesRequests) {
    for (const DecodeCase& c : kDecodeCases) {
        const std::vector<uint8_t> bytes = Hex(c.frame);
        const auto request = DecodeSimFrame(bytes.data(), static_cast<int>(bytes.size()), c.mode);
        SCOPED_TRACE(c.frame);
        ASSERT_EQ(request.has_value(), c.decoded);
        if (!c.decoded) {
            continue;
        }
        EXPECT_EQ(request->kind == SimFrameKind::Loader, c.kind == SimFrameKind::Loader);
        EXPECT_EQ(ToHex(request->message), c.message);
        EXPECT_EQ(request->crcOk, c.crcOk);
        EXPECT_EQ(request->lengthOk, c.lengthOk);
    }
}

TEST(SimCodec, EncodedFramesDecodeToTheSameMessage) {
    SimFrame uecp;
    uecp.address = 0xFEFD;
    uecp.sequence = 0xFF;
    uecp.message = Hex("2D 09 4E 53 04 FD FE FF 00 01 02");
    SimFrame loader;
    loader.kind = SimFrameKind::Loader;
    loader.message.assign(751, 0xFF); // the largest loader frame, every byte escaped
    for (const SimFrame& f : {uecp, loader}) {
        const std::vector<uint8_t> bytes = EncodeSimFrame(f);
        ASSERT_FALSE(bytes.empty());
        const auto back =
            DecodeSimFrame(bytes.data(), static_cast<int>(bytes.size()), ModuleMode::Loader);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->message, f.message);
        EXPECT_TRUE(back->crcOk);
        EXPECT_EQ(back->address, f.kind == SimFrameKind::Uecp ? f.address : 0);
    }
    SimFrame tooLong;
    tooLong.message.assign(256, 0);
    EXPECT_TRUE(EncodeSimFrame(tooLong).empty());
}

TEST(SimFrameAssembler, CutsFramesUpToTheLargestLoaderFrame) {
    SimFrame loader;
    loader.kind = SimFrameKind::Loader;
    loader.message.assign(751, 0xFE);
    const std::vector<uint8_t> big = EncodeSimFrame(loader);
    ASSERT_EQ(big.size(), 1506u); // every payload byte escaped

    std::vector<uint8_t> stream = Hex("00 11 FE 22 FE 33 FF 44");
    stream.insert(stream.end(), big.begin(), big.end());
    std::vector<uint8_t> overlong(1600, 0x01);
    overlong[0] = 0xFE;
    stream.insert(stream.end(), overlong.begin(), overlong.end());
    stream.push_back(0xFF);

    SimFrameAssembler assembler;
    std::vector<std::vector<uint8_t>> frames;
    // Fed in uneven pieces: one read is not one frame.
    for (size_t pos = 0; pos < stream.size(); pos += 97) {
        const size_t n = std::min<size_t>(97, stream.size() - pos);
        assembler.Feed(stream.data() + pos, static_cast<int>(n), frames);
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(ToHex(frames[0]), "FE 33 FF");
    EXPECT_EQ(frames[1], big);
    EXPECT_EQ(assembler.Dropped(), 2); // "FE 22" and the over-long one
}

} // namespace
