#pragma once
// Small stand-ins for the cameras' and lights' tests: a dancer placed without a model file,
// a steerable key-move clock and restoring the view state.

#include <cstdint>

#include "animation/camera.h"
#include "animation/human_object.h"
#include "animation/view_state.h"

// A dancer whose look-at point is at focus; she is the scene's Dancer while it lives.
class PlacedDancer {
public:
    explicit PlacedDancer(const float* focus) {
        const float origin[3] = {0.0f, 0.0f, 0.0f};
        m_dancer.SetInstanceCount(1);
        m_dancer.SetPosition(0, origin);
        MoveFocusTo(focus);
        Dancer = &m_dancer;
    }
    ~PlacedDancer() { Dancer = nullptr; }
    PlacedDancer(const PlacedDancer&) = delete;
    PlacedDancer& operator=(const PlacedDancer&) = delete;
    // Moves her so that her look-at point is at focus.
    void MoveFocusTo(const float* focus) {
        for (int i = 0; i < 3; ++i) m_dancer.FocusOffset[i] = focus[i];
    }

private:
    CHumanObject m_dancer;
};

// The key-move clock reads FakeKeyClock::now while an instance lives.
class FakeKeyClock {
public:
    FakeKeyClock() {
        KeyMoveClock = &Read;
        KeyMoveClockBase = 0;
        LastKeyMoveTime = 0;
        now = 0.0f;
    }
    ~FakeKeyClock() {
        KeyMoveClock = m_saved;
        KeyMoveClockBase = 0;
        LastKeyMoveTime = 0;
    }
    FakeKeyClock(const FakeKeyClock&) = delete;
    FakeKeyClock& operator=(const FakeKeyClock&) = delete;

    static inline float now = 0.0f;

private:
    static float Read(std::int32_t*) { return now; }
    KeyMoveClockFn m_saved = KeyMoveClock;
};

// Puts CameraMode, Paused and the viewport back as they were.
class ViewStateGuard {
public:
    ViewStateGuard() = default;
    ~ViewStateGuard() {
        CameraMode = m_mode;
        Paused = m_paused;
        ViewportWidth = m_width;
        ViewportHeight = m_height;
    }
    ViewStateGuard(const ViewStateGuard&) = delete;
    ViewStateGuard& operator=(const ViewStateGuard&) = delete;

private:
    int m_mode = CameraMode;
    int m_paused = Paused;
    int m_width = ViewportWidth;
    int m_height = ViewportHeight;
};
