#include "model/gif_decoder.h"

#include <sys/stat.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/model/gif_test_writer.h"
#include "tests/model/giflib_encode.h"
#include "tests/model/temp_dir.h"
#include "tests/support/case_name.h"

namespace {

using namespace gif_test;

constexpr std::uint8_t kUntouched = 0xA5;  // fills output buffers before a decode
constexpr std::size_t kGuardBytes = 16;    // past w x h, must stay untouched

std::vector<std::uint8_t> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
    int ok = 0;
    std::int32_t width = -1;
    std::int32_t height = -1;
    std::array<std::uint8_t, kGifPaletteBytes> palette{};
    std::vector<std::uint8_t> indices;  // `capacity` bytes, kUntouched where nothing was written
};

// Decodes the bytes through a file, as the program does, into a buffer of `capacity` bytes.
Decoded DecodeFile(const std::vector<std::uint8_t>& bytes, std::size_t capacity) {
    TempFile file(bytes);
    Decoded d;
    d.palette.fill(kUntouched);
    d.indices.assign(capacity, kUntouched);
    d.ok = GifDecode(file.Path(), d.indices.data(), d.palette.data(), &d.width, &d.height);
    return d;
}

std::vector<std::uint8_t> TestPalette(int colours) {
    std::vector<std::uint8_t> palette(static_cast<std::size_t>(3 * colours));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    return palette;
}

// ---- images written by giflib ----

enum class Pattern { Noise, Runs, Gradient };

struct RoundTripCase {
    const char* name;
    int width;
    int height;
    int colours;
    Pattern pattern;
    bool gif89;
};
// clang-format off
const RoundTripCase kRoundTripCases[] = {
    {"OnePixel", 1, 1, 2, Pattern::Noise, false},
    {"TwoColoursSmallestCodeSize", 8, 8, 2, Pattern::Noise, false},
    {"SixteenColoursOddSize", 37, 19, 16, Pattern::Noise, false},
    {"Version89a", 37, 19, 16, Pattern::Noise, true},
    {"LongRunsMakeLongChains", 200, 150, 4, Pattern::Runs, false},
    {"NoiseFillsTheTableRepeatedly", 256, 256, 256, Pattern::Noise, false},
    {"GradientOneRowWide", 1, 300, 256, Pattern::Gradient, false},
};
// clang-format on

std::vector<std::uint8_t> MakeIndices(const RoundTripCase& c) {
    std::mt19937 random(12345);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(c.width) * c.height);
    int run = 0;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        switch (c.pattern) {
            case Pattern::Noise:
                value = static_cast<std::uint8_t>(random() % c.colours);
                break;
            case Pattern::Runs:
                if (run-- <= 0) {
                    run = static_cast<int>(random() % 400);
                    value = static_cast<std::uint8_t>(random() % c.colours);
                }
                break;
            case Pattern::Gradient:
                value = static_cast<std::uint8_t>(i * c.colours / indices.size());
                break;
        }
        indices[i] = value;
    }
    return indices;
}

class GifRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(GifRoundTripTest, MatchesWhatGiflibWrote) {
    const RoundTripCase& c = GetParam();
    GiflibImage image{c.width,        c.height, c.colours, TestPalette(c.colours),
                      MakeIndices(c), c.gif89};
    TempFile file({});
    ASSERT_TRUE(WriteWithGiflib(file.Path(), image));
    const std::vector<std::uint8_t> bytes = ReadAll(file.Path());
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), c.gif89 ? "GIF89a" : "GIF87a");

    const Decoded d = DecodeFile(bytes, image.indices.size() + kGuardBytes);
    ASSERT_EQ(d.ok, 1);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    std::vector<std::uint8_t> wantPalette = image.palette;
    wantPalette.resize(kGifPaletteBytes, 0);  // the rest of the buffer is zeroed
    EXPECT_EQ(std::vector<std::uint8_t>(d.palette.begin(), d.palette.end()), wantPalette);
    std::vector<std::uint8_t> want = image.indices;
    want.resize(want.size() + kGuardBytes, kUntouched);
    EXPECT_EQ(d.indices, want);

    // The same file through the in-memory entry gives the same indices.
    std::vector<std::uint8_t> fromMemory(image.indices.size());
    ASSERT_EQ(
        GifDecodeBytes(bytes.data(), bytes.size(), fromMemory.data(), nullptr, nullptr, nullptr),
        1);
    EXPECT_EQ(fromMemory, image.indices);
}
INSTANTIATE_TEST_SUITE_P(Cases, GifRoundTripTest, ::testing::ValuesIn(kRoundTripCases), CaseName());

