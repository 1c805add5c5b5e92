// The short hanging chains (hair, earrings, a ponytail): they take back the spine's lean so
// they keep hanging down, and swing with the bar while the beat sway is faded in.

#include <cmath>

#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "animation/human_object.h"
#include "model/vec_math.h"

namespace {

const float k10Degrees = DegToRad(10);
const float k20Degrees = DegToRad(20);
const float k30Degrees = DegToRad(30);
const float kSwingAmplitude = 0.5f * DegToRad(40);

// MirelH's depth correction, model units: the chains clear the back of the head.
constexpr float kDepthClear = 2.7f;
constexpr float kDepthBack = 51.6f + 10.9f;
constexpr float kDepthReach = 97.8f;
constexpr float kDepthSecondTurn = 0.5842503441704644f;  // 33.475 degrees

// Ivret's ponytail: its hanging vertices trail this far behind the pivot as it turns.
constexpr float kPendulumTrail = 20;
constexpr float kPendulumSwing = 0.25f;

void Pose(PartTransform& joint, float z, float x) {
    joint.angles[2] = z;
    joint.angles[0] = x;
}

// The second segment bends back as its root swings past 20 degrees, and copies the root's
// turn beyond 30; sign is -1 for the chain that swings to negative angles.
void BendSecondSegment(const PartTransform& root, PartTransform& second, float sign) {
    const float z = sign * root.angles[2];
    if (z > k20Degrees && z < k30Degrees) {
        second.angles[2] -= (z - k20Degrees) * 2 * second.angles[2] / k10Degrees;
    } else if (z >= k30Degrees) {
        second.angles[2] = -root.angles[2];
    }
}

// MirelH: one chain's swing toward or away from the head, by the depth z of its root.
void CorrectDepth(float z, float length, PartTransform& root, PartTransform& second) {
    if (z >= kDepthClear) {
        if (length == 0) return;  // a chain without length has no angle to clear
        const float a = std::atan((z + kDepthClear) / length);
        if (a > 0) {
            second.angles[0] += kDepthSecondTurn - a;
            root.angles[0] += a - k10Degrees;
        }
        return;
    }
    root.angles[0] -= k10Degrees;
    const float a = std::atan((z + kDepthBack) / kDepthReach);
    if (a > 0) second.angles[0] += a;
}

// Ivret's ponytail vertices below the pivot turn with the chain, more the lower they hang.
void DragPendulum(CMeshPart* part, const float* pivot, float length, float counterYaw) {
    const std::int32_t count = static_cast<std::int32_t>(part->GetVertexCount());
    for (std::int32_t i = 0; i < count; ++i) {
        float p[3], n[3], q[3], turn[16];
        part->GetBaseVertex(p, i);
        part->GetNormal(n, i);
        if (p[1] >= 0) {
            part->SetVertex(i, p);
            part->SetDeformedNormal(i, n);
            continue;
        }
        const float f = std::fmin(std::fabs(p[1] / length), 1.0f);
        Mat4RotateXYZ(turn, 0, f * counterYaw, 0);
        const float local[3] = {p[0] - pivot[0], p[1], p[2] - pivot[2]};
        Mat4TransformPoint(local, turn, q);
        q[0] += pivot[0] + std::sin(counterYaw) * f * kPendulumTrail;
        q[2] += pivot[2] + std::cos(counterYaw) * f * kPendulumTrail;
        part->SetVertex(i, q);
        Mat4TransformPoint(n, turn, q);
        part->SetDeformedNormal(i, q);
    }
}

// The chains' swing with the bar; a negative twist narrows it by scale.
float SwingAmplitude(float w3, float scale, float twist, float fade) {
    if (fade <= 0) return 0;
    const float s = kSwingAmplitude * w3;
    return twist < 0 ? s * scale : s;
}

}  // namespace

