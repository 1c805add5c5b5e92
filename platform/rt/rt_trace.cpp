#include "platform/rt/rt_trace.h"

#include <cstring>

#include "platform/rt/rt_embree.h"
#include "platform/rt/rt_matrix.h"
#include "platform/rt/rt_texture.h"

namespace rt {

// Embree hands the context back to the filter, so the ray's own data rides behind it.
struct TraceContext {
    RTCIntersectContext base;
    LaunchFrame* frame;
    const TraceTarget* target;
    rtd::Ray ray;  // world space
    unsigned rayType;
    void* payload;
    unsigned depth;  // of the programs this trace runs
    rtd::UInt2 index;
    rtd::UInt2 dim;
};

// Runs the intersection program of the hit; its geometry instance when it reported it. is holds
// the candidate's attributes, env the hit instance.
const InstanceRecord* StateAccess::Intersect(const TraceContext& tc, unsigned inst, unsigned geom,
                                             unsigned prim, float t, float u, float v,
                                             TraceEnv& env, rtd::State& is) {
    const PartRef& part = tc.target->parts[inst][geom];
    const FlatInstance& instance = tc.target->instances[part.instance];
    const InstanceRecord* record = instance.children[part.child];
    if (!record || !record->intersection.function) return nullptr;
    env = TraceEnv{tc.frame, &instance, tc.depth};
    StateAccess::Prepare(is, record->intersection, env, tc.index, tc.dim);
    is.m_ray = {ApplyPoint(instance.toObject, tc.ray.origin),
                ApplyVector(instance.toObject, tc.ray.direction), tc.ray.tmin, tc.ray.tmax};
    is.m_rayType = tc.rayType;
    is.m_payload = tc.payload;
    is.m_primitive = static_cast<int>(instance.bottom->parts[part.child].primitives[prim]);
    is.m_triangle = {t, u, v};
    record->intersection.function(is);
    return is.m_reported && is.m_material < record->materials.size() ? record : nullptr;
}

// A state for a hit program on the hit that is reported.
void StateAccess::PrepareHit(rtd::State& hit, const ResolvedProgram& program,
                             const TraceContext& tc, TraceEnv& env, const rtd::State& is) {
    StateAccess::Prepare(hit, program, env, tc.index, tc.dim);
    hit.m_ray = tc.ray;
    hit.m_rayType = tc.rayType;
    hit.m_payload = tc.payload;
    hit.m_hitT = is.m_hitT;
    std::memcpy(hit.m_attributes, is.m_candidate, rtd::kMaxAttributeBytes);
}

bool StateAccess::AcceptCandidate(TraceContext& tc, unsigned inst, unsigned geom, unsigned prim,
                                  float t, float u, float v) {
    TraceEnv env;
    rtd::State is;
    const InstanceRecord* record = Intersect(tc, inst, geom, prim, t, u, v, env, is);
    if (!record) return false;
    const ResolvedProgram& anyHit = record->materials[is.m_material].anyHit[tc.rayType];
    if (!anyHit.function) return true;
    rtd::State hit;
    PrepareHit(hit, anyHit, tc, env, is);
    hit.m_ray.tmax = is.m_hitT;
    anyHit.function(hit);
    return !hit.m_ignored;
}

// The closest hit Embree found: its programs run; false when its intersection program turned it
// down, so the ray misses.
bool StateAccess::ClosestHit(TraceContext& tc, const RTCRayHit& rh) {
    TraceEnv env;
    rtd::State is;
    const InstanceRecord* record = Intersect(tc, rh.hit.instID[0], rh.hit.geomID, rh.hit.primID,
                                             rh.ray.tfar, rh.hit.u, rh.hit.v, env, is);
    if (!record) return false;
    const ResolvedProgram& closest = record->materials[is.m_material].closestHit[tc.rayType];
    if (closest.function) {
        rtd::State hit;
        PrepareHit(hit, closest, tc, env, is);
        closest.function(hit);
    }
    return true;
}

void StateAccess::Miss(const TraceContext& tc) {
    const ResolvedProgram& miss = tc.frame->miss[tc.rayType];
    if (!miss.function) return;
    TraceEnv env{tc.frame, nullptr, tc.depth};
    rtd::State state;
    StateAccess::Prepare(state, miss, env, tc.index, tc.dim);
    state.m_ray = tc.ray;
    state.m_rayType = tc.rayType;
    state.m_payload = tc.payload;
    miss.function(state);
}

void StateAccess::Prepare(rtd::State& state, const ResolvedProgram& program, TraceEnv& env,
                          rtd::UInt2 index, rtd::UInt2 dim) {
    state.m_vars = program.vars.data();
    state.m_runtime = &env;
    state.m_launchIndex = index;
    state.m_launchDim = dim;
}

void RunRayGeneration(LaunchFrame& frame, unsigned x, unsigned y, unsigned width, unsigned height) {
    TraceEnv env{&frame, nullptr, 0};
    rtd::State state;
    StateAccess::Prepare(state, frame.rayGeneration, env, {x, y}, {width, height});
    frame.rayGeneration.function(state);
}

void CandidateFilter(const RTCFilterFunctionNArguments* args) {
    auto* tc = reinterpret_cast<TraceContext*>(args->context);
    for (unsigned i = 0; i < args->N; ++i) {
        if (args->valid[i] == 0) continue;
        const bool accepted = StateAccess::AcceptCandidate(
            *tc, RTCHitN_instID(args->hit, args->N, i, 0), RTCHitN_geomID(args->hit, args->N, i),
            RTCHitN_primID(args->hit, args->N, i), RTCRayN_tfar(args->ray, args->N, i),
            RTCHitN_u(args->hit, args->N, i), RTCHitN_v(args->hit, args->N, i));
        if (!accepted) args->valid[i] = 0;
    }
}

}  // namespace rt

