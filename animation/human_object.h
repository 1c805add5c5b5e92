#pragma once
// The dancer: a model object with her look-at point, root transform, upper-arm aims, two
// dance timers and the motion record that moves her.

#include <atomic>
#include <cstdint>
#include <memory>

#include "animation/dance_motion.h"
#include "model/model_catalogue.h"
#include "model/model_object.h"
#include "model/vec_math.h"

// Joints the dancer's motion addresses by number (the k-th joint chunk of her model file).
enum DancerJoint : int {
    kJointRoot = 0,
    kJointHip1 = 1,
    kJointKnee1 = 2,
    kJointHip2 = 5,
    kJointKnee2 = 6,
};
constexpr int kDancerJointCount = 57;  // joints 0 to 56: root, legs, spine, chains, eyes, arms

class CHumanObject : public CModelObject {
  public:
    CHumanObject();
    ~CHumanObject() override;

    // The base load, then the leg start pose and the look-at offset. A file whose structure
    // cannot carry the motion (node 0 not joint 0, fewer than 57 joints, a part the
    // deformations name missing) fails like a missing file and leaves the model empty.
    int Load(const char* path, ModelRecord record, int noTextures) override;

    // Instance-0 position + FocusOffset, written into out; returns out.
    float* GetFocusPoint(float* out) const;

    // Advances the dance by dt milliseconds.
    void AnimatorCall(float dt);

    float FocusOffset[3];
    std::unique_ptr<CDanceMotion> Motion;
    float BeatTwistWalk;
    float RootTranslation[3];
    float FreeHipVelocity[3];
    float ArmAim1[3];  // unit direction of the first upper arm (joint 23)
    float ArmAim2[3];  // unit direction of the second upper arm (joint 41)
    float RootRotation[3];
    RandomTimer StepTimer;
    RandomTimer LookTimer;
};

// 1 when the model's structure can carry the dance of its kind (see CHumanObject::Load).
bool CarriesDancerMotion(const CModelObject& model);

// Scene globals, UI thread only: the Dancer menu writes RequestedDancer; the frame driver
// consumes it through SelectDancer, which writes the others.
extern CHumanObject* Dancer;          // the dancer shown; null before start-up and after a failure
extern CHumanObject* DancerShadow;    // her shadow copy; null when it could not be loaded
extern std::atomic<std::int32_t> CurrentDancer;  // dancer index 0 to 6 now shown; the analysis thread reads it
extern std::int32_t RequestedDancer;  // dancer index asked for; -1 none
extern std::int32_t DancerLoaded;     // 1 when the last SelectDancer of the frame driver loaded
// ModelVariant (model/model_catalogue.h) chooses which variant files the dancers load from.
