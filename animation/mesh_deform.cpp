// Mesh parts that bend with the dance instead of moving rigidly with a joint: the waist twists
// with the spine, the chest jiggles on the beat, and the skirts of two dancers follow their
// thighs. Every result is computed from the base arrays, so nothing accumulates.

#include <cmath>

#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "animation/human_object.h"
#include "model/vec_math.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = kPi / 2;

struct BounceSphere {
    float centre[3];
    float radius;
    float shift;
};
// By dancer kind; each kind has a second sphere mirrored in x.
constexpr BounceSphere kBounceSpheres[7] = {
    {{78.9f, 129.9f, -51.2f}, 72.4f, 35},
    {{78.9f, 125.9f, -51.2f}, 72.4f, 35},
    {{78.9f, 129.9f, -51.2f}, 72.4f, 35},
    {{75.8f, 125.6f, -45.8f}, 67.6f, 22},
    {{79.7f, 129.7f, -55.6f}, 76.0f, 30},
    {{91.7f, 125.9f, -49.3f}, 67.6f, 22},
    {{0, 0, 0}, 70.9f, 35},
};
constexpr float kBounceFrontZ = -116;  // the jiggle fades in toward this depth
// The jiggle's direction across the sphere: its slope in y and its slant in x and z.
constexpr float kBounceSlopeY = 0.19143054f;
constexpr float kBounceSlant = 0.38576514f;
constexpr float kBounceTwistGain = 1.5f;
constexpr float kBounceSwayGain = 0.666f / 200;
constexpr float kBounceNormalTilt = 1.0f / 500;  // normal turn per unit of shift

// Daxil's second pass: bright vertices low on the part move sideways.
constexpr int kKindDaxil = 6;
constexpr float kBrightTag[3] = {241 / 255.0f, 229 / 255.0f, 216 / 255.0f};
constexpr float kBrightTop = 28.5f;
constexpr float kBrightSpan = -96.6f;
constexpr float kBrightShift = 35;
constexpr float kBrightGain = 1.5f;
constexpr float kBrightNormalTurn = 1.0f / 100;

// The skirts: vertices up to this far above the hip follow the thigh; the lift is normalised
// at kSkirtLiftRef and reaches kSkirtLift.
constexpr float kSkirtTop = 50;
constexpr float kSkirtLiftRef = -87.94f;
constexpr float kSkirtLift = 74;
constexpr float kThighTiltGain = 0.85f;
const float kOrlaqTag[3] = {static_cast<float>(144 / 255.0), static_cast<float>(109 / 255.0),
                            static_cast<float>(158 / 255.0)};
constexpr float kPemsaTag[3] = {1, 1, 1};

void KeepBase(CMeshPart* part, std::int32_t i, const float* p, const float* n) {
    part->SetVertex(i, p);
    part->SetDeformedNormal(i, n);
}

void SetRotated(CMeshPart* part, std::int32_t i, const float* p, const float* n,
                const float* rotation) {
    float q[3];
    Mat4TransformPoint(p, rotation, q);
    part->SetVertex(i, q);
    Mat4TransformPoint(n, rotation, q);
    part->SetDeformedNormal(i, q);
}

float Clamp01(float t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }

float Distance(const float* a, const float* b) {
    const float x = a[0] - b[0], y = a[1] - b[1], z = a[2] - b[2];
    return std::sqrt(x * x + y * y + z * z);
}

// Moves a vertex inside a bounce sphere; zSign is +1 for the mirrored sphere.
void Bounce(CMeshPart* part, std::int32_t i, const float* p, const float* n, const float* centre,
            float depth, float k, float shift, float zSign) {
    const float t = Clamp01((kBounceSlopeY * (p[1] - centre[1]) -
                             kBounceSlant * (p[0] - centre[0]) + (p[2] - centre[2])) /
                            depth);
    const float u = t * k * shift;
    const float q[3] = {p[0] - u, p[1], p[2] + zSign * kBounceSlant * u};
    part->SetVertex(i, q);
    float turn[16], m[3];
    Mat4RotateXYZ(turn, -u * kBounceNormalTilt, 0, 0);
    Mat4TransformPoint(n, turn, m);
    part->SetDeformedNormal(i, m);
}

// The second pass of Daxil's bounce.
void ShiftBrightVertices(CMeshPart* part, float k) {
    const std::int32_t count = static_cast<std::int32_t>(part->GetVertexCount());
    for (std::int32_t i = 0; i < count; ++i) {
        float p[3], n[3], c[4];
        part->GetBaseVertex(p, i);
        part->GetVertexColor(c, i);
        if (p[1] > kBrightTop || c[0] < kBrightTag[0] || c[1] < kBrightTag[1] ||
            c[2] < kBrightTag[2]) {
            continue;
        }
        part->GetNormal(n, i);
        const float t = Clamp01((p[1] - kBrightTop) / kBrightSpan);
        const float q[3] = {p[0] - kBrightShift * kBrightGain * t * k, p[1], p[2]};
        part->SetVertex(i, q);
        float turn[16], m[3];
        Mat4RotateXYZ(turn, 0, t * k * kBrightShift * kBrightNormalTurn, 0);
        Mat4TransformPoint(n, turn, m);
        part->SetDeformedNormal(i, m);
    }
}

float WrapAngle(float a) {
    if (a < -kPi) a += 2 * kPi;
    if (a >= kPi) a -= 2 * kPi;
    return a;
}

// How one hip's thigh pushes the skirt; usable is false when it cannot push this frame.
struct ThighPush {
    bool usable;
    float hip[3];
    float yaw;
    float sinYaw, cosYaw;  // per hip, not per vertex
    float sinTilt;
    float top;
};

