#pragma once
// Texture lookups of the programs: 1D samplers over FLOAT buffers, 2D over UNSIGNED_BYTE4.

#include "platform/rt/rt_objects.h"

namespace rt {

// At normalized coordinates (u, v); v is unused for a 1D buffer. (0, 0, 0, 0) without a buffer
// of a format a sampler reads.
rtd::Float4 Sample(const TextureSampler& sampler, float u, float v);

}  // namespace rt
