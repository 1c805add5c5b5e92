// The upper body: a beat sway that twists the upper spine and neck with the bar, or a random
// sway of small bounded walks, cross-faded by a timer while a beat is danced. The lower spine
// leans against the hips' offset and the neck takes the lean back, so the head stays over the
// feet; the pendant chains of the dancer's kind follow last.

#include <cmath>

#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "animation/human_object.h"
#include "audio/beat_tracker.h"
#include "model/vec_math.h"

namespace {

constexpr double kHalfPi = 1.5707964f;  // the single-precision value of pi / 2
constexpr double kLeanDivisor = 1.3;    // the root's own turn enters the lean at 1 / 1.3
constexpr float kVariantFadePerSecond = 0.5f;

const float kC14 = DegToRad(14);  // the largest beat twist walk
const float kC40 = DegToRad(40);
const float kSideLimit = 0.5f * DegToRad(5);  // random lean and bend of channels 3 to 6
const float kSwayAccel = DegToRad(60);
const float kBendSpeed = DegToRad(20);
const float kTwistSpeed = DegToRad(120);
const float kSpineTwistLimit = 0.5f * DegToRad(40);
// The walks turn back just inside half their constant.
constexpr double kTurnBackDivisor = 2.01;

// Channels of SpineSway: 1 and 2 twist joints 11 and 12, 3 and 4 lean them sideways, 5 and 6
// bend them.
enum Channel : int { kTwist11, kTwist12, kSide11, kSide12, kBend11, kBend12 };

// s: 1 up to a twist walk of 2 degrees, then falling linearly to 0.125 at 14 degrees.
float TwistDamping(float twistWalk) {
    const double m = kC40 - 2.5 * kC14;
    const double k = (kC40 - m) / (2.5 * kC14 - m);
    const double t = std::fabs(twistWalk);
    if (2.5 * t <= m) return 1;
    return static_cast<float>(((kC14 - t) * 2.5 * k + m) / kC40);
}

void Fade(float* weight, float by, bool up) {
    if (up && *weight < 1) *weight = std::fmin(*weight + by, 1.0f);
    if (!up && *weight > 0) *weight = std::fmax(*weight - by, 0.0f);
}

void StepChannel(SwayChannel* channel, float velocity, float limit, float dt) {
    channel->random += 0.5f * velocity * dt / 1000;
    ClampFloat(&channel->random, limit, -limit);
}

}  // namespace

