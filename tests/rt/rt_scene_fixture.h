#pragma once
// A context set up for probing scenes: entry 0 runs the probe program over a buffer of rays,
// ray type 0 records the closest hit, ray type 1 is blocked by any hit. Helpers build meshes,
// instances and nodes; every handle is left to the context to release.

#include <cmath>
#include <vector>

#include "tests/rt/rt_fixture.h"

class RtScene : public RtFixture {
public:
    RTcontext Context() const { return m_context; }

    using Float3 = rtd::Float3;
    using Int3 = rtd::Int3;

    void SetUp() override {
        RtFixture::SetUp();
        Prepare();
    }
    // A fresh context (of VM_RT_THREADS threads, when set) prepared as at the start.
    void Renew() {
        ASSERT_EQ(rtContextDestroy(m_context), RT_SUCCESS);
        ASSERT_EQ(rtContextCreate(&m_context), RT_SUCCESS);
        m_top = nullptr;
        Prepare();
    }
    void Prepare() {
        ASSERT_EQ(rtContextSetRayTypeCount(m_context, 2), RT_SUCCESS);
        ASSERT_EQ(rtContextSetEntryPointCount(m_context, 1), RT_SUCCESS);
        m_probe = Program("probe");
        m_probeHit = Program("probeHit");
        m_blocker = Program("blocker");
        m_intersect = Program("meshIntersect");
        m_bounds = Program("meshBounds");
        m_visit = Program("visit");
        ASSERT_EQ(rtContextSetRayGenerationProgram(m_context, 0, m_probe), RT_SUCCESS);
        ASSERT_EQ(rtMaterialCreate(m_context, &m_material), RT_SUCCESS);
        ASSERT_EQ(rtMaterialSetClosestHitProgram(m_material, 0, m_probeHit), RT_SUCCESS);
        ASSERT_EQ(rtMaterialSetAnyHitProgram(m_material, 1, m_blocker), RT_SUCCESS);
        m_rays = NewBuffer(RT_FORMAT_USER, sizeof(rttest::ProbeRay), 0);
        m_results = NewBuffer(RT_FORMAT_USER, sizeof(rttest::Probe), 0);
        SetObject(ContextVariable("rays"), m_rays);
        SetObject(ContextVariable("results"), m_results);
        m_rayType = ContextVariable("rayType");
        ASSERT_EQ(rtVariableSet1ui(m_rayType, 0), RT_SUCCESS);
    }

