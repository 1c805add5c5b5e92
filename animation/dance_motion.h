#pragma once
// All state of one dancer's procedural motion. Each CHumanObject owns one; a new dancer starts
// with fresh walks, timers and leg measurements. UI thread only.

#include <cstdint>

class CHumanObject;
struct PartTransform;

struct SwayChannel {
    float random;  // the random-sway part, radians
    float beat;    // the beat-sway part, radians
};

class CDanceMotion {
public:
    explicit CDanceMotion(CHumanObject* model);

    // The per-frame entry; dt is the frame step in milliseconds.
    void Update(float dt);

    static void SetVector(float* place, float x, float y, float z);

    // The sub-steps of Update; Update calls them in the order the motion needs (the legs write
    // the root translation before the spine reads it, the spine moves before the eyes follow).
    void UpdateBeatWaves();
    void StoreRestPose();
    void IdleDrift(float dt);
    void ComputeJointMatrices();
    void SolveLegIK(float dt);
    void BendPartMesh(float angle);
    void BouncePartMesh(float twist, float sway);
    void SwayKind3Mesh();
    void SwayKind5Mesh();
    void UpdateBodySway(float dt);
    void SwingHairA(float scale, float twist, float bendZ, float bendX, float fade);
    void SwingHairB(float scale, float twist, float bendZ, float bendX, float counterYaw,
                    float fade);
    void SwingHairC(float scale, float twist, float bendZ, float bendX, float counterYaw,
                    float fade);
    void SwingHairD(float scale, float twist, float bendZ, float bendX, float fade);
    void UpdateHead(float dt);
    void UpdateArms(float dt);
    void UpdateFingers(float dt);
    void MeasureLegs();                        // once, in the start pose, before the first leg step
    void UpdateRandomSway(float dt, float s);  // the random sway's walks, twist narrowed by s

    // The record of joint k (0 to 56) of Model; only valid for a model that carries the dance.
    PartTransform& Joint(int k) const;

    float BeatWave[4];
    std::int32_t WasDancing;
    float LastBeatPhase;
    float DriftOffset;
    float WristTwistVelocity;
    float ElbowWalkVelocity[2];
    float BeatElbowLow;
    float BeatElbowSpan;
    float SilentArmTarget1[3];
    float FreeArmTarget1[3];
    float BeatArmTarget1[3];
    float SilentArmTarget2[3];
    float FreeArmTarget2[3];
    float BeatArmTarget2[3];
    float BeatArmPoseA[3];
    float BeatArmPoseB[3];
    float ArmWalkVelocity1[3];
    float ArmWalkVelocity2[3];
    float SilentElbow1, FreeElbow1, BeatElbow1;
    float SilentElbow2, FreeElbow2, BeatElbow2;
    SwayChannel SpineSway[6];
    float SwayBendVelocity, SwayTwistVelocity, SwaySideVelocity;
    float SpineLength;
    std::int32_t StepVariant;
    float RandomSwayWeight;
    float BeatSwayWeight;
    std::int32_t PendulumRestPending;
    float PendulumRestOffset[3];
    float LookYaw;
    float LookPitch;
    float LookYawVelocity;
    float ShinVector[3], ThighVector[3];
    float FootTarget[2][3];
    float HipPoint[2][3];
    float ThighLengthSq, ShinLengthSq, ThighLength, ShinLength;
    float BeatHipSwayAmplitude;
    float BeatHipDrop, BeatHipDriftZ;
    float TwistVelocity;
    std::int32_t LegMeasurePending;
    float SilentTwist, FreeTwist, BeatTwist;
    float SilentHipOffset[3], FreeHipOffset[3], BeatHipOffset[3];
    CHumanObject* Model;  // the dancer this motion drives; not owned
};
