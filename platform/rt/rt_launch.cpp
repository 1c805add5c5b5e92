#include "platform/rt/rt_launch.h"

#include <algorithm>

#include "platform/rt/rt_launch_frame.h"
#include "platform/rt/rt_trace.h"

namespace rt {
namespace {

constexpr std::size_t kTile = 16;  // launch indices are handed out in 16 x 16 tiles
constexpr std::size_t kMaxLaunchSide = 1 << 16;

RTresult CheckCounts(const Context& context, std::string& detail) {
    if (context.entryPointCount < 1 || context.rayGeneration.empty() || !context.rayGeneration[0]) {
        detail = "entry point 0 has no ray generation program";
        return RT_ERROR_INVALID_CONTEXT;
    }
    if (context.rayTypeCount < 1) {
        detail = "no ray types";
        return RT_ERROR_INVALID_CONTEXT;
    }
    return RT_SUCCESS;
}

RTresult Build(LaunchFrame& frame, const Program& rayGeneration, std::string& detail) {
    BuildFrame(frame, rayGeneration);
    if (frame.buildError.empty()) return RT_SUCCESS;
    detail = frame.buildError;
    return frame.buildCode;
}

}  // namespace

RTresult ValidateContext(Context& context, std::string& detail) {
    if (const RTresult r = CheckCounts(context, detail)) return r;
    for (const auto& rayGeneration : context.rayGeneration) {
        if (!rayGeneration) continue;
        LaunchFrame frame(context);
        if (const RTresult r = Build(frame, *rayGeneration, detail)) return r;
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
    if (width > kMaxLaunchSide || height > kMaxLaunchSide) {
        detail = "launch " + std::to_string(width) + "x" + std::to_string(height) + " too large";
        return RT_ERROR_INVALID_VALUE;
    }
    if (const RTresult r = CheckCounts(context, detail)) return r;
    LaunchFrame frame(context);
    if (const RTresult r = Build(frame, *context.rayGeneration[entry], detail)) return r;
    const std::size_t tilesX = (width + kTile - 1) / kTile;
    const std::size_t tilesY = (height + kTile - 1) / kTile;
    const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
    // Each launch index writes only its own element, so tiles run in any order.
    context.pool.Run(tilesX * tilesY, [&](std::size_t tile) {
        if (frame.failure.load(std::memory_order_relaxed)) return;  // the launch fails anyway
        const std::size_t x0 = tile % tilesX * kTile, y0 = tile / tilesX * kTile;
        for (std::size_t y = y0; y < std::min(y0 + kTile, height); ++y) {
            for (std::size_t x = x0; x < std::min(x0 + kTile, width); ++x) {
                RunRayGeneration(frame, static_cast<unsigned>(x), static_cast<unsigned>(y), w, h);
            }
        }
    });
    if (const char* failure = frame.failure.load()) {
        detail = failure;
        return RT_ERROR_LAUNCH_FAILED;
    }
    return RT_SUCCESS;
}

}  // namespace rt