// ---- hand-made code streams ----

// Symbolic codes, resolved against the stream's minimum code size.
constexpr int kClear = -1;
constexpr int kEnd = -2;
constexpr int Entry(int n) { return -16 - n; }  // the n-th table entry after the roots

int Resolve(int code, const LzwCodeWriter& writer) {
    if (code == kClear) return writer.Clear();
    if (code == kEnd) return writer.End();
    if (code <= Entry(0)) return writer.FirstFree() + (Entry(0) - code);
    return code;
}

std::vector<std::uint8_t> Pack(const std::vector<int>& codes, int minCodeSize) {
    LzwCodeWriter writer(minCodeSize);
    for (int code : codes) writer.Put(Resolve(code, writer));
    return writer.Finish();
}

struct StreamCase {
    const char* name;
    const char* signature;
    int screenFlags;
    int minCodeSize;
    int width;
    int height;
    std::vector<int> codes;
    std::vector<int> blockSizes;
    std::vector<int> want;  // w x h indices; -1 where the decoder writes nothing
    bool terminated = true;
};
// clang-format off
const StreamCase kStreamCases[] = {
    {"Version87a", "GIF87a", 0xF1, 2, 2, 2, {kClear, 0, 1, 2, 3, kEnd}, {255}, {0, 1, 2, 3}},
    {"OnlyTheSignatureLettersCount", "GIFxyz", 0xF1, 2, 2, 2, {kClear, 0, 1, 2, 3, kEnd}, {255},
     {0, 1, 2, 3}},
    {"TwoEntryPaletteIsSixBytes", "GIF89a", 0x00, 2, 2, 1, {kClear, 1, 0, kEnd}, {255}, {1, 0}},
    {"FullPaletteIs768Bytes", "GIF89a", 0x07, 8, 2, 1, {kClear, 255, 7, kEnd}, {255}, {255, 7}},
    {"PaletteReadWithoutTheGlobalFlag", "GIF89a", 0x03, 4, 2, 1, {kClear, 15, 9, kEnd}, {255},
     {15, 9}},
    {"MinCodeSize9StartsAt10Bits", "GIF89a", 0xF7, 9, 4, 1, {kClear, 5, 200, Entry(0), kEnd},
     {255}, {5, 200, 5, 200}},
    {"CodeOfTheEntryBeingMade", "GIF89a", 0xF1, 2, 3, 1, {kClear, 1, Entry(0), kEnd}, {255},
     {1, 1, 1}},
    {"CodeAboveTheNextSlotStandsForTheSlot", "GIF89a", 0xF1, 2, 2, 2,
     {kClear, 1, Entry(1), 0, kEnd}, {255}, {1, 1, 1, 0}},
    {"ClearThenEndAddsNothing", "GIF89a", 0xF1, 2, 4, 1, {kClear, 1, 2, kClear, kEnd}, {255},
     {1, 2, -1, -1}},
    {"RepeatedClearCodes", "GIF89a", 0xF1, 2, 1, 1, {kClear, kClear, kClear, 3, kEnd}, {255},
     {3}},
    {"FirstCodeAfterClearBeyondTableReadsAsZero", "GIF89a", 0xF1, 2, 2, 1,
     {kClear, Entry(0), 1, kEnd}, {255}, {0, 1}},
    {"CodesSplitAcrossOneByteBlocks", "GIF89a", 0xF7, 8, 7, 1,
     {kClear, 10, 20, 30, Entry(0), Entry(1), kEnd}, {1}, {10, 20, 30, 10, 20, 20, 30}},
    {"CodesSplitAtChosenBoundaries", "GIF89a", 0xF7, 8, 7, 1,
     {kClear, 10, 20, 30, Entry(0), Entry(1), kEnd}, {3, 2, 255}, {10, 20, 30, 10, 20, 20, 30}},
    {"ImageSizeEndsTheOutput", "GIF89a", 0xF1, 2, 2, 1, {kClear, 1, 2, 3, 0, kEnd}, {255},
     {1, 2}},
    {"LastStringCutAtTheImageEnd", "GIF89a", 0xF1, 2, 3, 1, {kClear, 1, 2, Entry(0), kEnd},
     {255}, {1, 2, 1}},
    {"NoEndCodeOnceTheImageIsComplete", "GIF89a", 0xF1, 2, 2, 1, {kClear, 1, 2}, {255}, {1, 2},
     false},
    // 32 roots take the code width from 3 through 6 bits; the last code refers back to [2, 3].
    {"CodeWidthGrowsWithTheTable", "GIF89a", 0xF1, 2, 34, 1,
     {kClear, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3,
      0, 1, 2, 3, 0, 1, 2, 3, Entry(10), kEnd},
     {255},
     {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3,
      0, 1, 2, 3, 0, 1, 2, 3, 2, 3}},
};
// clang-format on

