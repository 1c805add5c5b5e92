// Showing and hiding the scene items through their selectors.

#include "raytrace/rt_scene.h"
#include "render/scene_helpers.h"

namespace raytrace {

void RtShowRecord(const RtSceneObject& record, int show) {
    if (record.selectorIndexVar) rtVariableSet1i(record.selectorIndexVar, show ? 0 : 1);
}

void RtShowTableSet4(int show) { RtShowRecord(RtRecords.tableSet4, show); }
void RtShowTableSet2(int show) { RtShowRecord(RtRecords.tableSet2, show); }
void RtShowStool(int show) { RtShowRecord(RtRecords.stool, show); }
void RtShowSpeaker(int show) { RtShowRecord(RtRecords.speaker, show); }
void RtShowTableGame(int show) { RtShowRecord(RtRecords.tableGame, show); }
void RtShowVideoGame(int show) { RtShowRecord(RtRecords.videoGame, show); }
void RtShowBooth(int show) { RtShowRecord(RtRecords.booth, show); }
void RtShowPlant(int show) { RtShowRecord(RtRecords.plant, show); }

void RtShowSpotLights(int show) {
    for (int k = 0; k < kRtFixtureCount; ++k) {
        RtShowRecord(RtRecords.fixtures[k], show && k < SpotsInForce());
    }
}

void RtShowClub(int show) {
    if (RtScene.clubSelectorIndex) rtVariableSet1i(RtScene.clubSelectorIndex, show ? 1 : 0);
    for (void (*item)(int) : {RtShowTableSet4, RtShowTableSet2, RtShowStool, RtShowSpeaker,
                              RtShowSpotLights, RtShowTableGame, RtShowVideoGame, RtShowBooth,
                              RtShowPlant}) {
        item(show);
    }
}

}  // namespace raytrace
