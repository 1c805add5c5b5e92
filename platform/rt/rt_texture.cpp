#include "platform/rt/rt_texture.h"

#include <cmath>
#include <cstring>

namespace rt {
namespace {

// The texel index along one axis, wrapped or clamped.
long Wrap(long i, long n, RTwrapmode mode) {
    if (mode == RT_WRAP_REPEAT) {
        const long r = i % n;
        return r < 0 ? r + n : r;
    }
    return i < 0 ? 0 : (i >= n ? n - 1 : i);
}

rtd::Float4 Texel(const Buffer& b, long x, long y, bool normalized) {
    if (b.format == RT_FORMAT_FLOAT) {
        float value = 0.0f;
        std::memcpy(&value, b.data.data() + 4 * static_cast<std::size_t>(x), sizeof value);
        return {value, 0, 0, 0};
    }
    const std::byte* p =
        b.data.data() + 4 * (static_cast<std::size_t>(y) * b.width + static_cast<std::size_t>(x));
    const float scale = normalized ? 1.0f / 255.0f : 1.0f;
    return {static_cast<float>(p[0]) * scale, static_cast<float>(p[1]) * scale,
            static_cast<float>(p[2]) * scale, static_cast<float>(p[3]) * scale};
}

rtd::Float4 Mix(rtd::Float4 a, rtd::Float4 b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t,
            a.w + (b.w - a.w) * t};
}

}  // namespace

rtd::Float4 Sample(const TextureSampler& s, float u, float v) {
    const Buffer* b = s.buffer.get();
    if (!b || b->width == 0 || b->height == 0 || !std::isfinite(u) || !std::isfinite(v) ||
        (b->format != RT_FORMAT_FLOAT && b->format != RT_FORMAT_UNSIGNED_BYTE4)) {
        return {0, 0, 0, 0};
    }
    const long w = static_cast<long>(b->width);
    const long h = b->format == RT_FORMAT_FLOAT ? 1 : static_cast<long>(b->height);
    const bool normalized = s.reading == RT_TEXTURE_READ_NORMALIZED_FLOAT;
    const float fx = u * static_cast<float>(w) - 0.5f;
    const float fy = h == 1 ? 0.0f : v * static_cast<float>(h) - 0.5f;
    if (s.magnification != RT_FILTER_LINEAR) {
        const long x = Wrap(std::lround(std::floor(fx + 0.5f)), w, s.wrap[0]);
        const long y = Wrap(std::lround(std::floor(fy + 0.5f)), h, s.wrap[1]);
        return Texel(*b, x, y, normalized);
    }
    const float x0f = std::floor(fx), y0f = std::floor(fy);
    const long x0 = static_cast<long>(x0f), y0 = static_cast<long>(y0f);
    const float tx = fx - x0f, ty = fy - y0f;
    auto at = [&](long x, long y) {
        return Texel(*b, Wrap(x, w, s.wrap[0]), Wrap(y, h, s.wrap[1]), normalized);
    };
    const rtd::Float4 row0 = Mix(at(x0, y0), at(x0 + 1, y0), tx);
    if (h == 1) return row0;
    return Mix(row0, Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), tx), ty);
}

}  // namespace rt
