#pragma once
// The colours a model shows: every part's uniform colour and vertex colours, as a set, so two
// looks compare whatever their vertex counts.

#include <array>
#include <cstdint>
#include <set>

#include "model/mesh_part.h"
#include "model/model_object.h"

inline std::set<std::array<float, 3>> ModelColours(const CModelObject& m) {
    std::set<std::array<float, 3>> out;
    for (int p = 0; p < m.GetPartCount(); ++p) {
        const CMeshPart& part = *m.GetPart(p);
        const float* c = part.GetColor();
        out.insert({c[0], c[1], c[2]});
        const float* rgba = part.GetColors();
        if (!rgba) continue;
        for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) {
            out.insert({rgba[4 * v], rgba[4 * v + 1], rgba[4 * v + 2]});
        }
    }
    return out;
}