void CDanceMotion::SwingHairA(float scale, float twist, float bendZ, float bendX, float fade) {
    const float swing = SwingAmplitude(BeatWave[3], scale, twist, fade) * fade;
    PartTransform& j14 = Joint(14);
    PartTransform& j15 = Joint(15);
    PartTransform& j16 = Joint(16);
    PartTransform& j17 = Joint(17);
    PartTransform& j18 = Joint(18);
    Pose(j18, bendZ, bendX);
    Pose(j16, bendZ + swing, bendX + swing);
    Pose(j17, swing, swing);
    Pose(j14, j16.angles[2], -j16.angles[0]);
    Pose(j15, j17.angles[2], -j17.angles[0]);
    j18.angles[2] -= swing;
    j18.angles[0] -= 0.5f * std::fabs(swing);
    BendSecondSegment(j14, j15, -1);
    BendSecondSegment(j16, j17, +1);
}

void CDanceMotion::SwingHairB(float scale, float twist, float bendZ, float bendX, float counterYaw,
                              float fade) {
    const float swing = SwingAmplitude(BeatWave[3], scale, twist, fade) * fade;
    PartTransform& j14 = Joint(14);
    PartTransform& j15 = Joint(15);
    PartTransform& j16 = Joint(16);
    PartTransform& j17 = Joint(17);
    for (PartTransform* root : {&j14, &j16}) {
        Pose(*root, bendZ + swing, bendX + swing);
        root->angles[1] = 0.5f * counterYaw;
    }
    Pose(j17, swing, swing >= 0 ? k10Degrees + swing : k10Degrees);
    Pose(j15, swing, swing > 0 ? k10Degrees : k10Degrees - swing);

    const float* t16 = RestTranslation(j16);
    const float depth = RestTranslation(Joint(11))[2] + RestTranslation(Joint(12))[2] + t16[2];
    const float q = std::sin(counterYaw) * t16[0];
    const float length = -RestTranslation(j17)[1];
    CorrectDepth(depth + q, length, j16, j17);
    CorrectDepth(depth - q, length, j14, j15);
}

void CDanceMotion::SwingHairC(float scale, float twist, float bendZ, float bendX, float counterYaw,
                              float fade) {
    PartTransform& j13 = Joint(13);
    PartTransform& j14 = Joint(14);
    PartTransform& j15 = Joint(15);
    const float length = RestTranslation(j15)[1];
    if (PendulumRestPending) {
        PendulumRestPending = 0;
        const float* t15 = RestTranslation(j15);
        SetVector(PendulumRestOffset, t15[0], t15[1], t15[2]);
    }
    j14.angles[2] = bendZ;
    j14.angles[0] = bendX;
    j14.angles[1] = 0;
    SetVector(j15.angles, 0, counterYaw, 0);

    CMeshPart* part = DeformPart(*Model, kDeformPendulum, true);
    if (part == nullptr) return;

    // The pivot turns about the head's vertical axis; joint 15 moves by that turn only, so
    // a model whose pivot is off that axis does not jump on the first frame.
    float turn[16], base[3], turned[3];
    Mat4RotateXYZ(turn, 0, counterYaw, 0);
    Vec3Add(RestTranslation(j13), RestTranslation(j14), base);
    Mat4TransformPoint(base, turn, turned);
    j15.restMatrix[12] = PendulumRestOffset[0] + turned[0] - base[0];
    j15.restMatrix[14] = PendulumRestOffset[2] + turned[2] - base[2];

    if (length != 0) DragPendulum(part, RestTranslation(j13), length, counterYaw);

    const float swing = kPendulumSwing * SwingAmplitude(BeatWave[3], scale, twist, fade) * fade;
    j15.angles[2] -= swing;
    j15.angles[0] -= 0.5f * std::fabs(swing);
}

void CDanceMotion::SwingHairD(float scale, float twist, float bendZ, float bendX, float fade) {
    const float swing = SwingAmplitude(BeatWave[3], scale, twist, fade) * fade;
    PartTransform& j14 = Joint(14);
    PartTransform& j16 = Joint(16);
    Pose(j16, bendZ + swing, bendX + swing);
    Pose(j14, j16.angles[2], -j16.angles[0]);
}