std::vector<std::uint8_t> PaletteAsRead(int screenFlags) {
    std::vector<std::uint8_t> palette = TestPalette(256);
    palette.resize(std::size_t{3} << ((screenFlags & 7) + 1));
    palette.resize(kGifPaletteBytes, 0);
    return palette;
}

class GifStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(GifStreamTest, DecodesTheCodes) {
    const StreamCase& c = GetParam();
    GifImageSpec layout;
    layout.signature = c.signature;
    layout.screenFlags = c.screenFlags;
    layout.palette = TestPalette(256);
    layout.width = c.width;
    layout.height = c.height;
    layout.minCodeSize = c.minCodeSize;
    layout.codes = Pack(c.codes, c.minCodeSize);
    layout.blockSizes = c.blockSizes;
    layout.terminated = c.terminated;

    const Decoded d = DecodeFile(BuildGif(layout), c.want.size() + kGuardBytes);
    ASSERT_EQ(d.ok, 1);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(std::vector<std::uint8_t>(d.palette.begin(), d.palette.end()),
              PaletteAsRead(c.screenFlags));
    std::vector<std::uint8_t> want;
    for (int index : c.want)
        want.push_back(index < 0 ? kUntouched : static_cast<std::uint8_t>(index));
    want.resize(want.size() + kGuardBytes, kUntouched);
    EXPECT_EQ(d.indices, want);

    // The whole-image decode sizes its buffer from the image it decodes, whatever it held.
    TempFile file(BuildGif(layout));
    std::vector<std::uint8_t> image(3, kUntouched);
    std::array<std::uint8_t, kGifPaletteBytes> palette{};
    std::int32_t w = 0;
    std::int32_t h = 0;
    ASSERT_EQ(GifDecodeImage(file.Path(), image, palette.data(), w, h), 1);
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    EXPECT_EQ(palette, d.palette);
    std::vector<std::uint8_t> wantImage;
    for (int index : c.want) wantImage.push_back(index < 0 ? 0 : static_cast<std::uint8_t>(index));
    EXPECT_EQ(image, wantImage);
}
INSTANTIATE_TEST_SUITE_P(Cases, GifStreamTest, ::testing::ValuesIn(kStreamCases), CaseName());

// 12-bit codes go on after the table is full; entries made before stay as they were and no
// new ones are made until the clear code.
TEST(GifDecode, FullTableKeepsDecodingWithoutAddingEntries) {
    LzwCodeWriter writer(2);
    std::vector<std::uint8_t> want;
    auto root = [&](int index) {
        writer.Put(index);
        want.push_back(static_cast<std::uint8_t>(index));
    };
    writer.Put(writer.Clear());
    std::vector<int> roots;
    while (writer.NextEntry() < 4096) {
        const int index = static_cast<int>((roots.size() + roots.size() / 7) % 4);
        roots.push_back(index);
        root(index);
    }
    ASSERT_EQ(writer.Bits(), 12);
    // Entry 4095 holds the last two roots; entry 6, the first made, holds the first two.
    writer.Put(4095);
    want.insert(want.end(), {static_cast<std::uint8_t>(roots[roots.size() - 2]),
                             static_cast<std::uint8_t>(roots.back())});
    root(3);
    writer.Put(writer.FirstFree());
    want.insert(want.end(),
                {static_cast<std::uint8_t>(roots[0]), static_cast<std::uint8_t>(roots[1])});
    writer.Put(writer.Clear());
    root(2);
    writer.Put(writer.FirstFree());  // the entry being made: [2, 2]
    want.insert(want.end(), {2, 2});
    if (want.size() % 2 != 0) root(1);
    writer.Put(writer.End());

    GifImageSpec layout;
    layout.screenFlags = 0xF1;
    layout.palette = TestPalette(4);
    layout.minCodeSize = 2;
    layout.width = 2;
    layout.height = static_cast<int>(want.size() / 2);
    layout.codes = writer.Finish();
    const Decoded d = DecodeFile(BuildGif(layout), want.size());
    ASSERT_EQ(d.ok, 1);
    EXPECT_EQ(d.indices, want);
}

// ---- sizes ----

