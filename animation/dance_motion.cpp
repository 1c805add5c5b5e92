#include "animation/dance_motion.h"

#include "animation/human_object.h"

namespace {
constexpr float k40Degrees = 0.6981317f;  // radians
}  // namespace

CDanceMotion::CDanceMotion(CHumanObject* model)
    : BeatWave{},
      WasDancing(1),
      LastBeatPhase(0),
      DriftOffset(0),
      WristTwistVelocity(0),
      ElbowWalkVelocity{},
      BeatElbowLow(0),
      BeatElbowSpan(k40Degrees),
      SilentElbow1(0),
      FreeElbow1(0),
      BeatElbow1(0),
      SilentElbow2(0),
      FreeElbow2(0),
      BeatElbow2(k40Degrees),
      SpineSway{},
      SwayBendVelocity(0),
      SwayTwistVelocity(0),
      SwaySideVelocity(0),
      SpineLength(1000),
      StepVariant(1),
      RandomSwayWeight(1.0f),
      BeatSwayWeight(0),
      PendulumRestPending(1),
      PendulumRestOffset{},
      LookYaw(0),
      LookPitch(0),
      LookYawVelocity(0),
      ShinVector{},
      ThighVector{},
      FootTarget{},
      HipPoint{},
      ThighLengthSq(0),
      ShinLengthSq(0),
      ThighLength(0),
      ShinLength(0),
      BeatHipSwayAmplitude(60),
      BeatHipDrop(0),
      BeatHipDriftZ(0),
      TwistVelocity(0),
      LegMeasurePending(1),
      SilentTwist(0),
      FreeTwist(0),
      BeatTwist(0),
      SilentHipOffset{},
      FreeHipOffset{},
      BeatHipOffset{},
      Model(model) {
    SetVector(SilentArmTarget1, 1, -10, 0);
    SetVector(FreeArmTarget1, 1, -10, -10);
    SetVector(BeatArmTarget1, 1, -10, -10);
    SetVector(SilentArmTarget2, -1, -10, 0);
    SetVector(FreeArmTarget2, -1, -10, -10);
    SetVector(BeatArmTarget2, -10, 9.5f, -1);
    SetVector(BeatArmPoseA, 1, -10, -10);
    SetVector(BeatArmPoseB, 10, 9.5f, -1);
    SetVector(ArmWalkVelocity1, 0, 0, 0);
    SetVector(ArmWalkVelocity2, 0, 0, 0);
}

void CDanceMotion::SetVector(float* place, float x, float y, float z) {
    place[0] = x;
    place[1] = y;
    place[2] = z;
}

PartTransform& CDanceMotion::Joint(int k) const {
    return *Model->GetNode(Model->GetJointNode(k)).transform;
}

// The motion steps are not written yet; until they are, the dancer keeps her loaded pose.
void CDanceMotion::Update(float /*dt*/) {}
