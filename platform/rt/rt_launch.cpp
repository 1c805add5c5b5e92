#include "platform/rt/rt_launch.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace rt {
namespace {

constexpr std::size_t kTile = 16;  // launch indices are handed out in 16 x 16 tiles

struct Float3 {
    float x, y, z;
};
Float3 operator+(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Float3 operator*(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Float3 Normalize(Float3 a) {
    const float len = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return len > 0.0f ? a * (1.0f / len) : a;
}

// The first variable of that name along the scopes, innermost first.
const Variable* Resolve(const char* name, std::initializer_list<const Scope*> scopes) {
    for (const Scope* scope : scopes) {
        if (!scope) continue;
        if (const Variable* v = scope->Find(name)) return v;
    }
    return nullptr;
}

// A value variable that is declared nowhere, or holds another type, reads as zero.
Float3 ReadFloat3(const Variable* v) {
    if (!v || v->type != VarType::Float3) return {0, 0, 0};
    return {v->floats[0], v->floats[1], v->floats[2]};
}
float ReadFloat(const Variable* v) { return v && v->type == VarType::Float ? v->floats[0] : 0.0f; }

// The output buffer the ray-generation program writes, or null with the reason.
Buffer* OutputBuffer(const Context& context, std::string& detail) {
    const Variable* v = context.scope.Find("outputBuffer");
    if (!v || v->type != VarType::Object) {
        detail = "variable 'outputBuffer' not set";
        return nullptr;
    }
    auto* buffer = v->object && v->object->kind == Kind::Buffer
                       ? static_cast<Buffer*>(v->object.get())
                       : nullptr;
    if (!buffer || buffer->format != RT_FORMAT_UNSIGNED_BYTE4 || buffer->dimensions != 2) {
        detail = "'outputBuffer' is not a 2D RT_FORMAT_UNSIGNED_BYTE4 buffer";
        return nullptr;
    }
    return buffer;
}

// What the camera program reads, resolved once per launch (program scope, then context).
struct CameraFrame {
    Float3 pos, side, up, dir;
    float fovScale, aspect;
    Float3 background;  // the miss program's bgColor for radiance rays
};

CameraFrame ResolveCamera(const Context& context, const Program& camera) {
    const Scope* programScope = &camera.scope;
    const Scope* contextScope = &context.scope;
    auto f3 = [&](const char* n) { return ReadFloat3(Resolve(n, {programScope, contextScope})); };
    auto f1 = [&](const char* n) { return ReadFloat(Resolve(n, {programScope, contextScope})); };
    CameraFrame frame{f3("cameraPos"), f3("cameraSide"), f3("cameraUp"), f3("cameraDir"),
                      f1("fovScale"), f1("aspectRatio"), {0, 0, 0}};
    if (!context.miss.empty() && context.miss[0]) {
        frame.background = ReadFloat3(Resolve("bgColor", {&context.miss[0]->scope, contextScope}));
    }
    return frame;
}

std::uint8_t ToByte(float channel) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

// The radiance of one primary ray. The scene graph is not traced yet, so every ray misses.
Float3 TraceRadiance(const CameraFrame& frame, Float3 /*direction*/) { return frame.background; }

void ShadePixel(const CameraFrame& frame, std::size_t x, std::size_t y, std::size_t w,
                std::size_t h, Buffer& out) {
    const float sx = ((static_cast<float>(x) + 0.5f) / static_cast<float>(w) * 2.0f - 1.0f);
    const float sy = ((static_cast<float>(y) + 0.5f) / static_cast<float>(h) * 2.0f - 1.0f);
    const Float3 d = Normalize(frame.dir + frame.side * (sx * frame.fovScale * frame.aspect) +
                               frame.up * (sy * frame.fovScale));
    const Float3 c = TraceRadiance(frame, d);
    std::byte* px = out.data.data() + 4 * (y * out.width + x);
    // Blue, green, red, alpha: the order the display reads.
    px[0] = std::byte{ToByte(c.z)};
    px[1] = std::byte{ToByte(c.y)};
    px[2] = std::byte{ToByte(c.x)};
    px[3] = std::byte{255};
}

}  // namespace

RTresult ValidateContext(const Context& context, std::string& detail) {
    if (context.entryPointCount < 1 || context.rayGeneration.empty() || !context.rayGeneration[0]) {
        detail = "entry point 0 has no ray generation program";
        return RT_ERROR_INVALID_CONTEXT;
    }
    if (context.rayTypeCount < 1) {
        detail = "no ray types";
        return RT_ERROR_INVALID_CONTEXT;
    }
    if (context.rayGeneration[0]->name == "camera" && !OutputBuffer(context, detail)) {
        return RT_ERROR_VARIABLE_NOT_FOUND;
    }
    return RT_SUCCESS;
}

RTresult LaunchContext(Context& context, unsigned entry, std::size_t width, std::size_t height,
                       std::string& detail) {
    if (entry >= context.entryPointCount || !context.rayGeneration[entry]) {
        detail = "entry point " + std::to_string(entry) + " has no ray generation program";
        return RT_ERROR_INVALID_VALUE;
    }
    for (const auto& object : ContextObjects(context.id, Kind::Buffer)) {
        if (static_cast<const Buffer&>(*object).mapped) {
            detail = "a buffer is mapped";
            return RT_ERROR_ALREADY_MAPPED;
        }
    }
    if (width == 0 || height == 0) return RT_SUCCESS;
    if (const RTresult r = ValidateContext(context, detail)) return r;
    Buffer* out = OutputBuffer(context, detail);
    if (width > out->width || height > out->height) {
        detail = "launch " + std::to_string(width) + "x" + std::to_string(height) +
                 " exceeds outputBuffer " + std::to_string(out->width) + "x" +
                 std::to_string(out->height);
        return RT_ERROR_LAUNCH_FAILED;
    }
    const CameraFrame frame = ResolveCamera(context, *context.rayGeneration[entry]);
    const std::size_t tilesX = (width + kTile - 1) / kTile;
    const std::size_t tilesY = (height + kTile - 1) / kTile;
    // Each launch index writes only its own element, so tiles run in any order.
    context.pool.Run(tilesX * tilesY, [&](std::size_t tile) {
        const std::size_t x0 = tile % tilesX * kTile, y0 = tile / tilesX * kTile;
        for (std::size_t y = y0; y < std::min(y0 + kTile, height); ++y) {
            for (std::size_t x = x0; x < std::min(x0 + kTile, width); ++x) {
                ShadePixel(frame, x, y, width, height, *out);
            }
        }
    });
    return RT_SUCCESS;
}

}  // namespace rt
