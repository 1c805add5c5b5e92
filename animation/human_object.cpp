#include "animation/human_object.h"

CHumanObject* Dancer = nullptr;
CHumanObject* DancerShadow = nullptr;
std::atomic<std::int32_t> CurrentDancer{0};
std::int32_t RequestedDancer = -1;
std::int32_t DancerLoaded = 0;

namespace {

constexpr double kFocusHeightFactor = 1.1;  // look-at point above the pelvis, per pelvis height

// The leg start pose, in degrees: the pose in which the leg motion measures the legs.
constexpr float kHipSpreadDegrees = 10;
constexpr float kHipLiftDegrees = 15;
constexpr float kKneeBendDegrees = -30;

RandomTimer MakeTimer(std::int16_t count, float maxA, float maxB, float maxC) {
    RandomTimer timer;
    timer.index = 1;
    timer.count = count;
    timer.remaining = 4;
    timer.min = 2;
    timer.max = {maxA, maxB, maxC, 0};
    return timer;
}

// The highest part index that the deformations of this dancer kind move: parts 9 and 10 (14
// and 15 for MirelB), part 0 for Orlaq and Pemsa, Ivret's pendulum part 15.
int LastDeformedPart(std::int32_t type) {
    return type == kTypeMirelB || type == kTypeIvret ? 15 : 10;
}

void SetAngle(CModelObject* model, int joint, int axis, float degrees) {
    model->GetNode(model->GetJointNode(joint)).transform->angles[axis] = DegToRad(degrees);
}

}  // namespace

CHumanObject::CHumanObject()
    : FocusOffset{},
      Motion(std::make_unique<CDanceMotion>(this)),
      BeatTwistWalk(0),
      RootTranslation{10, 0, 0},
      FreeHipVelocity{},
      ArmAim1{},
      ArmAim2{},
      RootRotation{},
      StepTimer(MakeTimer(2, 20, 30, 0)),
      LookTimer(MakeTimer(3, 4, 4, 4)) {
    // The silent style's aims, so the arms hang as at rest before the first dance step.
    Vec3Normalize(Motion->SilentArmTarget1, ArmAim1);
    Vec3Normalize(Motion->SilentArmTarget2, ArmAim2);
}

CHumanObject::~CHumanObject() = default;

bool CarriesDancerMotion(const CModelObject& model) {
    if (model.GetNodeCount() < 1 || model.GetNode(0).type != kNodeJoint) return false;
    if (model.GetJointCount() < kDancerJointCount || model.GetJointNode(0) != 0) return false;
    return model.GetPartCount() > LastDeformedPart(model.GetType());
}

int CHumanObject::Load(const char* path, ModelRecord record, int noTextures) {
    const int result = CModelObject::Load(path, record, noTextures);
    if (result != kLoadOk) return result;
    if (!CarriesDancerMotion(*this)) {
        Clear();
        return kLoadNoFile;
    }
    constexpr int kX = 0, kZ = 2;
    SetAngle(this, kJointHip1, kZ, -kHipSpreadDegrees);
    SetAngle(this, kJointHip2, kZ, kHipSpreadDegrees);
    SetAngle(this, kJointHip1, kX, kHipLiftDegrees);
    SetAngle(this, kJointHip2, kX, kHipLiftDegrees);
    SetAngle(this, kJointKnee1, kX, kKneeBendDegrees);
    SetAngle(this, kJointKnee2, kX, kKneeBendDegrees);
    const float pelvisHeight = GetNode(0).transform->restMatrix[13];
    FocusOffset[1] = static_cast<float>(kFocusHeightFactor * pelvisHeight);
    return kLoadOk;
}

float* CHumanObject::GetFocusPoint(float* out) const {
    GetPosition(out, 0);
    for (int i = 0; i < 3; ++i) out[i] += FocusOffset[i];
    return out;
}

void CHumanObject::AnimatorCall(float dt) {
    if (Motion) Motion->Update(dt);
}
