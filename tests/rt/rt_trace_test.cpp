#include <cstdlib>
#include <optional>
#include <random>

#include "tests/rt/rt_scene_fixture.h"

namespace {

// Column-vector affine matrix in doubles, for the oracle and for the runtime.
struct Affine {
    double m[3][4];

    rtd::Float3 Apply(rtd::Float3 p) const {
        return {static_cast<float>(m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3]),
                static_cast<float>(m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3]),
                static_cast<float>(m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3])};
    }
    // As the engine hands matrices over: row vectors, translation in elements 12 to 14.
    void RowVectors(float (&out)[16]) const {
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                out[c * 4 + r] = r < 3 ? static_cast<float>(m[r][c]) : (c == 3 ? 1.0f : 0.0f);
            }
        }
    }
};

Affine RotateTranslateScale(double angle, double sx, rtd::Float3 t) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {{{c * sx, 0, s, t.x}, {0, 1, 0, t.y}, {-s * sx, 0, c, t.z}}};
}

// One placed mesh as the oracle sees it.
struct Placed {
    int id;
    const std::vector<rtd::Float3>* vertices;
    const std::vector<rtd::Int3>* triangles;
    Affine toWorld;
};

struct OracleHit {
    int id = -1;
    int prim = -1;
    double t = 0;
    rtd::Float3 origin{0, 0, 0};
    bool ambiguous = false;  // too close to an edge or to another hit to call
};

// Moeller-Trumbore in doubles; the smallest barycentric coordinate comes back in margin.
std::optional<double> Hit(const double o[3], const double d[3], const double a[3],
                          const double b[3], const double c[3], double& margin) {
    double e1[3], e2[3], p[3], q[3], s[3];
    for (int i = 0; i < 3; ++i) {
        e1[i] = b[i] - a[i];
        e2[i] = c[i] - a[i];
        s[i] = o[i] - a[i];
    }
    auto cross = [](const double* x, const double* y, double* r) {
        r[0] = x[1] * y[2] - x[2] * y[1];
        r[1] = x[2] * y[0] - x[0] * y[2];
        r[2] = x[0] * y[1] - x[1] * y[0];
    };
    auto dot = [](const double* x, const double* y) {
        return x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
    };
    cross(d, e2, p);
    const double det = dot(e1, p);
    if (std::fabs(det) < 1e-12) return std::nullopt;
    const double u = dot(s, p) / det;
    cross(s, e1, q);
    const double v = dot(d, q) / det;
    const double t = dot(e2, q) / det;
    margin = std::min({u, v, 1 - u - v});
    if (margin < -1e-3 || t <= 0) return std::nullopt;
    return t;
}

