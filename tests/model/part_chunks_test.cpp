#include "model/part_chunks.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <vector>

#include "model/mesh_part.h"
#include "tests/model/draw_fixture.h"

namespace {

constexpr int kSide = 32;  // quads along each side of the test sheet: several chunks
constexpr float kSpan = 256;

// A flat sheet of kSide x kSide quads filling the 256 x 256 view of the fixture.
void MakeSheet(CMeshPart* part) {
    std::vector<float> xyz;
    std::vector<std::uint32_t> quads;
    const float step = kSpan / kSide;
    for (int r = 0; r <= kSide; ++r) {
        for (int c = 0; c <= kSide; ++c) xyz.insert(xyz.end(), {c * step - 128, r * step - 128, 0});
    }
    for (std::uint32_t r = 0; r < kSide; ++r) {
        for (std::uint32_t c = 0; c < kSide; ++c) {
            const std::uint32_t a = r * (kSide + 1) + c;
            quads.insert(quads.end(), {a, a + 1, a + kSide + 2, a + kSide + 1});
        }
    }
    part->SetQuadCount(kSide * kSide);
    part->SetVertexCount(static_cast<std::uint32_t>(xyz.size() / 3));
    part->SetQuads(quads.data());
    part->SetVertices(xyz.data());
    const float quarter[3] = {0.25f, 0.25f, 0.25f};
    part->SetColor(quarter);
}

class PassAll final : public ChunkFilter {
  public:
    bool MayShow(const float*, const float*) const override { return true; }
};

// Lets through only the chunks that reach x >= 0.
class RightHalf final : public ChunkFilter {
  public:
    bool MayShow(const float*, const float* max) const override { return max[0] > 0; }
};

class PartChunksTest : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        // Added up, a pixel drawn twice comes out brighter than one drawn once.
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    std::vector<std::uint8_t> Drawn(const std::function<void()>& draw) {
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        return m_context->ReadRgba();
    }
};

TEST_F(PartChunksTest, ChunksDrawEveryQuadOnce) {
    CMeshPart part;
    MakeSheet(&part);
    const auto whole = Drawn([&] { part.Draw(); });
    const auto chunked = Drawn([&] { part.DrawChunks(PassAll()); });
    EXPECT_TRUE(whole == chunked);
    EXPECT_EQ(PixelAt(chunked, 5, 5)[0], 64);
    EXPECT_EQ(PixelAt(chunked, 250, 250)[0], 64);
}

TEST_F(PartChunksTest, ChunksAreNearbyQuadsWithTheirBounds) {
    CMeshPart part;
    MakeSheet(&part);
    const PartChunks chunks(part);
    ASSERT_GT(chunks.Chunks().size(), 1u);
    for (const QuadChunk& chunk : chunks.Chunks()) {
        EXPECT_NE(chunk.list, 0u);
        for (int k = 0; k < 2; ++k) {
            EXPECT_GE(chunk.min[k], -128);
            EXPECT_LE(chunk.max[k], 128);
            EXPECT_LE(chunk.max[k] - chunk.min[k], kSpan / 2) << "a chunk spans half the sheet";
        }
    }
}

TEST_F(PartChunksTest, SkippedChunksLeaveTheirPixels) {
    CMeshPart part;
    MakeSheet(&part);
    const auto image = Drawn([&] { part.DrawChunks(RightHalf()); });
    EXPECT_EQ(PixelAt(image, 5, 128)[0], 0);
    EXPECT_EQ(PixelAt(image, 250, 128)[0], 64);
}

// The recorded colour follows DisplayTextures: a textured part shows white with textures on
// and its own colours with them off.
TEST_F(PartChunksTest, ChunksFollowTheTextureSwitch) {
    CMeshPart part;
    MakeSheet(&part);
    std::vector<float> uv(2 * part.GetVertexCount(), 0.0f);
    std::vector<float> blue;
    for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) blue.insert(blue.end(), {0, 0, 1, 1});
    part.SetTextured(1);
    part.SetTexCoords(uv.data());
    part.SetHasVertexColors(1);
    part.SetColors(blue.data());
    const auto white = Drawn([&] { part.DrawChunks(PassAll()); });
    EXPECT_EQ(PixelAt(white, 128, 128)[0], 255);
    DisplayTextures = 0;
    const auto own = Drawn([&] { part.DrawChunks(PassAll()); });
    EXPECT_EQ(PixelAt(own, 128, 128)[0], 0);
    EXPECT_EQ(PixelAt(own, 128, 128)[2], 255);
}

// A deforming part is drawn from its current arrays every time, as Draw draws it.
TEST_F(PartChunksTest, DeformingPartShowsItsCurrentVertices) {
    CMeshPart part;
    MakeSheet(&part);
    part.SetDeforming(1);
    Drawn([&] { part.DrawChunks(PassAll()); });
    const float far[3] = {500, 500, 0};
    for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) {
        part.SetVertex(static_cast<std::int32_t>(v), far);
    }
    const auto moved = Drawn([&] { part.DrawChunks(PassAll()); });
    EXPECT_EQ(PixelAt(moved, 128, 128)[0], 0);
}

}  // namespace