    RTvariable ContextVariable(const char* name) {
        RTvariable v = nullptr;
        EXPECT_EQ(rtContextDeclareVariable(m_context, name, &v), RT_SUCCESS);
        return v;
    }
    static void SetObject(RTvariable v, RTobject object) {
        EXPECT_EQ(rtVariableSetObject(v, object), RT_SUCCESS);
    }
    RTbuffer NewBuffer(RTformat format, RTsize elementSize, RTsize width) {
        RTbuffer b = nullptr;
        EXPECT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &b), RT_SUCCESS);
        EXPECT_EQ(rtBufferSetFormat(b, format), RT_SUCCESS);
        if (format == RT_FORMAT_USER) {
            EXPECT_EQ(rtBufferSetElementSize(b, elementSize), RT_SUCCESS);
        }
        EXPECT_EQ(rtBufferSetSize1D(b, width), RT_SUCCESS);
        return b;
    }
    template <class T>
    static void Fill(RTbuffer b, const std::vector<T>& items) {
        ASSERT_EQ(rtBufferSetSize1D(b, items.size()), RT_SUCCESS);
        void* data = nullptr;
        ASSERT_EQ(rtBufferMap(b, &data), RT_SUCCESS);
        std::copy(items.begin(), items.end(), static_cast<T*>(data));
        ASSERT_EQ(rtBufferUnmap(b), RT_SUCCESS);
    }

    struct Mesh {
        RTgeometry geometry = nullptr;
        RTbuffer vertices = nullptr;
        RTbuffer indices = nullptr;
    };
    Mesh NewMesh(const std::vector<Float3>& vertices, const std::vector<Int3>& triangles,
                 unsigned primitives) {
        Mesh m;
        EXPECT_EQ(rtGeometryCreate(m_context, &m.geometry), RT_SUCCESS);
        EXPECT_EQ(rtGeometrySetBoundingBoxProgram(m.geometry, m_bounds), RT_SUCCESS);
        EXPECT_EQ(rtGeometrySetIntersectionProgram(m.geometry, m_intersect), RT_SUCCESS);
        EXPECT_EQ(rtGeometrySetPrimitiveCount(m.geometry, primitives), RT_SUCCESS);
        m.vertices = NewBuffer(RT_FORMAT_FLOAT3, 0, 0);
        m.indices = NewBuffer(RT_FORMAT_INT3, 0, 0);
        Fill(m.vertices, vertices);
        Fill(m.indices, triangles);
        RTvariable v = nullptr;
        EXPECT_EQ(rtGeometryDeclareVariable(m.geometry, "vertexBuffer", &v), RT_SUCCESS);
        SetObject(v, m.vertices);
        EXPECT_EQ(rtGeometryDeclareVariable(m.geometry, "vertIndexBuffer", &v), RT_SUCCESS);
        SetObject(v, m.indices);
        return m;
    }
    // One triangle in the plane z = z0 covering x, y in [-1, 1] around (cx, cy) and beyond.
    Mesh Quad(float cx, float cy, float z0, float half = 1.0f) {
        return NewMesh({{cx - half, cy - half, z0},
                        {cx + half, cy - half, z0},
                        {cx + half, cy + half, z0},
                        {cx - half, cy + half, z0}},
                       {{0, 1, 2}, {2, 3, 0}}, 2);
    }
    RTgeometryinstance Instance(RTgeometry geometry, int id) {
        RTgeometryinstance gi = nullptr;
        EXPECT_EQ(rtGeometryInstanceCreate(m_context, &gi), RT_SUCCESS);
        EXPECT_EQ(rtGeometryInstanceSetGeometry(gi, geometry), RT_SUCCESS);
        EXPECT_EQ(rtGeometryInstanceSetMaterialCount(gi, 1), RT_SUCCESS);
        EXPECT_EQ(rtGeometryInstanceSetMaterial(gi, 0, m_material), RT_SUCCESS);
        RTvariable v = nullptr;
        EXPECT_EQ(rtGeometryInstanceDeclareVariable(gi, "id", &v), RT_SUCCESS);
        EXPECT_EQ(rtVariableSet1i(v, id), RT_SUCCESS);
        return gi;
    }
    RTacceleration Acceleration(const char* builder = "Bvh") {
        RTacceleration a = nullptr;
        EXPECT_EQ(rtAccelerationCreate(m_context, &a), RT_SUCCESS);
        EXPECT_EQ(rtAccelerationSetBuilder(a, builder), RT_SUCCESS);
        EXPECT_EQ(rtAccelerationSetTraverser(a, "Bvh"), RT_SUCCESS);
        return a;
    }
    RTgeometrygroup GeometryGroup(const std::vector<RTgeometryinstance>& children) {
        RTgeometrygroup g = nullptr;
        EXPECT_EQ(rtGeometryGroupCreate(m_context, &g), RT_SUCCESS);
        EXPECT_EQ(rtGeometryGroupSetChildCount(g, static_cast<unsigned>(children.size())),
                  RT_SUCCESS);
        for (unsigned i = 0; i < children.size(); ++i) {
            EXPECT_EQ(rtGeometryGroupSetChild(g, i, children[i]), RT_SUCCESS);
        }
        EXPECT_EQ(rtGeometryGroupSetAcceleration(g, Acceleration("Sbvh")), RT_SUCCESS);
        return g;
    }
    RTgroup Group(const std::vector<RTobject>& children) {
        RTgroup g = nullptr;
        EXPECT_EQ(rtGroupCreate(m_context, &g), RT_SUCCESS);
        EXPECT_EQ(rtGroupSetChildCount(g, static_cast<unsigned>(children.size())), RT_SUCCESS);
        for (unsigned i = 0; i < children.size(); ++i) {
            EXPECT_EQ(rtGroupSetChild(g, i, children[i]), RT_SUCCESS);
        }
        EXPECT_EQ(rtGroupSetAcceleration(g, Acceleration()), RT_SUCCESS);
        return g;
    }
    // A transform given as OpenGL-style row vectors (translation in 12 to 14), set transposed.
    RTtransform Transform(const float (&rowVectors)[16], RTobject child) {
        RTtransform t = nullptr;
        EXPECT_EQ(rtTransformCreate(m_context, &t), RT_SUCCESS);
        EXPECT_EQ(rtTransformSetMatrix(t, 1, rowVectors, nullptr), RT_SUCCESS);
        EXPECT_EQ(rtTransformSetChild(t, child), RT_SUCCESS);
        return t;
    }
    RTselector Selector(const std::vector<RTobject>& children, int index, int maxSelector) {
        RTselector s = nullptr;
        EXPECT_EQ(rtSelectorCreate(m_context, &s), RT_SUCCESS);
        EXPECT_EQ(rtSelectorSetVisitProgram(s, m_visit), RT_SUCCESS);
        EXPECT_EQ(rtSelectorSetChildCount(s, static_cast<unsigned>(children.size())), RT_SUCCESS);
        for (unsigned i = 0; i < children.size(); ++i) {
            EXPECT_EQ(rtSelectorSetChild(s, i, children[i]), RT_SUCCESS);
        }
        RTvariable v = nullptr;
        EXPECT_EQ(rtSelectorDeclareVariable(s, "selectorIndex", &v), RT_SUCCESS);
        EXPECT_EQ(rtVariableSet1i(v, index), RT_SUCCESS);
        EXPECT_EQ(rtSelectorDeclareVariable(s, "maxSelector", &v), RT_SUCCESS);
        EXPECT_EQ(rtVariableSet1i(v, maxSelector), RT_SUCCESS);
        return s;
    }
    void SetTop(RTobject top) {
        if (!m_top) m_top = ContextVariable("topObject");
        SetObject(m_top, top);
    }

    // Traces the rays (of the ray type) and returns what each found.
    std::vector<rttest::Probe> Trace(const std::vector<rttest::ProbeRay>& rays,
                                     unsigned rayType = 0) {
        Fill(m_rays, rays);
        EXPECT_EQ(rtBufferSetSize1D(m_results, rays.size()), RT_SUCCESS);
        EXPECT_EQ(rtVariableSet1ui(m_rayType, rayType), RT_SUCCESS);
        EXPECT_EQ(rtContextLaunch2D(m_context, 0, rays.size(), 1), RT_SUCCESS)
            << ErrorText(RT_ERROR_LAUNCH_FAILED);
        void* data = nullptr;
        EXPECT_EQ(rtBufferMap(m_results, &data), RT_SUCCESS);
        const auto* first = static_cast<const rttest::Probe*>(data);
        std::vector<rttest::Probe> found(first, first + rays.size());
        EXPECT_EQ(rtBufferUnmap(m_results), RT_SUCCESS);
        return found;
    }
    rttest::Probe TraceOne(Float3 origin, Float3 direction, unsigned rayType = 0) {
        return Trace({{origin, direction}}, rayType).front();
    }
    // Straight down the z axis at (x, y), from z = 10.
    rttest::Probe Down(float x, float y, unsigned rayType = 0) {
        return TraceOne({x, y, 10.0f}, {0, 0, -1}, rayType);
    }

    RTprogram m_probe = nullptr;
    RTprogram m_probeHit = nullptr;
    RTprogram m_blocker = nullptr;
    RTprogram m_intersect = nullptr;
    RTprogram m_bounds = nullptr;
    RTprogram m_visit = nullptr;
    RTmaterial m_material = nullptr;
    RTbuffer m_rays = nullptr;
    RTbuffer m_results = nullptr;
    RTvariable m_rayType = nullptr;
    RTvariable m_top = nullptr;
};
