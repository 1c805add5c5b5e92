#include "platform/rt/rt_embree.h"

#include <algorithm>
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
    built->refits = refit;
    built->quality = QualityOf(acceleration);
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

// Whether a and b may share one merged scene: the same matrices, bit for bit, so that a ray
// reaches every mesh in the same object space as through its own instance.
bool SamePlacement(const FlatInstance& a, const FlatInstance& b) {
    return std::memcmp(a.toWorld.data(), b.toWorld.data(), sizeof a.toWorld) == 0 &&
           std::memcmp(a.toObject.data(), b.toObject.data(), sizeof a.toObject) == 0 &&
           a.bottom->quality == b.bottom->quality;
}

bool Mergeable(const FlatInstance& instance) { return !instance.bottom->refits; }

// The instances by the Embree instance they are traced through, in the order first placed.
std::vector<std::vector<unsigned>> Clusters(const std::vector<FlatInstance>& instances) {
    std::vector<std::vector<unsigned>> clusters;
    for (unsigned i = 0; i < instances.size(); ++i) {
        const FlatInstance& instance = instances[i];
        auto joins = [&](const std::vector<unsigned>& cluster) {
            const FlatInstance& first = instances[cluster[0]];
            if (!Mergeable(instance) || !Mergeable(first) || !SamePlacement(first, instance)) {
                return false;
            }
            return std::none_of(cluster.begin(), cluster.end(), [&](unsigned k) {
                return instances[k].bottom == instance.bottom;  // a mesh joins a scene once
            });
        };
        const auto it = std::find_if(clusters.begin(), clusters.end(), joins);
        if (it == clusters.end()) {
            clusters.push_back({i});
        } else {
            it->push_back(i);
        }
    }
    return clusters;
}

// Geometry ids in order: a lone group's are its child indices, a merged scene's count the
// meshes of its members one after the other.
std::vector<PartRef> PartRefs(const std::vector<FlatInstance>& instances,
                              const std::vector<unsigned>& members) {
    std::vector<PartRef> refs;
    for (unsigned m : members) {
        const std::vector<BottomLevel::Part>& parts = instances[m].bottom->parts;
        for (unsigned child = 0; child < parts.size(); ++child) {
            if (parts[child].handle || members.size() == 1) refs.push_back({m, child});
        }
    }
    return refs;
}

// Forgets merged scenes of which a member is no longer its group's current scene.
void DropStale(MergedScenes& merged) {
    std::erase_if(merged.scenes, [](const std::shared_ptr<MergedScene>& scene) {
        return std::any_of(
            scene->members.begin(), scene->members.end(),
            [](const std::shared_ptr<BottomLevel>& b) { return b.use_count() == 1; });
    });
}

std::shared_ptr<MergedScene> MergedFor(Context& context, const std::vector<FlatInstance>& instances,
                                       const std::vector<unsigned>& members) {
    std::vector<std::shared_ptr<BottomLevel>> bottoms;
    for (unsigned m : members) bottoms.push_back(instances[m].bottom);
    for (const auto& scene : context.merged->scenes) {
        if (scene->members == bottoms) return scene;
    }
    auto merged = std::make_shared<MergedScene>();
    merged->scene = rtcNewScene(context.embree->device);
    rtcSetSceneFlags(merged->scene, kSceneFlags);
    rtcSetSceneBuildQuality(merged->scene, bottoms[0]->quality);
    unsigned id = 0;
    for (const auto& bottom : bottoms) {
        for (const BottomLevel::Part& part : bottom->parts) {
            if (part.handle) rtcAttachGeometryByID(merged->scene, part.handle, id++);
        }
    }
    rtcCommitScene(merged->scene);
    merged->members = std::move(bottoms);
    context.merged->scenes.push_back(merged);
    return merged;
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

MergedScene::~MergedScene() {
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
    if (sameLayout && built->refits && Refits(acceleration)) {
        Refit(*built, wanted);
    } else {
        group.built = Build(context.embree, acceleration, std::move(wanted));
    }
    acceleration.dirty = false;
    return true;
}

void BuildTopLevel(Context& context, TraceTarget& target) {
    if (!context.merged) context.merged = std::make_shared<MergedScenes>();
    DropStale(*context.merged);
    auto top = std::make_shared<TopLevel>();
    RTCDevice device = context.embree->device;
    top->scene = rtcNewScene(device);
    rtcSetSceneFlags(top->scene, kSceneFlags);
    const std::vector<std::vector<unsigned>> clusters = Clusters(target.instances);
    for (std::size_t c = 0; c < clusters.size(); ++c) {
        const std::vector<unsigned>& members = clusters[c];
        const FlatInstance& first = target.instances[members[0]];
        RTCScene scene = first.bottom->scene;
        if (members.size() > 1) {
            top->merged.push_back(MergedFor(context, target.instances, members));
            scene = top->merged.back()->scene;
        }
        target.parts.push_back(PartRefs(target.instances, members));
        RTCGeometry g = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_INSTANCE);
        rtcSetGeometryInstancedScene(g, scene);
        rtcSetGeometryTransform(g, 0, RTC_FORMAT_FLOAT3X4_ROW_MAJOR, first.toWorld.data());
        rtcCommitGeometry(g);
        rtcAttachGeometryByID(top->scene, g, static_cast<unsigned>(c));
        rtcReleaseGeometry(g);
    }
    rtcCommitScene(top->scene);
    target.top = std::move(top);
}

}  // namespace rt
