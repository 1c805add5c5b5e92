#include "platform/rt/rt_embree.h"

#include <cstring>

#include "platform/rt/rt_trace.h"

namespace rt {
namespace {

// Watertight edges, and the any-hit filter passed with each ray only for ray types that have
// any-hit programs, so other rays run Embree's plain traversal.
const RTCSceneFlags kSceneFlags = RTC_SCENE_FLAG_ROBUST | RTC_SCENE_FLAG_CONTEXT_FILTER_FUNCTION;

RTCBuildQuality QualityOf(const Acceleration& a) {
    if (a.builder == "Sbvh") return RTC_BUILD_QUALITY_HIGH;
    if (a.builder == "Lbvh") return RTC_BUILD_QUALITY_LOW;
    return RTC_BUILD_QUALITY_MEDIUM;
}

bool Refits(const Acceleration& a) { return a.Property("refit", "0") == "1"; }

// Ids, never reused, rather than addresses: a new object may sit where a freed one was.
std::uint64_t IdOrZero(const Object* o) { return o ? o->id : 0; }

// The part the group's child i asks for, before any Embree work.
BottomLevel::Part WantedPart(const GeometryGroup& group, std::size_t i) {
    BottomLevel::Part part;
    const auto* instance = static_cast<const GeometryInstance*>(group.children[i].get());
    if (!instance || !instance->geometry) return part;
    part.instance = instance;
    part.geometry = instance->geometry.get();
    part.vertices = MeshBuffer(group, *instance, false);
    part.indices = MeshBuffer(group, *instance, true);
    part.primitiveCount = part.geometry->primitiveCount;
    if (part.vertices) part.vertexVersion = part.vertices->version;
    if (part.indices) part.indexVersion = part.indices->version;
    part.instanceId = IdOrZero(part.instance);
    part.geometryId = IdOrZero(part.geometry);
    part.verticesId = IdOrZero(part.vertices);
    part.indicesId = IdOrZero(part.indices);
    return part;
}

bool SameLayout(const BottomLevel::Part& a, const BottomLevel::Part& b) {
    return IdOrZero(a.instance) == b.instanceId && IdOrZero(a.geometry) == b.geometryId &&
           IdOrZero(a.vertices) == b.verticesId && IdOrZero(a.indices) == b.indicesId &&
           a.primitiveCount == b.primitiveCount && a.indexVersion == b.indexVersion &&
           (!a.vertices || a.vertices->width * a.vertices->height == b.vertexCount);
}

void CopyVertices(const BottomLevel::Part& part) {
    std::memcpy(part.vertexData, part.vertices->data.data(), part.vertexCount * 3 * sizeof(float));
}

// Creates the Embree mesh of part, leaving out triangles with an index outside the vertices.
void CreateMesh(RTCDevice device, RTCBuildQuality quality, BottomLevel::Part& part) {
    if (!part.vertices || !part.indices || part.vertices->format != RT_FORMAT_FLOAT3 ||
        part.indices->format != RT_FORMAT_INT3) {
        return;
    }
    part.vertexCount = part.vertices->width * part.vertices->height;
    const std::size_t available = part.indices->width * part.indices->height;
    const std::size_t count = std::min<std::size_t>(part.primitiveCount, available);
    std::vector<unsigned> triangles;
    const auto* index = reinterpret_cast<const int*>(part.indices->data.data());
    for (std::size_t p = 0; p < count; ++p) {
        bool inside = true;
        for (int k = 0; k < 3; ++k) {
            const int v = index[3 * p + k];
            inside = inside && v >= 0 && static_cast<std::size_t>(v) < part.vertexCount;
        }
        if (!inside) continue;
        part.primitives.push_back(static_cast<unsigned>(p));
        for (int k = 0; k < 3; ++k) triangles.push_back(static_cast<unsigned>(index[3 * p + k]));
    }
    if (part.primitives.empty()) return;
    part.handle = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
    part.vertexData = static_cast<float*>(
        rtcSetNewGeometryBuffer(part.handle, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                3 * sizeof(float), part.vertexCount));
    CopyVertices(part);
    auto* ib = static_cast<unsigned*>(
        rtcSetNewGeometryBuffer(part.handle, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                3 * sizeof(unsigned), part.primitives.size()));
    std::memcpy(ib, triangles.data(), triangles.size() * sizeof(unsigned));
    rtcSetGeometryBuildQuality(part.handle, quality);
    rtcCommitGeometry(part.handle);
}

void Refit(BottomLevel& built, const std::vector<BottomLevel::Part>& wanted) {
    for (std::size_t i = 0; i < built.parts.size(); ++i) {
        BottomLevel::Part& part = built.parts[i];
        if (part.handle && part.vertexVersion != wanted[i].vertexVersion) {
            CopyVertices(part);
            rtcUpdateGeometryBuffer(part.handle, RTC_BUFFER_TYPE_VERTEX, 0);
            rtcCommitGeometry(part.handle);
        }
        part.vertexVersion = wanted[i].vertexVersion;
    }
    rtcCommitScene(built.scene);
}

std::shared_ptr<BottomLevel> Build(const std::shared_ptr<EmbreeDevice>& device,
                                   const Acceleration& acceleration,
                                   std::vector<BottomLevel::Part> parts) {
    auto built = std::make_shared<BottomLevel>();
    built->device = device;
    built->scene = rtcNewScene(device->device);
    const bool refit = Refits(acceleration);
    rtcSetSceneFlags(built->scene, refit ? kSceneFlags | RTC_SCENE_FLAG_DYNAMIC : kSceneFlags);
    rtcSetSceneBuildQuality(built->scene, refit ? RTC_BUILD_QUALITY_LOW : QualityOf(acceleration));
    const RTCBuildQuality quality = refit ? RTC_BUILD_QUALITY_REFIT : QualityOf(acceleration);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        CreateMesh(device->device, quality, parts[i]);
        if (!parts[i].handle) continue;
        rtcAttachGeometryByID(built->scene, parts[i].handle, static_cast<unsigned>(i));
        built->empty = false;
    }
    rtcCommitScene(built->scene);
    built->parts = std::move(parts);
    return built;
}

}  // namespace

