#pragma once
// The one element of the "lights" buffer, shared by the host and the built-in lighting
// program. Little-endian, 32-bit floats; reserved bytes are zero.

#include <cstddef>
#include <cstdint>

struct RtLightsRecord {
    float mainColor[3];
    float reserved0;
    float mainPosition[3];
    float attenuation;
    float spotColor[5][3];
    float reserved1;
    float spotDirection[5][3];
    float reserved2;
    float spotPosition[5][3];  // the spot's position moved 200 units along its direction
    float reserved3;
    float spotCosCutoff[5];
    float reserved4[3];
    float spotCosCutoffOuter[5];  // of the cutoff plus one degree
    float reserved5[3];
    std::int16_t spotOn[5];
    std::int16_t reserved6[3];
};

// The layout the lighting program reads.
static_assert(sizeof(RtLightsRecord) == 304);
static_assert(offsetof(RtLightsRecord, mainColor) == 0);
static_assert(offsetof(RtLightsRecord, mainPosition) == 16);
static_assert(offsetof(RtLightsRecord, attenuation) == 28);
static_assert(offsetof(RtLightsRecord, spotColor) == 32);
static_assert(offsetof(RtLightsRecord, spotDirection) == 96);
static_assert(offsetof(RtLightsRecord, spotPosition) == 160);
static_assert(offsetof(RtLightsRecord, spotCosCutoff) == 224);
static_assert(offsetof(RtLightsRecord, spotCosCutoffOuter) == 256);
static_assert(offsetof(RtLightsRecord, spotOn) == 288);
