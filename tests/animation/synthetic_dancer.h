#pragma once
// Small synthetic dancer files: a root joint, then parts and joints in turn, with the structure
// faults the dancer loader must refuse. Written by the format's tables, not by the generator.

#include <string>

#include "tests/model/model_bytes.h"

namespace synthetic {

struct DancerSpec {
    int joints = 57;
    int parts = 16;          // enough for every part any dancer kind deforms
    bool rootFirst = true;   // false: a part comes before the root joint
    bool extraPush = false;  // a push and pop pair after the root: a different node layout
    float pelvisHeight = 1000;
};

inline ModelBytes JointChunk(float x, float y, float z) {
    ModelBytes body;
    body.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
    return ModelBytes{}.Chunk(4, body);
}

// Root (turned half round about y, raised to the pelvis height), then part k after joint k.
inline std::string DancerFileBytes(const DancerSpec& layout) {
    ModelBytes file;
    int parts = 0;
    if (!layout.rootFirst) {
        file.Append(Part(Triangle()));
        ++parts;
    }
    ModelBytes root;
    root.Floats({-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, layout.pelvisHeight, 0, 1});
    file.Chunk(4, root);
    if (layout.extraPush) file.Push().Pop();
    for (int k = 1; k < layout.joints || parts < layout.parts; ++k) {
        if (parts < layout.parts) {
            file.Append(Part(Triangle()));
            ++parts;
        }
        if (k < layout.joints) file.Append(JointChunk(0, -10.0f * float(k), 1.0f * float(k)));
    }
    return file.End().String();
}

}  // namespace synthetic
