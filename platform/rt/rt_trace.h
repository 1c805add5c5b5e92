#pragma once
// Tracing rays through a launch frame: the runtime's side of the programs' State.

#include <embree3/rtcore.h>

#include "platform/rt/rt_launch_frame.h"

namespace rt {

// Where a program runs: the launch, and for hit programs the instance that was hit.
struct TraceEnv {
    LaunchFrame* frame = nullptr;
    const FlatInstance* instance = nullptr;
    unsigned depth = 0;
};

struct TraceContext;  // one ray in flight (rt_trace.cpp)

struct StateAccess {
    // A state for program with its variables, its environment and the launch index.
    static void Prepare(rtd::State& state, const ResolvedProgram& program, TraceEnv& env,
                        rtd::UInt2 index, rtd::UInt2 dim);
    static int VisitedChild(const rtd::State& state) { return state.m_visitChild; }

    static const InstanceRecord* Intersect(const TraceContext& tc, unsigned inst, unsigned geom,
                                           unsigned prim, float t, float u, float v, TraceEnv& env,
                                           rtd::State& is);
    static void PrepareHit(rtd::State& hit, const ResolvedProgram& program, const TraceContext& tc,
                           TraceEnv& env, const rtd::State& is);
    static bool AcceptCandidate(TraceContext& tc, unsigned inst, unsigned geom, unsigned prim,
                                float t, float u, float v);
    static bool ClosestHit(TraceContext& tc, const RTCRayHit& rh);
    static void Miss(const TraceContext& tc);
};

// Runs the ray-generation program for one launch index.
void RunRayGeneration(LaunchFrame& frame, unsigned x, unsigned y, unsigned width, unsigned height);

// Embree's filter on every candidate hit: runs the intersection and any-hit programs.
void CandidateFilter(const RTCFilterFunctionNArguments* args);

}  // namespace rt
