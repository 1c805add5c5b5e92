// The four GIF textures: the club's ceiling and carpet (128 x 128, tiled) and two dancer
// decals (64 x 64). Drawn from formulas and a fixed pseudo-random sequence.

#include <cmath>
#include <cstdio>
#include <functional>

#include "tools/content/content_registry.h"
#include "tools/content/gif_writer.h"
#include "tools/content/model_file.h"

namespace content {
namespace {

// A small linear congruential sequence: the same numbers on every machine.
class Sequence {
public:
    explicit Sequence(std::uint32_t seed) : m_state(seed) {}
    std::uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t m_state;
};

struct Image {
    int size;
    Palette palette{};
    std::vector<std::uint8_t> indices;

    explicit Image(int side) : size(side), indices(static_cast<std::size_t>(side) * side) {}
    void SetColour(int index, int r, int g, int b) {
        palette[3 * index] = static_cast<std::uint8_t>(r);
        palette[3 * index + 1] = static_cast<std::uint8_t>(g);
        palette[3 * index + 2] = static_cast<std::uint8_t>(b);
    }
    // Colour index at (x, y), wrapping so tiled patterns stay seamless.
    std::uint8_t& At(int x, int y) {
        x = ((x % size) + size) % size;
        y = ((y % size) + size) % size;
        return indices[static_cast<std::size_t>(y) * size + x];
    }
    void Disc(float cx, float cy, float r, std::uint8_t index) {
        for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y) {
            for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x) {
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) At(x, y) = index;
            }
        }
    }
};

// Acoustic ceiling tiles, dark blue, with a scatter of tiny lights.
Image Ceiling() {
    Image im(128);
    for (int i = 0; i < 32; ++i) im.SetColour(i, 12 + i, 14 + i, 30 + 2 * i);
    im.SetColour(40, 6, 6, 14);       // tile joints
    im.SetColour(41, 255, 250, 220);  // star lights
    im.SetColour(42, 140, 170, 255);
    Sequence random(7);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const bool joint = x % 64 == 0 || y % 64 == 0;
            im.At(x, y) = joint ? 40 : static_cast<std::uint8_t>(8 + random.Below(10));
        }
    }
    for (int i = 0; i < 14; ++i) im.At(random.Below(128), random.Below(128)) = 41 + i % 2;
    return im;
}

// Club carpet: deep purple with neon rings and confetti.
Image Carpet() {
    Image im(128);
    im.SetColour(0, 34, 10, 48);
    im.SetColour(1, 44, 14, 60);
    im.SetColour(2, 0, 200, 220);
    im.SetColour(3, 240, 40, 160);
    im.SetColour(4, 250, 210, 40);
    im.SetColour(5, 120, 60, 220);
    Sequence random(11);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) im.At(x, y) = static_cast<std::uint8_t>((x / 4 + y / 4) % 2);
    }
    for (int i = 0; i < 10; ++i) {
        const float cx = float(random.Below(128)), cy = float(random.Below(128));
        const auto colour = static_cast<std::uint8_t>(2 + random.Below(4));
        const float r = 6.0f + float(random.Below(8));
        for (int a = 0; a < 96; ++a) {
            const float t = 6.2831853f * a / 96;
            im.At(int(cx + r * std::cos(t)), int(cy + r * std::sin(t))) = colour;
        }
    }
    for (int i = 0; i < 60; ++i) {
        im.Disc(float(random.Below(128)), float(random.Below(128)), 1.2f,
                static_cast<std::uint8_t>(2 + random.Below(4)));
    }
    return im;
}

// A red heart on pink.
Image Heart() {
    Image im(64);
    im.SetColour(0, 255, 190, 200);
    im.SetColour(1, 220, 20, 50);
    im.SetColour(2, 255, 120, 140);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            // The heart curve (x^2 + y^2 - 1)^3 - x^2 y^3 <= 0, top up (image rows run down).
            const float u = (x - 31.5f) / 22.0f, v = (36.0f - y) / 22.0f;
            const float a = u * u + v * v - 1;
            const float inside = a * a * a - u * u * v * v * v;
            im.At(x, y) = inside <= 0 ? (inside > -0.02f ? 2 : 1) : 0;
        }
    }
    return im;
}

// Freckles: skin tone with soft brown dots.
Image Freckles() {
    Image im(64);
    im.SetColour(0, 255, 153, 145);
    im.SetColour(1, 196, 110, 80);
    im.SetColour(2, 226, 130, 112);
    for (auto& index : im.indices) index = 0;
    Sequence random(5);
    for (int i = 0; i < 40; ++i) {
        const float x = float(8 + random.Below(48)), y = float(8 + random.Below(48));
        im.Disc(x, y, 1.8f, 2);
        im.Disc(x, y, 0.9f, 1);
    }
    return im;
}

bool WriteTextures(const std::filesystem::path& models) {
    const std::pair<const char*, std::function<Image()>> textures[] = {
        {"ceiling.gif", Ceiling}, {"carpet.gif", Carpet}, {"Heart.gif", Heart},
        {"frekles.gif", Freckles}};
    bool ok = true;
    for (const auto& [name, make] : textures) {
        const Image im = make();
        ok = WriteBytes(models / name, EncodeGif(im.size, im.size, im.palette, im.indices)) && ok;
    }
    return ok;
}

const bool kRegistered = RegisterFamily("textures", WriteTextures);

}  // namespace
}  // namespace content
