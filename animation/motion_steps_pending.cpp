// Motion steps still to come: each leaves the pose as it is until its real version lands.
#include "animation/dance_motion.h"

void CDanceMotion::SolveLegIK(float /*dt*/) {}  // still to come
void CDanceMotion::BendPartMesh(float /*angle*/) {}  // still to come
void CDanceMotion::BouncePartMesh(float /*twist*/, float /*sway*/) {}  // still to come
void CDanceMotion::SwayKind3Mesh() {}  // still to come
void CDanceMotion::SwayKind5Mesh() {}  // still to come
void CDanceMotion::UpdateBodySway(float /*dt*/) {}  // still to come
void CDanceMotion::SwingHairA(float, float, float, float, float) {}  // still to come
void CDanceMotion::SwingHairB(float, float, float, float, float, float) {}  // still to come
void CDanceMotion::SwingHairC(float, float, float, float, float, float) {}  // still to come
void CDanceMotion::SwingHairD(float, float, float, float, float) {}  // still to come
void CDanceMotion::UpdateHead(float /*dt*/) {}  // still to come
