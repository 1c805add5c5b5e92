// Arms and fingers: three target sets per arm (silent rest, free wander, beat swing) blended by
// the style weights into one aim per upper arm, the shoulder taking any rise above level; the
// elbows blend the same way, the wrists follow the elbows and the fingers curl by a slow drift.
#include <atomic>
#include <cmath>

#include "animation/dance_motion.h"
#include "animation/human_object.h"
#include "audio/beat_tracker.h"
#include "model/vec_math.h"

namespace {

constexpr std::int16_t kModeSilent = 3;
constexpr int kX = 0, kY = 1, kZ = 2;

// Joints of the first arm; the second arm's are 18 further on.
constexpr int kJointShoulder1 = 22;
constexpr int kJointElbow1 = 24;
constexpr int kJointWrist1 = 25;
constexpr int kJointFinger1 = 26;  // four fingers of three segments each: 26 to 37
constexpr int kJointThumb1 = 38;
constexpr int kSecondArm = 18;
constexpr int kFingerJoints = 12;
constexpr int kFingerSegments = 3;

// Arm target walks, in target units (only the blended direction matters).
constexpr float kArmAccel = 0.3f;
constexpr float kArmSpeed = 6.0f;  // per second
constexpr float kArmLow = -10.0f;  // every coordinate stays within kArmLow to kArmHigh
constexpr float kArmHigh = 9.5f;
constexpr float kArmFront = -1.0f;  // z: the arms stay in front of the body
constexpr float kArmOut = 1.0f;     // |x|: the arms stay out to their own side
constexpr float kArmOutFar = 10.0f;
constexpr float kBeatHighOut = 5.0f;   // x of the beat style's high pose
constexpr float kBeatHighLow = -5.0f;  // y of the beat style's high pose

const float kElbowAccel = DegToRad(10);
const float kElbowSpeed = DegToRad(30);  // per second
const float kElbowBend1 = DegToRad(40);  // the first elbow bends up to this
const float kElbowBend2 = DegToRad(70);  // the second elbow bends between the two
const float kWristLift = DegToRad(20);
const float kWristTwistAccel = DegToRad(40);
const float kWristTwistSpeed = DegToRad(40);  // per second
const float kWristTwistLimit = DegToRad(20);
const float kFingerDrift = DegToRad(60);    // per second, a third of it per curl step
const float kFingerOpen = DegToRad(-20);    // the first hand's least curl
const float kFingerClosed = DegToRad(-70);  // its most
const float kThumbAngle = DegToRad(-20);

float Load(const std::atomic<float>& weight) { return weight.load(std::memory_order_relaxed); }

void WalkArm(float* value, float* velocity, float min, float max, float dt) {
    RandomWalkClamped(value, velocity, kArmAccel, -kArmSpeed, kArmSpeed, min, max, dt);
}

void WalkElbow(float* value, float* velocity, float min, float max, float dt) {
    RandomWalkClamped(value, velocity, kElbowAccel, -kElbowSpeed, kElbowSpeed, min, max, dt);
}

void WalkFreeTarget(float* target, float* velocity, float xMin, float xMax, float dt) {
    WalkArm(&target[kX], &velocity[kX], xMin, xMax, dt);
    WalkArm(&target[kY], &velocity[kY], kArmLow, kArmHigh, dt);
    WalkArm(&target[kZ], &velocity[kZ], kArmLow, kArmFront, dt);
}

// The three styles' values weighted by the style weights.
float Blend(float silent, float free, float beat) {
    return Load(SilentDanceWeight) * silent + Load(FreeDanceWeight) * free +
           Load(BeatDanceWeight) * beat;
}

void BlendTargets(const float* silent, const float* free, const float* beat, float* out) {
    for (int i = 0; i < 3; ++i) out[i] = Blend(silent[i], free[i], beat[i]);
}

// A target above the shoulder raises the shoulder by its elevation and leaves the arm level;
// returns the shoulder's raise.
float TakeShoulderRise(float* target) {
    if (target[kY] <= 0) return 0;
    const float rise = atanf(target[kY] / sqrtf(target[kZ] * target[kZ] + target[kX] * target[kX]));
    target[kY] = 0;
    return rise;
}

}  // namespace

