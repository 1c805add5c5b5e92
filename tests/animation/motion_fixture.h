#pragma once
// A generated dancer loaded into a real GL context, with the published dance values and the
// pause flag at known settings; each test starts from the same random sequence.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "animation/human_object.h"
#include "animation/view_state.h"
#include "audio/beat_tracker.h"
#include "model/model_catalogue.h"
#include "tests/support/gl_context.h"

struct MotionStyle {
    float silent, free, beat;
    std::int16_t mode;
};
constexpr MotionStyle kSilentStyle{1, 0, 0, 3};
constexpr MotionStyle kFreeStyle{0, 1, 0, 0};
constexpr MotionStyle kBeatStyle{0, 0, 1, 1};

class MotionFixture : public GlFixture {
  protected:
    void SetUp() override {
        GlFixture::SetUp();
        std::srand(1);
        Paused = 0;
        BeatPhase.store(0);
        SetStyle(kSilentStyle);
    }
    void TearDown() override {
        m_dancer.reset();  // its display lists go while the context is current
        Paused = 0;
        BeatPhase.store(0);
        SetStyle(kSilentStyle);
        GlFixture::TearDown();
    }

    // Loads dancer index 0 to 6 from the generated models.
    void LoadDancer(int index) {
        InitMaterialTables();
        const ModelRecord& record = DancerRecords[index];
        m_dancer = std::make_unique<CHumanObject>();
        ASSERT_EQ(m_dancer->Load(DancerModelPath(0, record).c_str(), record, 0), kLoadOk)
            << record.name;
    }

    static void SetStyle(const MotionStyle& style) {
        SilentDanceWeight.store(style.silent);
        FreeDanceWeight.store(style.free);
        BeatDanceWeight.store(style.beat);
        DanceMode.store(style.mode);
    }

    CDanceMotion& Motion() { return *m_dancer->Motion; }
    PartTransform& Joint(int k) { return m_dancer->Motion->Joint(k); }

    std::unique_ptr<CHumanObject> m_dancer;
};
