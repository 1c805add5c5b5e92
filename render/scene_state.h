#pragma once
// Scene objects and view switches that the frame reads, besides those of the model, dancer,
// camera and light code.
//
// Written on the UI thread: the object pointers by scene start-up (the application object owns
// what they point at), GLReady and RenderEnabled by the view once its context is ready, the
// switches by the view's commands and the preferences. Read on the UI thread by the frame
// driver and the renderer.

#include <array>
#include <cstdint>

#include "model/model_catalogue.h"

class CMeshPart;
class CModelObject;

// The prop slots in drawing order: the spot-light fixture is the fifth.
enum PropSlot : int {
    kSlotTable4,
    kSlotTable2,
    kSlotStool,
    kSlotSpeaker,
    kSlotSpotLight,
    kSlotPlant,
    kSlotBooth,
    kSlotVideoGame,
    kSlotTableGame,
};
// The catalogue record each slot is created from.
constexpr std::array<PropIndex, kPropCount> kPropSlotRecords = {
    kPropTable4, kPropTable2, kPropStool,     kPropSpeaker,   kPropSpotLight,
    kPropPlant,  kPropBooth,  kPropVideoGame, kPropTableGame,
};

extern CModelObject* ClubModel;                           // null only before start-up
extern std::array<CModelObject*, kPropCount> PropModels;  // by PropSlot; null when missing
extern CMeshPart* FloorGrid;                              // drawn in place of the hidden club
extern std::uint32_t FontListBase;                        // first of the 256 overlay font lists
extern int StencilShadowsUsable;                          // the context can draw stencil shadows

extern int GLReady;        // 1 once the view's context and the scene are ready
extern int RenderEnabled;  // 0 holds the drawing while ticks still run

// View switches, 0 or 1 (start values in brackets).
extern int ShowClub;         // the club room, else the floor grid on white (1)
extern int ShowProps;        // the props (0; 1 when any prop loaded)
extern int ShowStats;        // the statistics overlay (0)
extern int ToonShading;      // the dancer's outline and a brighter ambient (0)
extern int SmoothShading;    // smooth, else flat shading (1)
extern int StereoRendering;  // two eyes into the left and right back buffers (0)
