#pragma once
// The generated scene in a real GL context, with a frame clock the test moves, and helpers
// that read coarse facts off the image.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "render/demo/demo_scene.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "tests/support/gl_context.h"

// Both frame clocks read FakeFrameClock::now (milliseconds of a clock that never reads 0)
// while an instance lives, with the base semantics of the real clock.
class FakeFrameClock {
  public:
    FakeFrameClock() { FrameClock = &Read; }
    ~FakeFrameClock() { FrameClock = m_saved; }
    FakeFrameClock(const FakeFrameClock&) = delete;
    FakeFrameClock& operator=(const FakeFrameClock&) = delete;

    static inline float now = 1000.0f;

  private:
    static float Read(std::int32_t* base) {
        if (*base == 0) *base = static_cast<std::int32_t>(now);
        return now - static_cast<float>(*base);
    }
    FrameClockFn m_saved = FrameClock;
};

using Image = std::vector<std::uint8_t>;

class SceneFixture : public GlFixture {
  protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    GlContextOptions Options() const override { return {kWidth, kHeight, 24, 8}; }
    virtual int StartDancer() const { return 0; }

    void SetUp() override {
        GlFixture::SetUp();
        ASSERT_NE(m_context, nullptr);
        FakeFrameClock::now = 1000.0f;
        m_scene = DemoScene::Create({kWidth, kHeight, StartDancer()});
        ASSERT_NE(m_scene, nullptr) << "the generated club is missing from Models/";
    }
    void TearDown() override {
        m_scene.reset();
        FrameSound = {};
        FrameRt = {};
        GlFixture::TearDown();
    }

    // Ticks until a frame has been drawn, moving the clock by stepMs before each tick.
    void TickFrames(int ticks, float stepMs = 20.0f) {
        for (int i = 0; i < ticks; ++i) {
            FakeFrameClock::now += stepMs;
            AnimateAndRenderFrame();
        }
    }
    // The first frame that draws: the two ticks that start the clock, then one.
    Image FirstDrawnFrame() {
        TickFrames(3);
        return m_context->ReadRgba();
    }

    std::unique_ptr<DemoScene> m_scene;
    FakeFrameClock m_clock;
};

// Pixels of the rectangle [x0, x1) x [y0, y1) for which the predicate holds.
template <class Pred>
int CountPixels(const Image& image, int width, int x0, int y0, int x1, int y1, Pred pred) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = &image[(static_cast<std::size_t>(y) * width + x) * 4];
            if (pred(p)) ++n;
        }
    }
    return n;
}

inline bool IsBlack(const std::uint8_t* p) { return p[0] < 8 && p[1] < 8 && p[2] < 8; }
inline bool IsWhite(const std::uint8_t* p) { return p[0] > 247 && p[1] > 247 && p[2] > 247; }
inline int ColorDistance(const std::uint8_t* a, const std::uint8_t* b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// Pixels that differ clearly between two images of the same size.
inline int DifferingPixels(const Image& a, const Image& b, int threshold = 24) {
    int n = 0;
    for (std::size_t i = 0; i + 3 < a.size(); i += 4) {
        if (ColorDistance(&a[i], &b[i]) > threshold) ++n;
    }
    return n;
}
