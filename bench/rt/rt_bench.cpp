// Rays per second of the runtime on the generated club and props (primary rays and one shadow
// ray per hit, trivial shading), side by side with bare Embree tracing the same triangles in
// the same two levels, over the same tiles and threads. The difference is the runtime's
// overhead: programs, variable blocks, filters and the flattened graph. Threads: the
// hardware's, or VM_RT_THREADS for both. Run from the run folder (Models/ there).

#include <benchmark/benchmark.h>
#include <embree3/rtcore.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/rt/club_scene.h"
#include "platform/rt/rt_api.h"
#include "platform/rt/rt_device.h"
#include "platform/rt/worker_pool.h"

namespace {

using rtd::Float3;

constexpr unsigned kW = 960, kH = 540;
constexpr std::size_t kTile = 16;

Float3 Add(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Float3 Sub(Float3 a, Float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Float3 Scale(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

// Eye, light and the primary ray of every pixel, shared by both tracers.
struct View {
    explicit View(const rtbench::ClubScene& s) {
        const Float3 lo{s.lower[0], s.lower[1], s.lower[2]}, hi{s.upper[0], s.upper[1], s.upper[2]};
        const Float3 size = Sub(hi, lo);
        eye = {lo.x + 0.5f * size.x, lo.y + 0.4f * size.y, lo.z + 0.8f * size.z};
        light = {lo.x + 0.5f * size.x, lo.y + 0.9f * size.y, lo.z + 0.5f * size.z};
    }
    Float3 Direction(unsigned x, unsigned y) const {
        const float sx = ((static_cast<float>(x) + 0.5f) / kW * 2.0f - 1.0f) * 0.41f * kW / kH;
        const float sy = ((static_cast<float>(y) + 0.5f) / kH * 2.0f - 1.0f) * 0.41f;
        return {sx, sy - 0.15f, -1.0f};
    }
    Float3 eye{}, light{};
};

const rtbench::ClubScene& Scene() {
    static const rtbench::ClubScene scene = rtbench::LoadClubScene();
    return scene;
}

// The runtime's side: its programs, registered here.
struct Radiance {
    int hit = 0;
    int lit = 0;
};
struct Shadow {
    int blocked = 0;
};

struct Globals {
    View view{Scene()};
};
const Globals& Bench() {
    static const Globals globals;
    return globals;
}

constexpr const char* kCameraVars[] = {"outputBuffer", "topObject"};
void Camera(rtd::State& s) {
    const rtd::UInt2 i = s.LaunchIndex();
    const View& view = Bench().view;
    Radiance r;
    s.Trace(s.Var(1).node, {view.eye, view.Direction(i.x, i.y), 0.0f, 1e30f}, 0, &r);
    if (auto* px = s.Element<rtd::UChar4>(s.Var(0).buffer, i.x, i.y)) {
        *px = {static_cast<std::uint8_t>(r.hit), static_cast<std::uint8_t>(r.lit), 0, 255};
    }
}

constexpr const char* kHitVars[] = {"topShadower"};
void Hit(rtd::State& s) {
    const rtd::Ray& ray = s.CurrentRay();
    const Float3 p = Add(ray.origin, Scale(ray.direction, s.HitT()));
    Shadow shadow;
    s.Trace(s.Var(0).node, {p, Sub(Bench().view.light, p), 1e-4f, 0.9999f}, 1, &shadow);
    auto& r = s.Payload<Radiance>();
    r.hit = 1;
    r.lit = shadow.blocked ? 0 : 1;
}

void Block(rtd::State& s) {
    s.Payload<Shadow>().blocked = 1;
    s.TerminateRay();
}
void Intersect(rtd::State& s) {
    if (s.PotentialIntersection(s.Triangle().t)) s.ReportIntersection(0);
}
void Nothing(rtd::State&) {}

const char* const kPrograms[] = {"benchCamera", "benchHit", "benchBlock", "benchIntersect",
                                 "benchBounds"};

std::string ProgramFile() {
    const auto path = std::filesystem::temp_directory_path() / "rt_bench_programs.ptx";
    std::ofstream out(path);
    out << ".version 7.0\n.target sm_75\n.address_size 64\n";
    for (const char* name : kPrograms) out << ".visible .entry " << name << "()\n{\n\tret;\n}\n";
    return path.string();
}

void RegisterPrograms() {
    using rtd::ProgramKind;
    const rtd::ProgramDefinition definitions[] = {
        {"benchCamera", ProgramKind::RayGeneration, kCameraVars, Camera},
        {"benchHit", ProgramKind::ClosestHit, kHitVars, Hit},
        {"benchBlock", ProgramKind::AnyHit, {}, Block},
        {"benchIntersect", ProgramKind::Intersection, {}, Intersect},
        {"benchBounds", ProgramKind::BoundingBox, {}, Nothing},
    };
    for (const auto& d : definitions) rtd::RegisterProgram(d);
}

// The scene in the runtime: per mesh a geometry in a geometry group, per placement a
// transform, all under one group.
class RuntimeScene {
public:
    RuntimeScene() {
        RegisterPrograms();
        rtContextCreate(&m_context);
        rtContextSetRayTypeCount(m_context, 2);
        rtContextSetEntryPointCount(m_context, 1);
        const std::string file = ProgramFile();
        RTprogram p[5] = {};
        for (int i = 0; i < 5; ++i)
            rtProgramCreateFromPTXFile(m_context, file.c_str(), kPrograms[i], &p[i]);
        rtContextSetRayGenerationProgram(m_context, 0, p[0]);
        RTmaterial material = nullptr;
        rtMaterialCreate(m_context, &material);
        rtMaterialSetClosestHitProgram(material, 0, p[1]);
        rtMaterialSetAnyHitProgram(material, 1, p[2]);
        std::vector<RTgeometrygroup> groups;
        for (const rtbench::Mesh& mesh : Scene().meshes)
            groups.push_back(MeshGroup(mesh, material, p[3], p[4]));
        RTgroup top = nullptr;
        rtGroupCreate(m_context, &top);
        rtGroupSetAcceleration(top, Acceleration("Bvh"));
        rtGroupSetChildCount(top, static_cast<unsigned>(Scene().placements.size()));
        for (unsigned i = 0; i < Scene().placements.size(); ++i) {
            const rtbench::Placement& placed = Scene().placements[i];
            RTtransform t = nullptr;
            rtTransformCreate(m_context, &t);
            rtTransformSetMatrix(t, 1, placed.rowVectors.data(), nullptr);
            rtTransformSetChild(t, groups[placed.mesh]);
            rtGroupSetChild(top, i, t);
        }
        rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &m_output);
        rtBufferSetFormat(m_output, RT_FORMAT_UNSIGNED_BYTE4);
        rtBufferSetSize2D(m_output, kW, kH);
        SetObject("outputBuffer", m_output);
        SetObject("topObject", top);
        SetObject("topShadower", top);
    }
    ~RuntimeScene() { rtContextDestroy(m_context); }
    RuntimeScene(const RuntimeScene&) = delete;
    RuntimeScene& operator=(const RuntimeScene&) = delete;

    bool Launch(RTsize w = kW, RTsize h = kH) { return rtContextLaunch2D(m_context, 0, w, h) == RT_SUCCESS; }
    // Primary rays plus one shadow ray per hit, from the last image.
    std::int64_t Rays() {
        void* data = nullptr;
        rtBufferMap(m_output, &data);
        const auto* px = static_cast<const std::uint8_t*>(data);
        std::int64_t hits = 0;
        for (std::size_t i = 0; i < std::size_t{kW} * kH; ++i) hits += px[4 * i];
        rtBufferUnmap(m_output);
        return std::int64_t{kW} * kH + hits;
    }

private:
    RTacceleration Acceleration(const char* builder) {
        RTacceleration a = nullptr;
        rtAccelerationCreate(m_context, &a);
        rtAccelerationSetBuilder(a, builder);
        rtAccelerationSetTraverser(a, "Bvh");
        return a;
    }
    RTbuffer Buffer(RTformat format, const void* bytes, std::size_t count, std::size_t size) {
        RTbuffer b = nullptr;
        rtBufferCreate(m_context, RT_BUFFER_INPUT, &b);
        rtBufferSetFormat(b, format);
        rtBufferSetSize1D(b, count);
        void* data = nullptr;
        rtBufferMap(b, &data);
        std::memcpy(data, bytes, count * size);
        rtBufferUnmap(b);
        return b;
    }
    RTgeometrygroup MeshGroup(const rtbench::Mesh& mesh, RTmaterial material, RTprogram intersect,
                              RTprogram bounds) {
        RTgeometry g = nullptr;
        rtGeometryCreate(m_context, &g);
        rtGeometrySetIntersectionProgram(g, intersect);
        rtGeometrySetBoundingBoxProgram(g, bounds);
        rtGeometrySetPrimitiveCount(g, static_cast<unsigned>(mesh.triangles.size() / 3));
        RTvariable v = nullptr;
        rtGeometryDeclareVariable(g, "vertexBuffer", &v);
        rtVariableSetObject(
            v, Buffer(RT_FORMAT_FLOAT3, mesh.vertices.data(), mesh.vertices.size() / 3, 12));
        rtGeometryDeclareVariable(g, "vertIndexBuffer", &v);
        rtVariableSetObject(
            v, Buffer(RT_FORMAT_INT3, mesh.triangles.data(), mesh.triangles.size() / 3, 12));
        RTgeometryinstance gi = nullptr;
        rtGeometryInstanceCreate(m_context, &gi);
        rtGeometryInstanceSetGeometry(gi, g);
        rtGeometryInstanceSetMaterialCount(gi, 1);
        rtGeometryInstanceSetMaterial(gi, 0, material);
        RTgeometrygroup group = nullptr;
        rtGeometryGroupCreate(m_context, &group);
        rtGeometryGroupSetChildCount(group, 1);
        rtGeometryGroupSetChild(group, 0, gi);
        rtGeometryGroupSetAcceleration(group, Acceleration("Sbvh"));
        return group;
    }
    void SetObject(const char* name, RTobject object) {
        RTvariable v = nullptr;
        rtContextDeclareVariable(m_context, name, &v);
        rtVariableSetObject(v, object);
    }

    RTcontext m_context = nullptr;
    RTbuffer m_output = nullptr;
};

// The runtime's thread count: VM_RT_THREADS, else the hardware's.
unsigned Threads() {
    const char* text = std::getenv("VM_RT_THREADS");
    const long n = text ? std::strtol(text, nullptr, 10) : 0;
    return n >= 1 ? static_cast<unsigned>(n) : std::max(1u, std::thread::hardware_concurrency());
}

// Bare Embree: the same meshes as instanced scenes with the runtime's scene flags, the same
// rays, no programs.
class BareScene {
public:
    BareScene()
        : m_device(rtcNewDevice(nullptr)),
          m_pool(Threads()) {
        for (const rtbench::Mesh& mesh : Scene().meshes) m_meshes.push_back(MeshScene(mesh));
        m_top = rtcNewScene(m_device);
        rtcSetSceneFlags(m_top, RTC_SCENE_FLAG_ROBUST);
        for (const rtbench::Placement& placed : Scene().placements) {
            RTCGeometry g = rtcNewGeometry(m_device, RTC_GEOMETRY_TYPE_INSTANCE);
            rtcSetGeometryInstancedScene(g, m_meshes[placed.mesh]);
            rtcSetGeometryTransform(g, 0, RTC_FORMAT_FLOAT4X4_COLUMN_MAJOR,
                                    placed.rowVectors.data());
            rtcCommitGeometry(g);
            rtcAttachGeometry(m_top, g);
            rtcReleaseGeometry(g);
        }
        rtcCommitScene(m_top);
        m_hits.assign(std::size_t{kW} * kH, 0);
    }
    ~BareScene() {
        rtcReleaseScene(m_top);
        for (RTCScene s : m_meshes) rtcReleaseScene(s);
        rtcReleaseDevice(m_device);
    }
    BareScene(const BareScene&) = delete;
    BareScene& operator=(const BareScene&) = delete;

    void Launch() {
        const std::size_t tilesX = (kW + kTile - 1) / kTile, tilesY = (kH + kTile - 1) / kTile;
        m_pool.Run(tilesX * tilesY, [&](std::size_t tile) {
            const std::size_t x0 = tile % tilesX * kTile, y0 = tile / tilesX * kTile;
            for (std::size_t y = y0; y < std::min<std::size_t>(y0 + kTile, kH); ++y) {
                for (std::size_t x = x0; x < std::min<std::size_t>(x0 + kTile, kW); ++x) {
                    m_hits[y * kW + x] = Pixel(static_cast<unsigned>(x), static_cast<unsigned>(y));
                }
            }
        });
    }
    std::int64_t Rays() const {
        std::int64_t hits = 0;
        for (std::uint8_t h : m_hits) hits += h;
        return std::int64_t{kW} * kH + hits;
    }

private:
    RTCScene MeshScene(const rtbench::Mesh& mesh) {
        RTCScene scene = rtcNewScene(m_device);
        rtcSetSceneFlags(scene, RTC_SCENE_FLAG_ROBUST);
        rtcSetSceneBuildQuality(scene, RTC_BUILD_QUALITY_HIGH);
        RTCGeometry g = rtcNewGeometry(m_device, RTC_GEOMETRY_TYPE_TRIANGLE);
        void* v = rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 12,
                                          mesh.vertices.size() / 3);
        std::memcpy(v, mesh.vertices.data(), mesh.vertices.size() * sizeof(float));
        void* t = rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 12,
                                          mesh.triangles.size() / 3);
        std::memcpy(t, mesh.triangles.data(), mesh.triangles.size() * sizeof(std::uint32_t));
        rtcCommitGeometry(g);
        rtcAttachGeometry(scene, g);
        rtcReleaseGeometry(g);
        rtcCommitScene(scene);
        return scene;
    }
    std::uint8_t Pixel(unsigned x, unsigned y) const {
        const View& view = Bench().view;
        const Float3 d = view.Direction(x, y);
        RTCIntersectContext context;
        rtcInitIntersectContext(&context);
        RTCRayHit rh{};
        rh.ray = {view.eye.x, view.eye.y, view.eye.z, 0.0f,        d.x, d.y,
                  d.z,        0.0f,       1e30f,      0xFFFFFFFFu, 0,   0};
        rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(m_top, &context, &rh);
        if (rh.hit.geomID == RTC_INVALID_GEOMETRY_ID) return 0;
        const Float3 p = Add(view.eye, Scale(d, rh.ray.tfar));
        const Float3 toLight = Sub(view.light, p);
        RTCRay shadow{p.x,       p.y,  p.z,     1e-4f,       toLight.x, toLight.y,
                      toLight.z, 0.0f, 0.9999f, 0xFFFFFFFFu, 0,         0};
        rtcOccluded1(m_top, &context, &shadow);
        return 1;
    }

    RTCDevice m_device;
    std::vector<RTCScene> m_meshes;
    RTCScene m_top = nullptr;
    WorkerPool m_pool;
    std::vector<std::uint8_t> m_hits;
};

bool HaveScene(benchmark::State& state) {
    (void)Bench();  // the view is made here, before any worker asks for it
    if (!Scene().placements.empty()) return true;
    state.SkipWithError("no club model here: run from the run folder");
    return false;
}

void BM_RuntimePrimaryAndShadowRays(benchmark::State& state) {
    if (!HaveScene(state)) return;
    RuntimeScene scene;
    if (!scene.Launch()) {
        state.SkipWithError("launch failed");
        return;
    }
    for (auto _ : state) scene.Launch();
    state.SetItemsProcessed(state.iterations() * scene.Rays());
    state.counters["triangles"] = static_cast<double>(Scene().placedTriangles);
}

// What every launch costs before its rays: validation, the flattened graph, the variable
// blocks and the instance structure.
void BM_RuntimeLaunchOfOnePixel(benchmark::State& state) {
    if (!HaveScene(state)) return;
    RuntimeScene scene;
    for (auto _ : state) scene.Launch(1, 1);
    state.counters["placements"] = static_cast<double>(Scene().placements.size());
}

void BM_BareEmbreePrimaryAndShadowRays(benchmark::State& state) {
    if (!HaveScene(state)) return;
    BareScene scene;
    for (auto _ : state) scene.Launch();
    state.SetItemsProcessed(state.iterations() * scene.Rays());
    state.counters["triangles"] = static_cast<double>(Scene().placedTriangles);
}

BENCHMARK(BM_RuntimePrimaryAndShadowRays)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RuntimeLaunchOfOnePixel)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareEmbreePrimaryAndShadowRays)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