ThighPush MeasureThigh(const PartTransform& hip) {
    ThighPush push{};
    const float* h = RestTranslation(hip);
    Vec3Set(push.hip, h[0], h[1], h[2]);
    float turn[16], dir[3];
    const float down[3] = {0, -1, 0};
    Mat4RotateXYZ(turn, hip.angles[0], hip.angles[1], hip.angles[2]);
    Mat4TransformPoint(down, turn, dir);
    push.top = push.hip[1] + kSkirtTop;
    const float level = std::sqrt(dir[0] * dir[0] + dir[2] * dir[2]);
    // A thigh hanging straight down has no yaw; a lift normalised at the top would divide by 0.
    push.usable = level > 0 && kSkirtLiftRef - push.top != 0;
    if (!push.usable) return push;
    push.yaw = std::atan(dir[0] / dir[2]);
    push.sinYaw = std::sin(push.yaw);
    push.cosYaw = std::cos(push.yaw);
    push.sinTilt = std::sin(kThighTiltGain * (std::atan(dir[1] / level) + kHalfPi));
    return push;
}

void AddPush(const ThighPush& push, const float* p, float* offset) {
    if (!push.usable || p[1] >= push.top) return;
    const float around = WrapAngle(std::atan2(p[0] - push.hip[0], p[2] - push.hip[2]) + kPi);
    const float diff = WrapAngle(around - push.yaw);
    if (std::fabs(diff) > kHalfPi) return;
    const float g = 1 - std::fabs(diff) / kHalfPi;
    const float below = p[1] - push.top;
    offset[1] += std::fabs(below / (kSkirtLiftRef - push.top)) * kSkirtLift * push.sinTilt * g;
    offset[0] += push.sinYaw * push.sinTilt * below * g;
    offset[2] += push.cosYaw * push.sinTilt * below * g;
}

bool SameColour(const float* c, const float* tag) {
    return c[0] == tag[0] && c[1] == tag[1] && c[2] == tag[2];
}

// The skirt of part 0: tagged vertices follow both thighs; normals are left alone.
void PushSkirt(const CHumanObject& model, int entry, const float* tag, const PartTransform& hip1,
               const PartTransform& hip2) {
    CMeshPart* part = DeformPart(model, entry, false);
    if (part == nullptr) return;
    const ThighPush pushes[2] = {MeasureThigh(hip1), MeasureThigh(hip2)};
    const std::int32_t count = static_cast<std::int32_t>(part->GetVertexCount());
    for (std::int32_t i = 0; i < count; ++i) {
        float c[4];
        part->GetVertexColor(c, i);
        if (!SameColour(c, tag)) continue;
        float p[3], offset[3] = {0, 0, 0};
        part->GetBaseVertex(p, i);
        for (const ThighPush& push : pushes) AddPush(push, p, offset);
        Vec3Add(p, offset, p);
        part->SetVertex(i, p);
    }
}

}  // namespace

void CDanceMotion::BendPartMesh(float angle) {
    CMeshPart* part = DeformPart(*Model, kDeformBend, true);
    const float h = RestTranslation(Joint(10))[1];
    if (part == nullptr || h == 0) return;  // the twist ramps over h
    const std::int32_t count = static_cast<std::int32_t>(part->GetVertexCount());
    for (std::int32_t i = 0; i < count; ++i) {
        float p[3], n[3], turn[16];
        part->GetBaseVertex(p, i);
        part->GetNormal(n, i);
        if (p[1] <= 0) {
            KeepBase(part, i, p, n);
            continue;
        }
        const float f = std::fmin(std::fabs(p[1] / h), 1.0f);
        Mat4RotateXYZ(turn, 0, angle * f, 0);
        SetRotated(part, i, p, n, turn);
    }
}

void CDanceMotion::BouncePartMesh(float twist, float sway) {
    const std::int32_t kind = Model->GetType();
    CMeshPart* part = DeformPart(*Model, kDeformBounce, true);
    if (part == nullptr || kind < 0 || kind > kKindDaxil) return;
    const BounceSphere& sphere = kBounceSpheres[kind];
    const float depth = kBounceFrontZ - sphere.centre[2];
    if (depth == 0) return;
    const float k = kBounceTwistGain * BeatWave[1] * twist + BeatWave[1] * sway * kBounceSwayGain;
    const float mirror[3] = {-sphere.centre[0], sphere.centre[1], sphere.centre[2]};
    const std::int32_t count = static_cast<std::int32_t>(part->GetVertexCount());
    for (std::int32_t i = 0; i < count; ++i) {
        float p[3], n[3];
        part->GetBaseVertex(p, i);
        part->GetNormal(n, i);
        if (Distance(sphere.centre, p) <= sphere.radius) {
            Bounce(part, i, p, n, sphere.centre, depth, k, sphere.shift, -1);
        } else if (Distance(mirror, p) <= sphere.radius) {
            Bounce(part, i, p, n, mirror, depth, k, sphere.shift, +1);
        } else {
            KeepBase(part, i, p, n);
        }
    }
    if (kind == kKindDaxil) ShiftBrightVertices(part, k);
}

void CDanceMotion::SwayKind3Mesh() {
    PushSkirt(*Model, kDeformKind3Skirt, kOrlaqTag, Joint(1), Joint(5));
}

void CDanceMotion::SwayKind5Mesh() {
    PushSkirt(*Model, kDeformKind5Skirt, kPemsaTag, Joint(1), Joint(5));
}
