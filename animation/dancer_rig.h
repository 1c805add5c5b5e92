#pragma once
// What the dance motion's steps share: a joint's rest translation, the mesh parts that the
// deformations move (as the loader recorded them in DeformPartIndex), the published analysis
// values and inverse trigonometry that never sees an argument outside its domain.

#include <algorithm>
#include <atomic>
#include <cmath>

#include "model/model_object.h"

// Entries of DeformPartIndex.
enum DeformEntry : int {
    kDeformKind3Skirt = 0,
    kDeformKind5Skirt = 1,
    kDeformPendulum = 2,
    kDeformBend = 3,
    kDeformBounce = 4,
};

// Elements 12 to 14 of a joint's rest matrix.
const float* RestTranslation(const PartTransform& joint);

// The part at the node the entry names; null when the entry is negative or past the node list,
// the node is no mesh part, the part is incomplete, or normals are to be written and the part
// has none (its normal array would be overrun).
CMeshPart* DeformPart(const CModelObject& model, int entry, bool writesNormals);

// A value the analysis thread publishes, read whole; the steps read it afresh at each use.
template <class T>
T Published(const std::atomic<T>& value) {
    return value.load(std::memory_order_relaxed);
}

// acos and asin of an argument clamped into their domain, so rounding at full reach or a
// degenerate pose never yields NaN; in the argument's precision.
template <class T>
T ClampedAcos(T x) {
    return std::acos(std::clamp(x, T(-1), T(1)));
}
template <class T>
T ClampedAsin(T x) {
    return std::asin(std::clamp(x, T(-1), T(1)));
}