struct SizeCase {
    const char* name;
    int width;
    int height;
    bool accepted;
};
// clang-format off
const SizeCase kSizeCases[] = {
    {"WidthAtLimit", kGifMaxSide, 1, true},    {"HeightAtLimit", 1, kGifMaxSide, true},
    {"WidthAboveLimit", kGifMaxSide + 1, 1, false}, {"HeightAboveLimit", 1, kGifMaxSide + 1, false},
    {"ZeroWidth", 0, 1, false},                {"ZeroHeight", 1, 0, false},
    {"LargestField", 0xFFFF, 0xFFFF, false},
};
// clang-format on

class GifSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(GifSizeTest, RefusesSizesOutsideTheLimitBeforeWriting) {
    const SizeCase& c = GetParam();
    const std::size_t pixels = c.accepted ? static_cast<std::size_t>(c.width) * c.height : 4;
    GifImageSpec layout;
    layout.screenFlags = 0xF1;
    layout.minCodeSize = 2;
    layout.width = c.width;
    layout.height = c.height;
    layout.codes = LiteralCodes(std::vector<std::uint8_t>(pixels, 3), 2);
    const std::vector<std::uint8_t> bytes = BuildGif(layout);

    std::int32_t w = -1;
    std::int32_t h = -1;
    EXPECT_EQ(GifDecodeBytes(bytes.data(), bytes.size(), nullptr, nullptr, &w, &h),
              c.accepted ? 1 : 0);
    const Decoded d = DecodeFile(bytes, pixels + kGuardBytes);
    ASSERT_EQ(d.ok, c.accepted ? 1 : 0);
    std::vector<std::uint8_t> want(pixels, c.accepted ? 3 : kUntouched);
    want.resize(pixels + kGuardBytes, kUntouched);
    EXPECT_EQ(d.indices, want);
}
INSTANTIATE_TEST_SUITE_P(Cases, GifSizeTest, ::testing::ValuesIn(kSizeCases), CaseName());

// ---- bad files ----

GifImageSpec SmallSpec() {
    GifImageSpec layout;
    layout.screenFlags = 0xF1;  // four palette entries, 12 bytes
    layout.palette = TestPalette(4);
    layout.minCodeSize = 2;
    layout.width = 2;
    layout.height = 2;
    layout.codes = Pack({kClear, 0, 1, 2, 3, kEnd}, 2);
    return layout;
}

std::vector<std::uint8_t> SmallFileCut(std::size_t keep) {
    std::vector<std::uint8_t> bytes = BuildGif(SmallSpec());
    bytes.resize(keep);
    return bytes;
}

// Byte offsets in SmallSpec's file.
constexpr std::size_t kSmallWidthAt = 30;
constexpr std::size_t kSmallMinCodeSizeAt = 35;

struct BadFileCase {
    const char* name;
    std::vector<std::uint8_t> (*make)();
    bool sizeReads;  // a size-only decode, which stops before the image data, succeeds
};
// clang-format off
const BadFileCase kBadFileCases[] = {
    {"EmptyFile", [] { return std::vector<std::uint8_t>(); }, false},
    {"WrongSignature",
     [] {
         GifImageSpec layout = SmallSpec();
         layout.signature = "GIT89a";
         return BuildGif(layout);
     },
     false},
    {"EndsInScreenDescriptor", [] { return SmallFileCut(10); }, false},
    {"EndsInPalette", [] { return SmallFileCut(20); }, false},
    {"EndsInImageSize", [] { return SmallFileCut(kSmallWidthAt + 3); }, false},
    {"EndsBeforeMinCodeSize", [] { return SmallFileCut(kSmallMinCodeSizeAt); }, true},
    {"MinCodeSize1",
     [] {
         GifImageSpec layout = SmallSpec();
         layout.minCodeSize = 1;
         layout.codes = Pack({kClear, 0, 1, 0, 1, kEnd}, 1);
         return BuildGif(layout);
     },
     true},
    {"MinCodeSize10",
     [] {
         GifImageSpec layout = SmallSpec();
         layout.minCodeSize = 10;
         layout.codes = Pack({kClear, 0, 1, 2, 3, kEnd}, 10);
         return BuildGif(layout);
     },
     true},
    // The code above the next slot makes entry 7 its own prefix; naming it then never ends.
    {"CodeChainThatLoops",
     [] {
         GifImageSpec layout = SmallSpec();
         layout.width = 8;
         layout.codes = Pack({kClear, 1, Entry(1), 0, Entry(1), kEnd}, 2);
         return BuildGif(layout);
     },
     true},
    {"DataEndsBeforeTheImageIsComplete",
     [] {
         GifImageSpec layout = SmallSpec();
         layout.width = 16;  // so the last byte's padding bits cannot complete the image
         layout.height = 16;
         layout.codes = Pack({kClear, 0, 1}, 2);
         return BuildGif(layout);
     },
     true},
    {"FileEndsInsideTheData",
     [] {
         GifImageSpec layout = SmallSpec();
         layout.width = 16;
         layout.height = 16;
         layout.codes = LiteralCodes(std::vector<std::uint8_t>(256, 2), 2);
         std::vector<std::uint8_t> bytes = BuildGif(layout);
         bytes.resize(bytes.size() / 2);
         return bytes;
     },
     true},
};
// clang-format on

