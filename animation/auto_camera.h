#pragma once
// The camera director of camera mode 0, and the camera pad's held buttons turned into moves of
// the manual camera. Both run once per frame, the pad first.

#include <array>
#include <cstdint>

#include "model/vec_math.h"

class CCamera;

// The camera pad dialog as the poll sees it: whether the button with a control id is held down.
class CamAdjustButtons {
public:
    virtual bool IsButtonPushed(int controlId) const = 0;

protected:
    ~CamAdjustButtons() = default;
};

// The pad's buttons in the order they are asked; the first one held wins.
enum class CamMove {
    ZoomIn,
    ZoomOut,
    OrbitLeft,
    OrbitRight,
    WidenView,
    NarrowView,
    OrbitUp,
    OrbitDown
};
struct CamAdjustButton {
    int controlId;
    const char* caption;  // the name of the button's bitmap
    CamMove move;
};
// The captions are the bitmaps' names, not the moves: "CAM_IN" moves the camera away. The
// pad draws each button as its move.
constexpr std::array<CamAdjustButton, 8> kCamAdjustButtons = {{
    {1010, "CAM_IN", CamMove::ZoomOut},
    {1009, "CAM_OUT", CamMove::ZoomIn},
    {1011, "CAM_LEFT", CamMove::OrbitRight},
    {1012, "CAM_RIGHT", CamMove::OrbitLeft},
    {1013, "CAM_WIDE", CamMove::WidenView},
    {1014, "CAM_NARROW", CamMove::NarrowView},
    {1015, "CAM_UP", CamMove::OrbitUp},
    {1016, "CAM_DOWN", CamMove::OrbitDown},
}};

// Scene objects and director state that the application object owns; these are plain globals
// pointing at them. Written by scene start-up and the Adj Camera command, read on the UI thread
// by the frame driver, the renderer and the head look-at.
extern CCamera* ManualCamera;
extern std::array<CCamera*, 2> AutoCameras;
extern std::int16_t ActiveAutoCamera;  // the automatic camera shown in mode 0; start 0
extern RandomTimer AutoCameraTimer;
extern CamAdjustButtons* CamAdjustDialog;  // the newest camera pad; null once it is freed

// Start value of AutoCameraTimer: every shot lasts 2 to 4 seconds, the first one 4.
constexpr RandomTimer kAutoCameraTimerStart{1, 2, 4.0f, 2.0f, {4.0f, 4.0f}};

// Cuts between the two automatic cameras and lets both drift; only in mode 0, not paused.
void AutoCameraTick(float dtMs);
// Runs the move of the first held pad button on the manual camera; at most one per frame.
void PollCamAdjustButtons();
