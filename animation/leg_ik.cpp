// The legs: the hips wander by three style-weighted offsets while a two-bone solution keeps
// each ankle on the point where it stood in the start pose; the feet stay level and the spine
// twists with the style.

#include <cmath>

#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "animation/human_object.h"
#include "audio/beat_tracker.h"
#include "model/vec_math.h"

namespace {

constexpr float kPi = 3.1415927f;

// Hip offset walks of the free style, model units and units per second.
constexpr float kFreeHipAccel = 15;
constexpr float kFreeHipSpeed = 30;
constexpr float kFreeHipLimit[3][2] = {{-60, 60}, {-50, 0}, {-30, 30}};  // x, y, z: min, max
// The beat style's drifts, units per second, and their ranges.
constexpr float kBeatDriftRate = 15;
constexpr float kBeatHipDropMin = -50;
constexpr float kBeatHipDriftZLimit = 30;
constexpr float kBeatHipSway = 60;       // side-sway amplitude, model units
constexpr float kSpineTwistGain = 1.5f;  // joint 10 turns 1.5 times the blended twist

const float kTwistAccel = DegToRad(2);
const float kTwistSpeed = DegToRad(10);
const float kTwistLimit = DegToRad(14);

struct Leg {
    int hip, knee, ankle;
};
constexpr Leg kLegs[2] = {{1, 2, 3}, {5, 6, 7}};

// The point the origin reaches through m.
void Origin(const float* m, float* out) {
    const float o[3] = {0, 0, 0};
    Mat4TransformPoint(o, m, out);
}

}  // namespace

// Hip and planted ankle of each leg in the start pose, and the two bone lengths.
void CDanceMotion::MeasureLegs() {
    const PartTransform& root = Joint(0);
    for (int i = 0; i < 2; ++i) {
        const Leg& leg = kLegs[i];
        const PartTransform& hip = Joint(leg.hip);
        const PartTransform& knee = Joint(leg.knee);
        const PartTransform& ankle = Joint(leg.ankle);
        float m[16], turn[16], kneePoint[3];
        Mat4Multiply(root.restMatrix, hip.restMatrix, m);
        Origin(m, HipPoint[i]);
        Mat4Multiply(m, knee.restMatrix, m);
        Mat4RotateAboutPivot(turn, HipPoint[i], hip.angles[0], hip.angles[1], hip.angles[2]);
        Mat4Multiply(m, turn, m);
        Origin(m, kneePoint);
        Mat4Multiply(m, ankle.restMatrix, m);
        Mat4RotateAboutPivot(turn, kneePoint, hip.angles[0] + knee.angles[0],
                             hip.angles[1] + knee.angles[1], hip.angles[2] + knee.angles[2]);
        Mat4Multiply(m, turn, m);
        Origin(m, FootTarget[i]);
    }
    Origin(Joint(6).restMatrix, ThighVector);
    Origin(Joint(7).restMatrix, ShinVector);
    ThighLengthSq = ThighVector[0] * ThighVector[0] + ThighVector[1] * ThighVector[1] +
                    ThighVector[2] * ThighVector[2];
    ShinLengthSq = ShinVector[0] * ShinVector[0] + ShinVector[1] * ShinVector[1] +
                   ShinVector[2] * ShinVector[2];
    ThighLength = std::sqrt(ThighLengthSq);
    ShinLength = std::sqrt(ShinLengthSq);
    LegMeasurePending = 0;
}

void CDanceMotion::SolveLegIK(float dt) {
    CHumanObject& model = *Model;
    if (LegMeasurePending) MeasureLegs();

    if (Published(FreeDanceWeight) > 0) {
        for (int a = 0; a < 3; ++a) {
            RandomWalkClamped(&FreeHipOffset[a], &model.FreeHipVelocity[a], kFreeHipAccel,
                              -kFreeHipSpeed, kFreeHipSpeed, kFreeHipLimit[a][0],
                              kFreeHipLimit[a][1], dt);
        }
    }
    if (Published(BeatDanceWeight) > 0) {
        BeatHipSwayAmplitude = kBeatHipSway;
        BeatHipDrop += RandSigned() * kBeatDriftRate * dt / 1000;
        ClampFloat(&BeatHipDrop, 0, kBeatHipDropMin);
        BeatHipDriftZ += RandSigned() * kBeatDriftRate * dt / 1000;
        ClampFloat(&BeatHipDriftZ, kBeatHipDriftZLimit, -kBeatHipDriftZLimit);
        SetVector(BeatHipOffset, BeatWave[2] * BeatHipSwayAmplitude, BeatHipDrop,
                  BeatWave[3] * BeatHipDriftZ);
    }
    for (int a = 0; a < 3; ++a) {
        model.RootTranslation[a] = Published(SilentDanceWeight) * SilentHipOffset[a] +
                                   Published(FreeDanceWeight) * FreeHipOffset[a] +
                                   Published(BeatDanceWeight) * BeatHipOffset[a];
    }

    for (int i = 0; i < 2; ++i) {
        PartTransform& hip = Joint(kLegs[i].hip);
        PartTransform& knee = Joint(kLegs[i].knee);
        float p[3], toHip[3], d;
        Vec3Add(HipPoint[i], model.RootTranslation, p);
        Vec3Sub(p, FootTarget[i], toHip);
        Vec3Length(toHip, &d);
        knee.angles[0] = 0;  // out of reach: a straight leg
        if (ThighLength + ShinLength > d) {
            knee.angles[0] = ClampedAcos((ShinLengthSq + ThighLengthSq - d * d) /
                                         (2 * ThighLength * ShinLength)) -
                             kPi;
        }
        // A hip on its ankle has no direction; it then stands upright over it.
        const float dz = d > 0 ? toHip[2] / d : 0;
        const float dx = d > 0 ? toHip[0] / d : 0;
        hip.angles[0] = -ClampedAsin(dz) - 0.5f * knee.angles[0];
        hip.angles[2] = ClampedAsin(dx);
    }
    // Each foot takes back the turn of its thigh and shin, so it stays level.
    for (const Leg& leg : kLegs) {
        PartTransform& ankle = Joint(leg.ankle);
        const PartTransform& hip = Joint(leg.hip);
        const PartTransform& knee = Joint(leg.knee);
        ankle.angles[2] = -(hip.angles[2] + knee.angles[2]);
        ankle.angles[0] = -(hip.angles[0] + knee.angles[0]);
    }

    // Both walks share TwistVelocity: during a cross-fade the beat walk kicks it again.
    if (Published(FreeDanceWeight) > 0) {
        RandomWalkClamped(&FreeTwist, &TwistVelocity, kTwistAccel, -kTwistSpeed, kTwistSpeed,
                          -kTwistLimit, kTwistLimit, dt);
    }
    if (Published(BeatDanceWeight) > 0) {
        RandomWalkClamped(&model.BeatTwistWalk, &TwistVelocity, kTwistAccel, -kTwistSpeed,
                          kTwistSpeed, -kTwistLimit, kTwistLimit, dt);
        BeatTwist = BeatWave[2] * model.BeatTwistWalk;
    }
    PartTransform& spine = Joint(10);
    spine.angles[1] = kSpineTwistGain * (Published(SilentDanceWeight) * SilentTwist +
                                         Published(FreeDanceWeight) * FreeTwist +
                                         Published(BeatDanceWeight) * BeatTwist);

    BendPartMesh(spine.angles[1]);
    BouncePartMesh(Published(BeatDanceWeight) * model.BeatTwistWalk,
                   Published(BeatDanceWeight) * BeatHipSwayAmplitude);
}