// Builds run on the calling thread. The per-launch ones (the instances, a refitted dancer) take
// too little to gain from more threads, and the library's own idle workers would go on spinning
// while the launch's workers start; its hand-over between threads is also invisible to the race
// checker.
EmbreeDevice::EmbreeDevice() : device(rtcNewDevice("threads=1")) {}
EmbreeDevice::~EmbreeDevice() {
    if (device) rtcReleaseDevice(device);
}

BottomLevel::~BottomLevel() {
    for (Part& part : parts) {
        if (part.handle) rtcReleaseGeometry(part.handle);
    }
    if (scene) rtcReleaseScene(scene);
}

TopLevel::~TopLevel() {
    if (scene) rtcReleaseScene(scene);
}

const Buffer* MeshBuffer(const GeometryGroup& group, const GeometryInstance& instance,
                         bool indices) {
    const std::string name =
        indices ? group.acceleration->Property("index_buffer_name", "vertIndexBuffer")
                : group.acceleration->Property("vertex_buffer_name", "vertexBuffer");
    const Variable* v = Resolve(name, {&instance.scope, &instance.geometry->scope});
    if (!v || v->type != VarType::Object || !v->object || v->object->kind != Kind::Buffer) {
        return nullptr;
    }
    return static_cast<const Buffer*>(v->object.get());
}

bool UpdateBottomLevel(Context& context, GeometryGroup& group, std::string& detail) {
    if (!context.embree) context.embree = std::make_shared<EmbreeDevice>();
    if (!context.embree->device) {
        detail = "the ray-tracing kernel library could not start";
        return false;
    }
    std::vector<BottomLevel::Part> wanted;
    for (std::size_t i = 0; i < group.children.size(); ++i) wanted.push_back(WantedPart(group, i));
    Acceleration& acceleration = *group.acceleration;
    BottomLevel* built = group.built.get();
    bool sameLayout = built && built->parts.size() == wanted.size();
    bool sameData = sameLayout;
    for (std::size_t i = 0; sameLayout && i < wanted.size(); ++i) {
        sameLayout = SameLayout(wanted[i], built->parts[i]);
        sameData =
            sameLayout && sameData && wanted[i].vertexVersion == built->parts[i].vertexVersion;
    }
    if (sameData && !acceleration.dirty) return true;
    if (sameLayout && Refits(acceleration)) {
        Refit(*built, wanted);
    } else {
        group.built = Build(context.embree, acceleration, std::move(wanted));
    }
    acceleration.dirty = false;
    return true;
}

void BuildTopLevel(Context& context, TraceTarget& target) {
    auto top = std::make_shared<TopLevel>();
    RTCDevice device = context.embree->device;
    top->scene = rtcNewScene(device);
    rtcSetSceneFlags(top->scene, kSceneFlags);
    for (std::size_t i = 0; i < target.instances.size(); ++i) {
        const FlatInstance& instance = target.instances[i];
        RTCGeometry g = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_INSTANCE);
        rtcSetGeometryInstancedScene(g, instance.bottom->scene);
        rtcSetGeometryTransform(g, 0, RTC_FORMAT_FLOAT3X4_ROW_MAJOR, instance.toWorld.data());
        rtcCommitGeometry(g);
        rtcAttachGeometryByID(top->scene, g, static_cast<unsigned>(i));
        rtcReleaseGeometry(g);
    }
    rtcCommitScene(top->scene);
    target.top = std::move(top);
}

}  // namespace rt