namespace rtd {

void State::FailLaunch(const char* detail) {
    const char* none = nullptr;
    static_cast<rt::TraceEnv*>(m_runtime)->frame->failure.compare_exchange_strong(none, detail);
}

namespace {

Float4 SampleById(void* runtime, int id, float u, float v) {
    const auto& samplers = static_cast<rt::TraceEnv*>(runtime)->frame->samplers;
    const rt::TextureSampler* sampler = id >= 0 && static_cast<std::size_t>(id) < samplers.size()
                                            ? samplers[static_cast<std::size_t>(id)]
                                            : nullptr;
    return sampler ? rt::Sample(*sampler, u, v) : Float4{0, 0, 0, 0};
}

}  // namespace

Float4 State::Tex1D(int id, float u) const { return SampleById(m_runtime, id, u, 0.0f); }

Float4 State::Tex2D(int id, float u, float v) const { return SampleById(m_runtime, id, u, v); }

void State::Trace(Node node, const Ray& ray, unsigned rayType, void* payload) {
    rt::TraceEnv& env = *static_cast<rt::TraceEnv*>(m_runtime);
    rt::LaunchFrame& frame = *env.frame;
    if (rayType >= frame.miss.size() || env.depth + 1 >= kMaxTraceDepth) return;
    rt::TraceContext tc{{},
                        &frame,
                        static_cast<const rt::TraceTarget*>(node.top),
                        ray,
                        rayType,
                        payload,
                        env.depth + 1,
                        m_launchIndex,
                        m_launchDim};
    rtcInitIntersectContext(&tc.base);
    if (frame.anyHitTypes[rayType]) tc.base.filter = rt::CandidateFilter;
    bool hit = false;
    if (tc.target && tc.target->top) {
        RTCRayHit rh{};
        rh.ray = {ray.origin.x,
                  ray.origin.y,
                  ray.origin.z,
                  ray.tmin,
                  ray.direction.x,
                  ray.direction.y,
                  ray.direction.z,
                  0.0f,
                  ray.tmax,
                  0xFFFFFFFFu,
                  0,
                  0};
        if (frame.closestHitTypes[rayType]) {
            rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
            rh.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
            rtcIntersect1(tc.target->top->scene, &tc.base, &rh);
            hit = rh.hit.geomID != RTC_INVALID_GEOMETRY_ID && rt::StateAccess::ClosestHit(tc, rh);
        } else {
            // No closest hit to find: the first accepted hit ends the ray.
            rtcOccluded1(tc.target->top->scene, &tc.base, &rh.ray);
            hit = rh.ray.tfar < 0.0f;
        }
    }
    if (!hit) rt::StateAccess::Miss(tc);
}

namespace {

// v through the matrix of the hit instance; unchanged outside one.
template <class Apply>
Float3 ThroughInstance(void* runtime, Float3 v, Apply apply) {
    const rt::FlatInstance* instance = static_cast<rt::TraceEnv*>(runtime)->instance;
    return instance ? apply(*instance, v) : v;
}

}  // namespace

Float3 State::ObjectToWorldPoint(Float3 p) const {
    return ThroughInstance(m_runtime, p, [](const rt::FlatInstance& i, Float3 v) {
        return rt::ApplyPoint(i.toWorld, v);
    });
}
Float3 State::ObjectToWorldVector(Float3 v) const {
    return ThroughInstance(m_runtime, v, [](const rt::FlatInstance& i, Float3 w) {
        return rt::ApplyVector(i.toWorld, w);
    });
}
Float3 State::ObjectToWorldNormal(Float3 n) const {
    return ThroughInstance(m_runtime, n, [](const rt::FlatInstance& i, Float3 w) {
        return rt::ApplyTransposed(i.toObject, w);
    });
}
Float3 State::WorldToObjectPoint(Float3 p) const {
    return ThroughInstance(m_runtime, p, [](const rt::FlatInstance& i, Float3 v) {
        return rt::ApplyPoint(i.toObject, v);
    });
}
Float3 State::WorldToObjectVector(Float3 v) const {
    return ThroughInstance(m_runtime, v, [](const rt::FlatInstance& i, Float3 w) {
        return rt::ApplyVector(i.toObject, w);
    });
}

bool State::PotentialIntersection(float t) {
    if (!(t >= m_ray.tmin && t <= m_ray.tmax)) return false;
    m_hitT = t;
    return true;
}

bool State::ReportIntersection(unsigned material) {
    m_reported = true;
    m_material = material;
    return true;
}

}  // namespace rtd