void CDanceMotion::UpdateArms(float dt) {
    if (Load(FreeDanceWeight) > 0) {
        WalkFreeTarget(FreeArmTarget1, ArmWalkVelocity1, kArmOut, kArmOutFar, dt);
    }
    if (Load(BeatDanceWeight) > 0) {
        WalkArm(&BeatArmPoseA[kX], &ArmWalkVelocity1[kX], kArmOut, kArmOutFar, dt);
        BeatArmPoseA[kY] = kArmLow;
        WalkArm(&BeatArmPoseA[kZ], &ArmWalkVelocity1[kZ], kArmLow, kArmFront, dt);
        WalkArm(&BeatArmPoseB[kX], &ArmWalkVelocity2[kX], kBeatHighOut, kArmOutFar, dt);
        WalkArm(&BeatArmPoseB[kY], &ArmWalkVelocity2[kY], kBeatHighLow, kArmHigh, dt);
        WalkArm(&BeatArmPoseB[kZ], &ArmWalkVelocity2[kZ], kArmLow, kArmFront, dt);
        // The first arm sits at pose A at the wave's low point and at pose B at its peak.
        const float f = 0.5f * (BeatWave[2] + 1);
        for (int i = 0; i < 3; ++i) {
            BeatArmTarget1[i] = BeatArmPoseA[i] + (BeatArmPoseB[i] - BeatArmPoseA[i]) * f;
        }
    }
    float target[3];
    BlendTargets(SilentArmTarget1, FreeArmTarget1, BeatArmTarget1, target);
    Joint(kJointShoulder1).angles[kZ] = TakeShoulderRise(target);
    Vec3Normalize(target, Model->ArmAim1);

    if (Load(FreeDanceWeight) > 0) {
        WalkFreeTarget(FreeArmTarget2, ArmWalkVelocity2, -kArmOutFar, -kArmOut, dt);
    }
    if (Load(BeatDanceWeight) > 0) {
        // The same pose pair mirrored to the other side, on the opposite wave w[0] = -w[2], so
        // the arms swing in turn.
        const float g = 0.5f * (BeatWave[0] + 1);
        BeatArmTarget2[kX] = -(BeatArmPoseA[kX] + (BeatArmPoseB[kX] - BeatArmPoseA[kX]) * g);
        for (int i = kY; i <= kZ; ++i) {
            BeatArmTarget2[i] = BeatArmPoseA[i] + (BeatArmPoseB[i] - BeatArmPoseA[i]) * g;
        }
    }
    BlendTargets(SilentArmTarget2, FreeArmTarget2, BeatArmTarget2, target);
    Joint(kJointShoulder1 + kSecondArm).angles[kZ] = -TakeShoulderRise(target);
    Vec3Normalize(target, Model->ArmAim2);

    if (Load(FreeDanceWeight) > 0) {
        WalkElbow(&FreeElbow1, &ElbowWalkVelocity[0], 0, kElbowBend1, dt);
        WalkElbow(&FreeElbow2, &ElbowWalkVelocity[1], kElbowBend1, kElbowBend2, dt);
    }
    if (Load(BeatDanceWeight) > 0) {
        WalkElbow(&BeatElbowLow, &ElbowWalkVelocity[0], 0, kElbowBend1, dt);
        WalkElbow(&BeatElbowSpan, &ElbowWalkVelocity[1], kElbowBend1, kElbowBend2, dt);
        // Each elbow swings between Low and Low + Span, in phase with its arm.
        const float s = ((BeatElbowLow + BeatElbowSpan) - BeatElbowLow) * 0.5f;
        BeatElbow1 = (BeatWave[2] + 1) * s + BeatElbowLow;
        BeatElbow2 = (BeatWave[0] + 1) * s + BeatElbowLow;
    }
    PartTransform& elbowJoint1 = Joint(kJointElbow1);
    PartTransform& elbowJoint2 = Joint(kJointElbow1 + kSecondArm);
    elbowJoint1.angles[kX] = Blend(SilentElbow1, FreeElbow1, BeatElbow1);
    elbowJoint2.angles[kX] = Blend(SilentElbow2, FreeElbow2, BeatElbow2);

    // In silence the wrists keep their last angles.
    if (DanceMode.load(std::memory_order_relaxed) == kModeSilent) return;
    PartTransform& wrist1 = Joint(kJointWrist1);
    PartTransform& wrist2 = Joint(kJointWrist1 + kSecondArm);
    wrist1.angles[kX] = static_cast<float>(elbowJoint1.angles[kX] / 3.0 - kWristLift);
    wrist2.angles[kX] = static_cast<float>(elbowJoint2.angles[kX] / 3.0 - kWristLift);
    RandomWalkClamped(&wrist1.angles[kY], &WristTwistVelocity, kWristTwistAccel, -kWristTwistSpeed,
                      kWristTwistSpeed, -kWristTwistLimit, kWristTwistLimit, dt);
    wrist2.angles[kY] = -wrist1.angles[kY];
}

void CDanceMotion::UpdateFingers(float dt) {
    // One drift step per frame for all fingers, so a hand keeps one common curl.
    const double step = static_cast<double>(RandSigned() * kFingerDrift * dt / 1000.0f) / 3.0;
    for (int finger = 0; finger < kFingerJoints; finger += kFingerSegments) {
        float& curl = Joint(kJointFinger1 + finger).angles[kZ];
        curl = static_cast<float>(curl + step);
        ClampFloat(&curl, kFingerOpen, kFingerClosed);
        for (int segment = 1; segment < kFingerSegments; ++segment) {
            Joint(kJointFinger1 + finger + segment).angles[kZ] = curl;
        }
    }
    Joint(kJointThumb1).angles[kX] = kThumbAngle;
    for (int k = 0; k < kFingerJoints; ++k) {
        Joint(kJointFinger1 + kSecondArm + k).angles[kZ] = -Joint(kJointFinger1 + k).angles[kZ];
    }
    Joint(kJointThumb1 + kSecondArm).angles[kX] = kThumbAngle;  // the same sign as the first
}
