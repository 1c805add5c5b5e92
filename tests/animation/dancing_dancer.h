#pragma once
// The generated dancers dancing for the leg, sway, gaze, chain and deformation tests: the styles
// they dance in, a frame of dancing, and joint points in model space composed along the node
// list exactly as drawing does (push, pop and multiply).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "animation/dance_motion.h"
#include "model/matrix_stack.h"
#include "model/vec_math.h"
#include "tests/animation/motion_fixture.h"

// The dance styles a test dances in, as the tracker publishes them.
struct DanceStyle {
    const char* name;
    MotionStyle weights;
};
inline constexpr DanceStyle kDanceStyles[] = {
    {"Silent", kSilentStyle},
    {"Free", kFreeStyle},
    {"Beat", kBeatStyle},
    {"CrossFade", {0.2f, 0.4f, 0.4f, 1}},
};

// The seven generated dancers, by dancer index.
struct GeneratedDancer {
    const char* name;
    int dancer;
};
inline constexpr GeneratedDancer kGeneratedDancers[] = {{"Mirel", 0}, {"MirelH", 1}, {"MirelB", 2},
                                                        {"Orlaq", 3}, {"Ivret", 4},  {"Pemsa", 5},
                                                        {"Daxil", 6}};

class DancingDancer : public MotionFixture {
  protected:
    // Loads dancer index 0 to 6 with her part indices; null (the test failed) when it cannot.
    CDanceMotion* Dance(int index) {
        LoadDancer(index);
        return HasFatalFailure() ? nullptr : m_dancer->Motion.get();
    }

    // Moves the bar on by dt at 120 beats a minute (two phase units a beat) and dances.
    void DanceFrame(float dt) {
        float phase = BeatPhase + 4.0f * dt / 1000.0f;
        if (phase >= 4) phase -= 4;
        BeatPhase = phase;
        m_dancer->AnimatorCall(dt);
    }
};

// Model-space frame of every joint node as drawing composes it (instance at the origin).
inline std::vector<std::vector<float>> DrawnJointFrames(const CModelObject& model) {
    std::vector<std::vector<float>> frames(static_cast<std::size_t>(model.GetJointCount()));
    MatrixStack stack;
    int joint = 0;
    for (std::int32_t n = 0; n < model.GetNodeCount(); ++n) {
        const ModelNode& node = model.GetNode(n);
        if (node.type == kNodePushMatrix) stack.Push();
        if (node.type == kNodePopMatrix) stack.Pop();
        if (node.type != kNodeJoint) continue;
        stack.MultTop(node.transform->matrix);
        frames[static_cast<std::size_t>(joint)].resize(16);
        stack.GetTop(frames[static_cast<std::size_t>(joint)].data());
        ++joint;
    }
    return frames;
}

// Where a point given in joint k's frame is drawn.
inline void DrawnPoint(const CModelObject& model, int joint, const float* local, float* out) {
    Mat4TransformPoint(local, DrawnJointFrames(model)[static_cast<std::size_t>(joint)].data(), out);
}

inline void DrawnOrigin(const CModelObject& model, int joint, float* out) {
    const float origin[3] = {0, 0, 0};
    DrawnPoint(model, joint, origin, out);
}

inline float Distance3(const float* a, const float* b) {
    float d[3], length;
    Vec3Sub(a, b, d);
    Vec3Length(d, &length);
    return length;
}

inline bool AllFinite(const float* values, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}