class GifBadFileTest : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(GifBadFileTest, Fails) {
    const BadFileCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = c.make();
    EXPECT_EQ(DecodeFile(bytes, 256 + kGuardBytes).ok, 0);
    TempFile file(bytes);
    std::int32_t w = 0;
    std::int32_t h = 0;
    EXPECT_EQ(GifDecode(file.Path(), nullptr, nullptr, &w, &h), c.sizeReads ? 1 : 0);
    std::vector<std::uint8_t> image;
    EXPECT_EQ(GifDecodeImage(file.Path(), image, nullptr, w, h), 0);
}
INSTANTIATE_TEST_SUITE_P(Cases, GifBadFileTest, ::testing::ValuesIn(kBadFileCases), CaseName());

TEST(GifDecode, FailsOnAPathThatIsNoGifFile) {
    std::uint8_t indices[4];
    EXPECT_EQ(GifDecode(nullptr, indices, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GifDecode("no-such-folder/no-such.gif", indices, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GifDecode(".", indices, nullptr, nullptr, nullptr), 0);
}

// A texture name that is a pipe or a device fails at once like a missing file, whichever
// decode reads it.
TEST(GifDecode, FailsAtOnceOnAPipeOrADevice) {
    ScopedTempDir dir;
    ASSERT_EQ(mkfifo("Pipe.gif", 0600), 0);  // opening it would wait for a writer
    std::filesystem::create_symlink("/dev/zero", "Device.gif");
    for (const char* path : {"Pipe.gif", "Device.gif"}) {
        std::uint8_t indices[4];
        std::int32_t w = 0, h = 0;
        EXPECT_EQ(GifDecode(path, indices, nullptr, &w, &h), 0) << path;
        EXPECT_EQ(GifDecode(path, nullptr, nullptr, &w, &h), 0) << path;
        std::vector<std::uint8_t> image;
        EXPECT_EQ(GifDecodeImage(path, image, nullptr, w, h), 0) << path;
    }
}

// Every early end of a real file either fails or, once all indices are in, decodes fully.
TEST(GifDecode, EveryTruncationFailsOrDecodesFully) {
    RoundTripCase c{"Noise", 16, 16, 16, Pattern::Noise, false};
    GiflibImage image{c.width, c.height, c.colours, TestPalette(c.colours), MakeIndices(c), false};
    TempFile file({});
    ASSERT_TRUE(WriteWithGiflib(file.Path(), image));
    const std::vector<std::uint8_t> bytes = ReadAll(file.Path());
    std::size_t firstDecoded = bytes.size();
    for (std::size_t keep = bytes.size(); keep-- > 0;) {
        std::vector<std::uint8_t> indices(image.indices.size(), kUntouched);
        if (GifDecodeBytes(bytes.data(), keep, indices.data(), nullptr, nullptr, nullptr)) {
            EXPECT_EQ(indices, image.indices) << "cut at " << keep;
            EXPECT_EQ(firstDecoded, keep + 1) << "a shorter cut decodes than a longer one";
            firstDecoded = keep;
        }
    }
    // Only the trailer, the terminator and the end code's (at most two) bytes may go missing.
    EXPECT_GE(firstDecoded + 4, bytes.size());
}

// A decode that fails halfway, after a full table, leaves nothing behind for the next one.
TEST(GifDecode, AFailedDecodeDoesNotAffectTheNext) {
    RoundTripCase big{"Noise", 256, 256, 256, Pattern::Noise, false};
    GiflibImage image{big.width,        big.height, big.colours, TestPalette(big.colours),
                      MakeIndices(big), false};
    TempFile bigFile({});
    ASSERT_TRUE(WriteWithGiflib(bigFile.Path(), image));
    std::vector<std::uint8_t> bytes = ReadAll(bigFile.Path());
    bytes.resize(bytes.size() - 100);
    EXPECT_EQ(DecodeFile(bytes, image.indices.size()).ok, 0);

    const Decoded small = DecodeFile(BuildGif(SmallSpec()), 4);
    ASSERT_EQ(small.ok, 1);
    EXPECT_EQ(small.indices, (std::vector<std::uint8_t>{0, 1, 2, 3}));
}

}  // namespace