void CDanceMotion::UpdateBodySway(float dt) {
    CHumanObject& model = *Model;
    model.StepTimer.Tick(dt);
    StepVariant = Published(DanceMode) == 1 ? model.StepTimer.index : 1;

    const float fade = kVariantFadePerSecond * dt / 1000;
    if (StepVariant != 1) Fade(&RandomSwayWeight, fade, false);
    if (StepVariant != 0) Fade(&BeatSwayWeight, fade, false);
    if (StepVariant == 1) Fade(&RandomSwayWeight, fade, true);
    if (StepVariant == 0) Fade(&BeatSwayWeight, fade, true);

    const float s = TwistDamping(model.BeatTwistWalk);
    if (BeatSwayWeight > 0) {
        float b = kC40 * BeatWave[2];
        if (model.BeatTwistWalk < 0) b *= s;
        SpineSway[kTwist11].beat = 0.5f * b;
        SpineSway[kTwist12].beat = 0.5f * b;
    }
    if (RandomSwayWeight > 0) UpdateRandomSway(dt, s);

    float sum[6];
    for (int c = 0; c < 6; ++c) {
        sum[c] = RandomSwayWeight * SpineSway[c].random + BeatSwayWeight * SpineSway[c].beat;
    }

    // The lower spine leans against the hip offset; the neck takes that lean back (joint 9's
    // twice), while the upper spine's own sway passes on to the head.
    PartTransform& j9 = Joint(9);
    PartTransform& j10 = Joint(10);
    PartTransform& j11 = Joint(11);
    PartTransform& j12 = Joint(12);
    const float* t = model.RootTranslation;
    const float* r = model.RootRotation;
    const double length = SpineLength;
    j9.angles[2] = static_cast<float>(
        kHalfPi - ClampedAcos((-t[0] - std::cos(kHalfPi - r[2]) * length / kLeanDivisor) / length));
    j10.angles[2] = j9.angles[2];
    j11.angles[2] = sum[kSide11] + j9.angles[2];
    j9.angles[0] = static_cast<float>(
        ClampedAcos((std::cos(kHalfPi - r[0]) * length / kLeanDivisor - t[2]) / length) - kHalfPi);
    j10.angles[0] = j9.angles[0];
    j11.angles[0] = sum[kBend11] + j9.angles[0];
    j12.angles[2] = sum[kSide12] - r[2] - j9.angles[2] - j10.angles[2] - j9.angles[2];
    j12.angles[0] = sum[kBend12] - r[0] - j9.angles[0] - j10.angles[0] - j9.angles[0];

    const float lowerTwist = 0.5f * (j10.angles[1] + j9.angles[1]);
    j12.angles[1] = sum[kTwist12] - lowerTwist;
    j11.angles[1] = sum[kTwist11] - lowerTwist;
    ClampFloat(&j12.angles[1], kSpineTwistLimit, -kSpineTwistLimit);
    ClampFloat(&j11.angles[1], kSpineTwistLimit, -kSpineTwistLimit);

    const float bendZ = -(sum[kSide11] + sum[kSide12]);
    const float bendX = -(sum[kBend11] + sum[kBend12]);
    const float counterYaw = -(j11.angles[1] + j12.angles[1]);
    const float twist = model.BeatTwistWalk;
    switch (model.GetType()) {
        case kTypeMirel:
        case kTypeMirelB:
            SwingHairA(s, twist, bendZ, bendX, BeatSwayWeight);
            break;
        case kTypeMirelH:
            SwingHairB(s, twist, bendZ, bendX, counterYaw, BeatSwayWeight);
            break;
        case kTypeIvret:
            SwingHairC(s, twist, bendZ, bendX, counterYaw, BeatSwayWeight);
            break;
        case kTypeDaxil:
            SwingHairD(s, twist, bendZ, bendX, BeatSwayWeight);
            break;
        default:  // Orlaq and Pemsa have no chains
            break;
    }
}

// The random sway's walks; s narrows the twist.
void CDanceMotion::UpdateRandomSway(float dt, float s) {
    SwayBendVelocity += RandSigned() * kSwayAccel * dt / 1000;
    ClampFloat(&SwayBendVelocity, kBendSpeed, -kBendSpeed);
    SwayTwistVelocity += RandSigned() * kSwayAccel * dt / 1000;
    ClampFloat(&SwayTwistVelocity, kTwistSpeed, -kTwistSpeed);
    SwaySideVelocity += RandSigned() * kSwayAccel * dt / 1000;
    ClampFloat(&SwaySideVelocity, kBendSpeed, -kBendSpeed);

    const float twistLimit = 0.5f * kC40 * s;
    StepChannel(&SpineSway[kBend11], SwayBendVelocity, kSideLimit, dt);
    StepChannel(&SpineSway[kTwist11], SwayTwistVelocity, twistLimit, dt);
    StepChannel(&SpineSway[kSide11], SwaySideVelocity, kSideLimit, dt);
    StepChannel(&SpineSway[kBend12], SwayBendVelocity, kSideLimit, dt);
    StepChannel(&SpineSway[kTwist12], SwayTwistVelocity, twistLimit, dt);
    StepChannel(&SpineSway[kSide12], SwaySideVelocity, kSideLimit, dt);

    const double sideTurn = DegToRad(5) / kTurnBackDivisor;
    if (std::fabs(SpineSway[kBend11].random) > sideTurn) SwayBendVelocity = 0;
    if (std::fabs(SpineSway[kTwist11].random) > kC40 / kTurnBackDivisor) SwayTwistVelocity = 0;
    if (std::fabs(SpineSway[kSide11].random) > sideTurn) SwaySideVelocity = 0;
}