// Every triangle of every placed mesh, brute force.
OracleHit BruteForce(const std::vector<Placed>& scene, const rttest::ProbeRay& ray) {
    OracleHit best;
    double bestT = 1e300, secondT = 1e300, edgeT = 1e300;
    const double o[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const double d[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    for (const Placed& placed : scene) {
        for (std::size_t prim = 0; prim < placed.triangles->size(); ++prim) {
            const rtd::Int3 tri = (*placed.triangles)[prim];
            double corners[3][3];
            const int index[3] = {tri.x, tri.y, tri.z};
            for (int k = 0; k < 3; ++k) {
                const rtd::Float3 v = (*placed.vertices)[static_cast<std::size_t>(index[k])];
                for (int r = 0; r < 3; ++r) {
                    corners[k][r] = placed.toWorld.m[r][0] * v.x + placed.toWorld.m[r][1] * v.y +
                                    placed.toWorld.m[r][2] * v.z + placed.toWorld.m[r][3];
                }
            }
            double margin = 0;
            const std::optional<double> t = Hit(o, d, corners[0], corners[1], corners[2], margin);
            if (!t) continue;
            if (margin < 1e-3) {
                // Near an edge: a hit for one intersector may be a miss for the other.
                edgeT = std::min(edgeT, *t);
                continue;
            }
            if (*t < bestT) {
                secondT = bestT;
                bestT = *t;
                best.id = placed.id;
                best.prim = static_cast<int>(prim);
                best.t = *t;
                best.origin = {static_cast<float>(placed.toWorld.m[0][3]),
                               static_cast<float>(placed.toWorld.m[1][3]),
                               static_cast<float>(placed.toWorld.m[2][3])};
            } else {
                secondT = std::min(secondT, *t);
            }
        }
    }
    best.ambiguous = (edgeT < 1e300 && edgeT < bestT * (1 + 1e-3)) ||
                     (best.id >= 0 && secondT < bestT * (1 + 1e-3));
    return best;
}

class RtOracle : public RtScene {
protected:
    // Triangles with corners in the cube [-1, 1]^3.
    void RandomMesh(std::mt19937& rng, std::size_t count, std::vector<Float3>& vertices,
                    std::vector<Int3>& triangles) {
        std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
        for (std::size_t i = 0; i < count; ++i) {
            const int base = static_cast<int>(vertices.size());
            for (int k = 0; k < 3; ++k)
                vertices.push_back({coordinate(rng), coordinate(rng), coordinate(rng)});
            triangles.push_back({base, base + 1, base + 2});
        }
    }
    // Four meshes of 60 triangles, their corners kept for the oracle.
    void RandomMeshes(std::mt19937& rng, Mesh (&meshes)[4]) {
        for (int i = 0; i < 4; ++i) {
            RandomMesh(rng, 60, m_vertices[i], m_triangles[i]);
            meshes[i] = NewMesh(m_vertices[i], m_triangles[i],
                                static_cast<unsigned>(m_triangles[i].size()));
        }
    }
    RTobject Place(const Affine& a, RTobject child) {
        float rows[16];
        a.RowVectors(rows);
        return Transform(rows, child);
    }

    static std::vector<rttest::ProbeRay> RandomRays(std::mt19937& rng) {
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        std::vector<rttest::ProbeRay> rays;
        for (int i = 0; i < 3000; ++i) {
            const Float3 from{6 * unit(rng), 6 * unit(rng), 6 * unit(rng) + 8};
            const Float3 to{3 * unit(rng), 3 * unit(rng), 3 * unit(rng)};
            rays.push_back({from, {to.x - from.x, to.y - from.y, to.z - from.z}});
        }
        return rays;
    }
    // Each ray finds the mesh, triangle, distance and instance the brute force finds, where
    // that is not too close to call.
    void ExpectTheOracle(const std::vector<Placed>& oracle,
                         const std::vector<rttest::ProbeRay>& rays) {
        const std::vector<rttest::Probe> traced = Trace(rays);
        int hits = 0, misses = 0;
        for (std::size_t i = 0; i < rays.size(); ++i) {
            const OracleHit expected = BruteForce(oracle, rays[i]);
            if (expected.ambiguous) continue;
            const rttest::Probe& got = traced[i];
            ASSERT_EQ(got.hit, expected.id >= 0 ? 1 : 0) << "ray " << i;
            if (!got.hit) {
                ++misses;
                continue;
            }
            ++hits;
            EXPECT_EQ(got.id, expected.id) << "ray " << i;
            EXPECT_EQ(got.prim, expected.prim) << "ray " << i;
            EXPECT_NEAR(got.t, expected.t, 1e-4 * expected.t) << "ray " << i;
            EXPECT_NEAR(got.origin.x, expected.origin.x, 1e-5) << "ray " << i << ": the instance";
            EXPECT_NEAR(got.origin.z, expected.origin.z, 1e-5) << "ray " << i << ": the instance";
        }
        // Both outcomes were compared, not only one.
        EXPECT_GT(hits, 0);
        EXPECT_GT(misses, 0);
        // Shadow-type rays are blocked exactly where radiance rays hit.
        const std::vector<rttest::Probe> shadowed = Trace(rays, 1);
        for (std::size_t i = 0; i < rays.size(); ++i) {
            const OracleHit expected = BruteForce(oracle, rays[i]);
            if (expected.ambiguous) continue;
            EXPECT_EQ(shadowed[i].attenuation, expected.id >= 0 ? 0.0f : 1.0f) << "ray " << i;
        }
    }

    std::vector<Float3> m_vertices[4];
    std::vector<Int3> m_triangles[4];
};

TEST_F(RtOracle, TheTracedHitIsTheBruteForceClosestOverAllInstances) {
    std::mt19937 rng(20261210);
    Mesh meshes[4];
    RandomMeshes(rng, meshes);
    const Affine identity = RotateTranslateScale(0, 1, {0, 0, 0});
    const Affine a = RotateTranslateScale(0.7, 1.5, {2.5f, 0.5f, 0});
    const Affine b = RotateTranslateScale(-1.1, 0.8, {-2, -1, 1});
    const Affine c = RotateTranslateScale(2.0, 1.0, {0, 2, -2});
    // Mesh 2 is placed twice through one shared geometry group; mesh 3 is hidden by a selector.
    RTgeometrygroup shared = GeometryGroup({Instance(meshes[2].geometry, 2)});
    RTgroup top =
        Group({Place(a, GeometryGroup({Instance(meshes[0].geometry, 0)})),
               GeometryGroup({Instance(meshes[1].geometry, 1)}), Place(b, shared), Place(c, shared),
               Selector({GeometryGroup({Instance(meshes[3].geometry, 3)})}, 1, 1)});
    ASSERT_EQ(rtGroupSetChildCount(top, 6), RT_SUCCESS);  // and an empty slot
    SetTop(top);
    const std::vector<Placed> oracle = {{0, &m_vertices[0], &m_triangles[0], a},
                                        {1, &m_vertices[1], &m_triangles[1], identity},
                                        {2, &m_vertices[2], &m_triangles[2], b},
                                        {2, &m_vertices[2], &m_triangles[2], c}};

    ExpectTheOracle(oracle, RandomRays(rng));
}

TEST_F(RtOracle, GroupsPlacedWithOneMatrixHitAsEachAlone) {
    std::mt19937 rng(20261211);
    Mesh meshes[4];
    RandomMeshes(rng, meshes);
    RTgeometrygroup groups[4];
    for (int i = 0; i < 4; ++i) groups[i] = GeometryGroup({Instance(meshes[i].geometry, i)});
    // A refitting group keeps its own instance beside the others.
    RTacceleration refit = Acceleration("Lbvh");
    ASSERT_EQ(rtAccelerationSetProperty(refit, "refit", "1"), RT_SUCCESS);
    ASSERT_EQ(rtGeometryGroupSetAcceleration(groups[3], refit), RT_SUCCESS);
    // Two transforms with one matrix, and a group under one of them holding two groups.
    const Affine a = RotateTranslateScale(0.7, 1.5, {0.5f, 0.5f, 0});
    SetTop(Group({Place(a, groups[0]), Place(a, Group({groups[1], groups[2], groups[3]}))}));
    std::vector<Placed> oracle;
    for (int i = 0; i < 4; ++i) oracle.push_back({i, &m_vertices[i], &m_triangles[i], a});
    ExpectTheOracle(oracle, RandomRays(rng));
    // New triangles for one group: the scene it shared with the others is no longer traced.
    m_vertices[1].clear();
    m_triangles[1].clear();
    RandomMesh(rng, 60, m_vertices[1], m_triangles[1]);
    Fill(meshes[1].vertices, m_vertices[1]);
    ExpectTheOracle(oracle, RandomRays(rng));
}

// A lit scene with shadows and a mirror, rendered for several thread counts.
class ThreadedRtImage : public RtScene {
protected:
    std::vector<unsigned char> Render(const char* threads) {
        setenv("VM_RT_THREADS", threads, 1);
        Renew();
        unsetenv("VM_RT_THREADS");
        RTprogram camera = Program("camera");
        RTprogram miss = Program("miss");
        RTprogram radiance = Program("radiance");
        EXPECT_EQ(rtContextSetRayGenerationProgram(m_context, 0, camera), RT_SUCCESS);
        EXPECT_EQ(rtContextSetMissProgram(m_context, 0, miss), RT_SUCCESS);
        EXPECT_EQ(rtMaterialSetClosestHitProgram(m_material, 0, radiance), RT_SUCCESS);
        RTbuffer out = nullptr;
        EXPECT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &out), RT_SUCCESS);
        EXPECT_EQ(rtBufferSetFormat(out, RT_FORMAT_UNSIGNED_BYTE4), RT_SUCCESS);
        EXPECT_EQ(rtBufferSetSize2D(out, kW, kH), RT_SUCCESS);
        SetObject(ContextVariable("outputBuffer"), out);
        SetFloat3(ContextVariable("cameraPos"), {0, 1, 8});
        SetFloat3(ContextVariable("cameraDir"), {0, -0.1f, -1});
        SetFloat3(ContextVariable("cameraSide"), {1, 0, 0});
        SetFloat3(ContextVariable("cameraUp"), {0, 1, 0});
        EXPECT_EQ(rtVariableSet1f(ContextVariable("fovScale"), 0.6f), RT_SUCCESS);
        SetFloat3(ContextVariable("lightPos"), {3, 6, 4});
        SetFloat3(ContextVariable("bgColor"), {0.1f, 0.2f, 0.3f});

        std::mt19937 rng(7);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        std::vector<Float3> vertices;
        std::vector<Int3> triangles;
        for (int i = 0; i < 40; ++i) {
            const int base = static_cast<int>(vertices.size());
            const Float3 centre{2 * unit(rng), 1 + unit(rng), unit(rng)};
            for (int k = 0; k < 3; ++k) {
                vertices.push_back({centre.x + 0.5f * unit(rng), centre.y + 0.5f * unit(rng),
                                    centre.z + 0.5f * unit(rng)});
            }
            triangles.push_back({base, base + 1, base + 2});
        }
        RTgeometryinstance shards = Instance(NewMesh(vertices, triangles, 40).geometry, 0);
        SetFloat3(Declare(shards, "color"), {0.9f, 0.4f, 0.2f});
        Mesh floorMesh =
            NewMesh({{-5, 0, -5}, {5, 0, -5}, {5, 0, 5}, {-5, 0, 5}}, {{0, 1, 2}, {2, 3, 0}}, 2);
        RTgeometryinstance floor = Instance(floorMesh.geometry, 1);
        SetFloat3(Declare(floor, "color"), {0.3f, 0.8f, 0.3f});
        EXPECT_EQ(rtVariableSet1i(Declare(floor, "mirror"), 1), RT_SUCCESS);
        RTgroup top = Group({GeometryGroup({shards, floor})});
        SetTop(top);
        SetObject(ContextVariable("topShadower"), top);
        EXPECT_EQ(rtContextLaunch2D(m_context, 0, kW, kH), RT_SUCCESS)
            << ErrorText(RT_ERROR_LAUNCH_FAILED);
        void* data = nullptr;
        EXPECT_EQ(rtBufferMap(out, &data), RT_SUCCESS);
        const auto* bytes = static_cast<const unsigned char*>(data);
        std::vector<unsigned char> image(bytes, bytes + 4 * kW * kH);
        EXPECT_EQ(rtBufferUnmap(out), RT_SUCCESS);
        return image;
    }
    RTvariable Declare(RTgeometryinstance gi, const char* name) {
        RTvariable v = nullptr;
        EXPECT_EQ(rtGeometryInstanceDeclareVariable(gi, name, &v), RT_SUCCESS);
        return v;
    }
    static void SetFloat3(RTvariable v, Float3 f) {
        EXPECT_EQ(rtVariableSet3f(v, f.x, f.y, f.z), RT_SUCCESS);
    }

    static constexpr RTsize kW = 67, kH = 45;
};

