#include "animation/dance_motion.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "animation/human_object.h"
#include "animation/view_state.h"
#include "audio/beat_tracker.h"
#include "model/vec_math.h"

namespace {
constexpr float k40Degrees = 0.6981317f;  // radians
constexpr float kPi = 3.1415927f;
constexpr std::int16_t kModeSilent = 3;
constexpr int kJointUpperArm1 = 23;
constexpr int kJointUpperArm2 = 41;
const float kDriftLimit = DegToRad(0.1f);  // the paused tremble, at most this far from the pose
const float kDownward[3] = {0, -1, 0};     // the direction in which an upper arm hangs at rest

// Calls step(node index, joint) for every joint node after the root.
template <typename Step>
void ForEachJointAfterRoot(const CModelObject& model, Step step) {
    for (std::int32_t i = 1; i < model.GetNodeCount(); ++i) {
        const ModelNode& node = model.GetNode(i);
        if (node.type == kNodeJoint && node.transform != nullptr) step(i, *node.transform);
    }
}
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

void CDanceMotion::Update(float dt) {
    // A model that failed to load (or cannot carry the dance) has no joints to move.
    if (Model == nullptr || !CarriesDancerMotion(*Model)) return;
    if (Paused != 0) {
        if (WasDancing != 0) StoreRestPose();
        WasDancing = 0;
        IdleDrift(dt);
        ComputeJointMatrices();
        return;
    }
    WasDancing = 1;
    // The pose holds until time and the phase both move.
    if (dt <= 0 || BeatPhase.load(std::memory_order_relaxed) == LastBeatPhase) {
        ComputeJointMatrices();
        return;
    }
    UpdateBeatWaves();
    SolveLegIK(dt);  // writes the root translation and joint 10's twist, which the spine reads
    const std::int32_t kind = Model->GetType();
    if (kind == kTypeOrlaq) SwayKind3Mesh();
    if (kind == kTypePemsa) SwayKind5Mesh();
    UpdateBodySway(dt);  // moves the spine, which the eyes then compensate
    UpdateHead(dt);
    UpdateArms(dt);
    if (DanceMode.load(std::memory_order_relaxed) != kModeSilent) UpdateFingers(dt);
    LastBeatPhase = BeatPhase.load(std::memory_order_relaxed);
    ComputeJointMatrices();
}

void CDanceMotion::UpdateBeatWaves() {
    const float phase = BeatPhase.load(std::memory_order_relaxed);
    for (int k = 0; k < 4; ++k) {
        const float product = (phase + static_cast<float>(k)) * kPi;
        BeatWave[k] = static_cast<float>(std::sin(static_cast<double>(product) / 2.0));
    }
}

void CDanceMotion::StoreRestPose() {
    ForEachJointAfterRoot(*Model, [](std::int32_t, PartTransform& joint) {
        for (int axis = 0; axis < 3; ++axis) joint.restAngles[axis] = joint.angles[axis];
    });
}

void CDanceMotion::IdleDrift(float dt) {
    ForEachJointAfterRoot(*Model, [this, dt](std::int32_t, PartTransform& joint) {
        for (int axis = 0; axis < 3; ++axis) {
            // Drawn for every axis, used or not, so the random sequence does not depend on
            // the pose.
            DriftOffset = RandSigned() * kDriftLimit * dt / 1000.0f;
            ClampFloat(&DriftOffset, kDriftLimit, -kDriftLimit);
            // Joints the dance never moved stay still.
            if (joint.angles[axis] != 0.0f)
                joint.angles[axis] = joint.restAngles[axis] + DriftOffset;
        }
    });
}

void CDanceMotion::ComputeJointMatrices() {
    float translation[16];
    float rotation[16];
    float rotated[16];
    PartTransform& root = *Model->GetNode(0).transform;
    Mat4Translation(translation, Model->RootTranslation[0], Model->RootTranslation[1],
                    Model->RootTranslation[2]);
    Mat4RotateXYZ(rotation, Model->RootRotation[0], Model->RootRotation[1], Model->RootRotation[2]);
    Mat4Multiply(rotation, root.restMatrix, rotated);
    Mat4Multiply(rotated, translation, root.matrix);

    const std::int32_t upperArm1 = Model->GetJointNode(kJointUpperArm1);
    const std::int32_t upperArm2 = Model->GetJointNode(kJointUpperArm2);
    ForEachJointAfterRoot(*Model, [&](std::int32_t i, PartTransform& joint) {
        float posed[16];
        Mat4RotateXYZ(rotation, joint.angles[0], joint.angles[1], joint.angles[2]);
        Mat4Multiply(rotation, joint.restMatrix, posed);
        if (i != upperArm1 && i != upperArm2) {
            std::copy_n(posed, 16, joint.matrix);
            return;
        }
        // The upper arm turns from hanging straight down towards its aim.
        float aim[16];
        Mat4RotateByCross(aim, kDownward, i == upperArm1 ? Model->ArmAim1 : Model->ArmAim2);
        Mat4Multiply(aim, posed, joint.matrix);
    });
}