TEST_F(ThreadedRtImage, IsTheSameForOneThreeAndEightThreads) {
    const std::vector<unsigned char> one = Render("1");
    // The picture has lit, shadowed, reflected and background pixels, not one flat colour.
    std::vector<unsigned> colours;
    for (std::size_t i = 0; i < one.size(); i += 4) {
        const unsigned c = one[i] | one[i + 1] << 8 | one[i + 2] << 16;
        if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
    }
    EXPECT_GT(colours.size(), 4u);
    EXPECT_EQ(Render("3"), one);
    EXPECT_EQ(Render("8"), one);
}

// A merged group that is given a refitting acceleration afterwards: a refit would move its
// triangles under the merged scene's old hierarchy, so it is built anew instead.
TEST_F(RtOracle, AMergedGroupGivenARefittingAccelerationHitsItsMovedTriangles) {
    std::mt19937 rng(99);
    Mesh meshes[4];
    RandomMeshes(rng, meshes);
    RTgeometrygroup groups[2];
    for (int i = 0; i < 2; ++i) groups[i] = GeometryGroup({Instance(meshes[i].geometry, i)});
    const Affine a = RotateTranslateScale(0.7, 1.5, {0.5f, 0.5f, 0});
    SetTop(Group({Place(a, groups[0]), Place(a, groups[1])}));
    std::vector<Placed> oracle;
    for (int i = 0; i < 2; ++i) oracle.push_back({i, &m_vertices[i], &m_triangles[i], a});
    ExpectTheOracle(oracle, RandomRays(rng));
    RTacceleration refit = Acceleration("Lbvh");
    ASSERT_EQ(rtAccelerationSetProperty(refit, "refit", "1"), RT_SUCCESS);
    ASSERT_EQ(rtGeometryGroupSetAcceleration(groups[1], refit), RT_SUCCESS);
    for (auto& v : m_vertices[1]) {  // the same count, moved far
        v.x += 3.0f;
        v.y -= 2.0f;
    }
    Fill(meshes[1].vertices, m_vertices[1]);
    ExpectTheOracle(oracle, RandomRays(rng));
}

}  // namespace
