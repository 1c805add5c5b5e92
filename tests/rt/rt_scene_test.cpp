#include <functional>
#include <limits>
#include <string>

#include "tests/rt/rt_scene_fixture.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// One object of each kind, to try as parent and child.
enum class Made { Group, Selector, Transform, GeometryGroup, GeometryInstance, Geometry, Buffer };

struct ChildCase {
    const char* name;
    Made parent;
    Made child;
    RTresult expected;
};

class RtChildRules : public RtScene, public ::testing::WithParamInterface<ChildCase> {
protected:
    RTobject Make(Made kind) {
        switch (kind) {
            case Made::Group:
                return Group({});
            case Made::Selector:
                return Selector({}, 0, 1);
            case Made::Transform: {
                RTtransform t = nullptr;
                EXPECT_EQ(rtTransformCreate(m_context, &t), RT_SUCCESS);
                return t;
            }
            case Made::GeometryGroup:
                return GeometryGroup({});
            case Made::GeometryInstance:
                return Instance(Quad(0, 0, 0).geometry, 0);
            case Made::Geometry:
                return Quad(0, 0, 0).geometry;
            case Made::Buffer:
                return NewBuffer(RT_FORMAT_FLOAT, 0, 1);
        }
        return nullptr;
    }
    RTresult SetOnlyChild(Made parentKind, RTobject parent, RTobject child) {
        switch (parentKind) {
            case Made::Group:
                EXPECT_EQ(rtGroupSetChildCount(static_cast<RTgroup>(parent), 1), RT_SUCCESS);
                return rtGroupSetChild(static_cast<RTgroup>(parent), 0, child);
            case Made::Selector:
                EXPECT_EQ(rtSelectorSetChildCount(static_cast<RTselector>(parent), 1), RT_SUCCESS);
                return rtSelectorSetChild(static_cast<RTselector>(parent), 0, child);
            case Made::Transform:
                return rtTransformSetChild(static_cast<RTtransform>(parent), child);
            case Made::GeometryGroup:
                EXPECT_EQ(rtGeometryGroupSetChildCount(static_cast<RTgeometrygroup>(parent), 1),
                          RT_SUCCESS);
                return rtGeometryGroupSetChild(static_cast<RTgeometrygroup>(parent), 0,
                                               static_cast<RTgeometryinstance>(child));
            default:
                return RT_ERROR_UNKNOWN;
        }
    }
};

TEST_P(RtChildRules, OnlyTheKindsAParentHoldsAreTaken) {
    const ChildCase& c = GetParam();
    RTobject parent = Make(c.parent);
    EXPECT_EQ(SetOnlyChild(c.parent, parent, Make(c.child)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtChildRules,
    ::testing::Values(
        ChildCase{"GroupHoldsAGroup", Made::Group, Made::Group, RT_SUCCESS},
        ChildCase{"GroupHoldsASelector", Made::Group, Made::Selector, RT_SUCCESS},
        ChildCase{"GroupHoldsATransform", Made::Group, Made::Transform, RT_SUCCESS},
        ChildCase{"GroupHoldsAGeometryGroup", Made::Group, Made::GeometryGroup, RT_SUCCESS},
        ChildCase{"GroupRefusesAGeometryInstance", Made::Group, Made::GeometryInstance,
                  RT_ERROR_TYPE_MISMATCH},
        ChildCase{"GroupRefusesAGeometry", Made::Group, Made::Geometry, RT_ERROR_INVALID_VALUE},
        ChildCase{"GroupRefusesABuffer", Made::Group, Made::Buffer, RT_ERROR_INVALID_VALUE},
        ChildCase{"SelectorHoldsAGeometryGroup", Made::Selector, Made::GeometryGroup, RT_SUCCESS},
        ChildCase{"SelectorRefusesAGeometryInstance", Made::Selector, Made::GeometryInstance,
                  RT_ERROR_TYPE_MISMATCH},
        ChildCase{"TransformHoldsASelector", Made::Transform, Made::Selector, RT_SUCCESS},
        ChildCase{"TransformRefusesAGeometryInstance", Made::Transform, Made::GeometryInstance,
                  RT_ERROR_TYPE_MISMATCH},
        ChildCase{"GeometryGroupHoldsAGeometryInstance", Made::GeometryGroup,
                  Made::GeometryInstance, RT_SUCCESS},
        ChildCase{"GeometryGroupRefusesAGroup", Made::GeometryGroup, Made::Group,
                  RT_ERROR_TYPE_MISMATCH},
        ChildCase{"GeometryGroupRefusesAGeometry", Made::GeometryGroup, Made::Geometry,
                  RT_ERROR_INVALID_VALUE}),
    CaseName());

TEST_F(RtScene, AChildCountChangeKeepsTheChildrenBelowItAndLeavesNewSlotsEmpty) {
    // Three quads side by side, one per child.
    RTgroup top = Group({GeometryGroup({Instance(Quad(-3, 0, 0).geometry, 0)}),
                         GeometryGroup({Instance(Quad(0, 0, 0).geometry, 1)}),
                         GeometryGroup({Instance(Quad(3, 0, 0).geometry, 2)})});
    SetTop(top);
    auto ids = [&] { return std::vector<int>{Down(-3, 0).id, Down(0, 0).id, Down(3, 0).id}; };
    EXPECT_EQ(ids(), (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(rtGroupSetChildCount(top, 2), RT_SUCCESS);
    EXPECT_EQ(ids(), (std::vector<int>{0, 1, -1}));
    ASSERT_EQ(rtGroupSetChildCount(top, 3), RT_SUCCESS);
    unsigned count = 0;
    ASSERT_EQ(rtGroupGetChildCount(top, &count), RT_SUCCESS);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(ids(), (std::vector<int>{0, 1, -1})) << "a new slot is empty, and traced as such";
    RTgeometrygroup extra = GeometryGroup({Instance(Quad(3, 0, 0).geometry, 7)});
    EXPECT_EQ(rtGroupSetChild(top, 3, extra), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGroupSetChild(top, 2, extra), RT_SUCCESS);
    EXPECT_EQ(ids(), (std::vector<int>{0, 1, 7}));
}

TEST_F(RtScene, ASelectorShowsOnlyItsChosenChildToEveryRayType) {
    RTselector selector = Selector({GeometryGroup({Instance(Quad(0, 0, 0).geometry, 0)}),
                                    GeometryGroup({Instance(Quad(0, 0, 1).geometry, 1)})},
                                   1, 2);
    SetTop(Group({selector}));
    EXPECT_EQ(Down(0, 0).id, 1);
    RTvariable index = nullptr;
    ASSERT_EQ(rtSelectorDeclareVariable(selector, "selectorIndex", &index),
              RT_ERROR_VARIABLE_REDECLARED);
    // Visibility changes through the variable alone.
    RTselector hidden = Selector({GeometryGroup({Instance(Quad(0, 0, 0).geometry, 5)})}, 1, 1);
    SetTop(Group({hidden}));
    EXPECT_EQ(Down(0, 0).hit, 0);
    EXPECT_EQ(Down(0, 0, 1).attenuation, 1.0f) << "a hidden child casts no shadow";
    RTselector shown = Selector({GeometryGroup({Instance(Quad(0, 0, 0).geometry, 5)})}, 0, 1);
    SetTop(Group({shown}));
    EXPECT_EQ(Down(0, 0).id, 5);
    EXPECT_EQ(Down(0, 0, 1).attenuation, 0.0f);
}

TEST_F(RtScene, AnyHitProgramsIgnoreOrBlockShadowRays) {
    RTgeometryinstance glowing = Instance(Quad(0, 0, 2).geometry, 0);
    RTvariable luminous = nullptr;
    ASSERT_EQ(rtGeometryInstanceDeclareVariable(glowing, "isLuminous", &luminous), RT_SUCCESS);
    ASSERT_EQ(rtVariableSet1i(luminous, 1), RT_SUCCESS);
    SetTop(Group({GeometryGroup({glowing, Instance(Quad(3, 0, 0).geometry, 1)})}));
    EXPECT_EQ(Down(0, 0, 1).attenuation, 1.0f) << "an ignored hit leaves the ray unblocked";
    EXPECT_EQ(Down(3, 0, 1).attenuation, 0.0f);
    EXPECT_EQ(Down(0, 0, 0).id, 0) << "radiance rays still see the luminous part";
}

TEST_F(RtScene, TransformsTakeRowVectorMatricesTransposedAndComposeDownTheGraph) {
    // Rotation by +90 degrees about y: x goes to -z. A quad in the plane x = 5...
    Mesh wall =
        NewMesh({{5, -1, -1}, {5, 1, -1}, {5, 1, 1}, {5, -1, 1}}, {{0, 1, 2}, {2, 3, 0}}, 2);
    const float rotateY[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    const float moveUp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1};
    SetTop(Group(
        {Transform(moveUp, Transform(rotateY, GeometryGroup({Instance(wall.geometry, 3)})))}));
    // ...ends up in the plane z = -5, lifted by 10.
    const rttest::Probe p = TraceOne({0, 10, 0}, {0, 0, -1});
    EXPECT_EQ(p.id, 3);
    EXPECT_NEAR(p.t, 5.0f, 1e-5f);
    EXPECT_NEAR(p.origin.y, 10.0f, 1e-5f);
    EXPECT_EQ(TraceOne({0, 10, 0}, {1, 0, 0}).hit, 0);
    // A matrix set between launches moves what the next launch sees, with no dirty mark.
    RTtransform lift = Transform(kIdentity, GeometryGroup({Instance(Quad(0, 0, 0).geometry, 8)}));
    SetTop(Group({lift}));
    EXPECT_NEAR(TraceOne({0, 0, 20}, {0, 0, -1}).t, 20.0f, 1e-5f);
    const float moveBack[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1};
    ASSERT_EQ(rtTransformSetMatrix(lift, 1, moveBack, nullptr), RT_SUCCESS);
    EXPECT_NEAR(TraceOne({0, 0, 20}, {0, 0, -1}).t, 25.0f, 1e-5f);
    float back[16] = {};
    RTtransform t = Transform(moveUp, GeometryGroup({}));
    ASSERT_EQ(rtTransformGetMatrix(t, 0, back, nullptr), RT_SUCCESS);
    EXPECT_EQ(back[7], 10.0f) << "stored for column vectors";
}

struct MatrixCase {
    const char* name;
    float matrix[16];
};

class RtBadMatrix : public RtScene, public ::testing::WithParamInterface<MatrixCase> {};

TEST_P(RtBadMatrix, IsRefusedAndTheOldMatrixKept) {
    RTtransform t = nullptr;
    ASSERT_EQ(rtTransformCreate(m_context, &t), RT_SUCCESS);
    EXPECT_EQ(rtTransformSetMatrix(t, 1, GetParam().matrix, nullptr), RT_ERROR_INVALID_VALUE);
    float back[16] = {};
    ASSERT_EQ(rtTransformGetMatrix(t, 1, back, nullptr), RT_SUCCESS);
    EXPECT_TRUE(std::equal(back, back + 16, kIdentity));
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
INSTANTIATE_TEST_SUITE_P(
    Cases, RtBadMatrix,
    ::testing::Values(MatrixCase{"Singular", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
                      MatrixCase{"NotANumber", {kNaN, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
                      MatrixCase{"Infinite", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, kInf, 0, 0, 1}},
                      MatrixCase{"Projective",
                                 {1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}),
    CaseName());

// Where "value" is declared (as 1 + the scope's place in this list) and what the closest-hit
// and intersection programs read.
enum Where : unsigned {
    HitProgram = 1 << 0,
    IntersectionProgram = 1 << 1,
    InstanceScope = 1 << 2,
    MaterialScope = 1 << 3,
    GeometryScope = 1 << 4,
    ContextScope = 1 << 5,
};

struct ScopeCase {
    const char* name;
    unsigned where;
    float closestHitReads;
    float intersectionReads;
};

class RtScopes : public RtScene, public ::testing::WithParamInterface<ScopeCase> {};

TEST_P(RtScopes, ProgramsReadTheInnermostDeclarationOfTheirOwnChain) {
    Mesh quad = Quad(0, 0, 0);
    RTgeometryinstance gi = Instance(quad.geometry, 0);
    SetTop(Group({GeometryGroup({gi})}));
    const std::function<RTresult(const char*, RTvariable*)> declare[] = {
        [&](const char* n, RTvariable* v) { return rtProgramDeclareVariable(m_probeHit, n, v); },
        [&](const char* n, RTvariable* v) { return rtProgramDeclareVariable(m_intersect, n, v); },
        [&](const char* n, RTvariable* v) { return rtGeometryInstanceDeclareVariable(gi, n, v); },
        [&](const char* n, RTvariable* v) { return rtMaterialDeclareVariable(m_material, n, v); },
        [&](const char* n, RTvariable* v) {
            return rtGeometryDeclareVariable(quad.geometry, n, v);
        },
        [&](const char* n, RTvariable* v) { return rtContextDeclareVariable(m_context, n, v); },
    };
    for (unsigned i = 0; i < std::size(declare); ++i) {
        if (!(GetParam().where & (1u << i))) continue;
        RTvariable v = nullptr;
        ASSERT_EQ(declare[i]("value", &v), RT_SUCCESS);
        ASSERT_EQ(rtVariableSet1f(v, static_cast<float>(i + 1)), RT_SUCCESS);
    }
    const rttest::Probe p = Down(0, 0);
    ASSERT_EQ(p.hit, 1);
    EXPECT_EQ(p.value, GetParam().closestHitReads);
    EXPECT_EQ(p.geometryValue, GetParam().intersectionReads);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtScopes,
    ::testing::Values(
        ScopeCase{"DeclaredNowhereReadsZero", 0, 0, 0},
        ScopeCase{"ContextOnly", ContextScope, 6, 6},
        ScopeCase{"MaterialHidesContextFromHitsOnly", MaterialScope | ContextScope, 4, 6},
        ScopeCase{"GeometryIsSeenByIntersectionOnly", GeometryScope, 0, 5},
        ScopeCase{"InstanceHidesMaterialAndGeometry",
                  InstanceScope | MaterialScope | GeometryScope | ContextScope, 3, 3},
        ScopeCase{"ProgramsComeFirst", HitProgram | IntersectionProgram | InstanceScope, 1, 2}),
    CaseName());

// A valid scene with one thing broken, and what validation says.
struct BrokenCase {
    const char* name;
    std::function<void(RtScene&, RTgroup, RtScene::Mesh&, RTgeometryinstance)> breakIt;
    RTresult expected;
    const char* detail;
};

class RtValidation : public RtScene, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(RtValidation, FailsBeforeAnyRayIsTraced) {
    Mesh quad = Quad(0, 0, 0);
    RTgeometryinstance gi = Instance(quad.geometry, 0);
    RTgroup top = Group({GeometryGroup({gi})});
    SetTop(top);
    ASSERT_EQ(rtContextValidate(m_context), RT_SUCCESS) << ErrorText(RT_ERROR_INVALID_CONTEXT);
    GetParam().breakIt(*this, top, quad, gi);
    EXPECT_EQ(rtContextValidate(m_context), GetParam().expected);
    EXPECT_NE(ErrorText(GetParam().expected).find(GetParam().detail), std::string::npos)
        << ErrorText(GetParam().expected);
    Fill(m_rays, std::vector<rttest::ProbeRay>{{{0, 0, 10}, {0, 0, -1}}});
    EXPECT_EQ(rtContextLaunch2D(m_context, 0, 1, 1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtValidation,
    ::testing::Values(BrokenCase{"GroupWithoutAcceleration",
                                 [](RtScene& s, RTgroup top, RtScene::Mesh&, RTgeometryinstance) {
                                     RTgroup bare = nullptr;
                                     ASSERT_EQ(rtGroupCreate(s.Context(), &bare), RT_SUCCESS);
                                     ASSERT_EQ(rtGroupSetChildCount(top, 2), RT_SUCCESS);
                                     ASSERT_EQ(rtGroupSetChild(top, 1, bare), RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "has no acceleration"},
                      BrokenCase{"InstanceWithoutMaterial",
                                 [](RtScene&, RTgroup, RtScene::Mesh&, RTgeometryinstance gi) {
                                     ASSERT_EQ(rtGeometryInstanceSetMaterialCount(gi, 2),
                                               RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "lacks a material"},
                      BrokenCase{"GeometryWithoutPrograms",
                                 [](RtScene& s, RTgroup, RtScene::Mesh&, RTgeometryinstance gi) {
                                     RTgeometry bare = nullptr;
                                     ASSERT_EQ(rtGeometryCreate(s.Context(), &bare), RT_SUCCESS);
                                     ASSERT_EQ(rtGeometryInstanceSetGeometry(gi, bare), RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "bounding box or intersection program"},
                      BrokenCase{"PrimitiveCountBeyondTheIndices",
                                 [](RtScene&, RTgroup, RtScene::Mesh& m, RTgeometryinstance) {
                                     ASSERT_EQ(rtGeometrySetPrimitiveCount(m.geometry, 3),
                                               RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "primitive count exceeds"},
                      BrokenCase{"VerticesOfTheWrongFormat",
                                 [](RtScene&, RTgroup, RtScene::Mesh& m, RTgeometryinstance) {
                                     ASSERT_EQ(rtBufferSetFormat(m.vertices, RT_FORMAT_FLOAT4),
                                               RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "FLOAT3 vertex"},
                      BrokenCase{"ACycle",
                                 [](RtScene& s, RTgroup top, RtScene::Mesh&, RTgeometryinstance) {
                                     RTtransform loop = s.Transform(kIdentity, top);
                                     ASSERT_EQ(rtGroupSetChildCount(top, 2), RT_SUCCESS);
                                     ASSERT_EQ(rtGroupSetChild(top, 1, loop), RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "cycle"},
                      BrokenCase{"SelectorWithoutVisitProgram",
                                 [](RtScene& s, RTgroup top, RtScene::Mesh&, RTgeometryinstance) {
                                     RTselector bare = nullptr;
                                     ASSERT_EQ(rtSelectorCreate(s.Context(), &bare), RT_SUCCESS);
                                     ASSERT_EQ(rtGroupSetChildCount(top, 2), RT_SUCCESS);
                                     ASSERT_EQ(rtGroupSetChild(top, 1, bare), RT_SUCCESS);
                                 },
                                 RT_ERROR_INVALID_CONTEXT, "no visit program"}),
    CaseName());

TEST_F(RtScene, StaleAndWrongKindHandlesAreRefusedByEverySceneCall) {
    RTgroup group = Group({});
    RTgeometry geometry = Quad(0, 0, 0).geometry;
    RTgeometryinstance gi = Instance(geometry, 0);
    RTacceleration acceleration = Acceleration();
    RTgeometry destroyed = Quad(1, 1, 1).geometry;
    ASSERT_EQ(rtGeometryDestroy(destroyed), RT_SUCCESS);
    const auto asGroup = reinterpret_cast<RTgroup>(geometry);
    const auto asGeometry = reinterpret_cast<RTgeometry>(group);
    const auto asMaterial = reinterpret_cast<RTmaterial>(gi);
    const auto asSelector = reinterpret_cast<RTselector>(group);
    const auto asAcceleration = reinterpret_cast<RTacceleration>(group);
    unsigned count = 0;
    EXPECT_EQ(rtGeometryDestroy(destroyed), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometrySetPrimitiveCount(destroyed, 1), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometryInstanceSetGeometry(gi, destroyed), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometryInstanceSetGeometry(gi, asGeometry), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometryInstanceSetMaterial(gi, 0, asMaterial), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometryInstanceSetMaterial(gi, 1, m_material), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGroupSetChildCount(asGroup, 1), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGroupGetChildCount(group, nullptr), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtSelectorGetChildCount(asSelector, &count), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGroupSetAcceleration(group, asAcceleration), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtAccelerationSetBuilder(acceleration, "Octree"), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtAccelerationSetTraverser(acceleration, "Sbvh"), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtAccelerationMarkDirty(asAcceleration), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtMaterialSetClosestHitProgram(m_material, 2, m_probeHit), RT_ERROR_INVALID_VALUE)
        << "ray type past the count";
    EXPECT_EQ(rtMaterialSetClosestHitProgram(m_material, 0, m_blocker), RT_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(rtGeometrySetIntersectionProgram(geometry, m_bounds), RT_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(rtSelectorSetVisitProgram(asSelector, m_visit), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtTransformSetMatrix(nullptr, 1, kIdentity, nullptr), RT_ERROR_INVALID_VALUE);
    // Objects of another context are no children, geometries or materials here.
    RTcontext other = nullptr;
    ASSERT_EQ(rtContextCreate(&other), RT_SUCCESS);
    RTgroup foreignGroup = nullptr;
    RTgeometry foreignGeometry = nullptr;
    RTmaterial foreignMaterial = nullptr;
    ASSERT_EQ(rtGroupCreate(other, &foreignGroup), RT_SUCCESS);
    ASSERT_EQ(rtGeometryCreate(other, &foreignGeometry), RT_SUCCESS);
    ASSERT_EQ(rtMaterialCreate(other, &foreignMaterial), RT_SUCCESS);
    ASSERT_EQ(rtGroupSetChildCount(group, 1), RT_SUCCESS);
    EXPECT_EQ(rtGroupSetChild(group, 0, foreignGroup), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometryInstanceSetGeometry(gi, foreignGeometry), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtGeometryInstanceSetMaterial(gi, 0, foreignMaterial), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtContextDestroy(other), RT_SUCCESS);
    EXPECT_EQ(rtGroupSetChildCount(foreignGroup, 1), RT_ERROR_INVALID_VALUE)
        << "gone with its context";
}

TEST_F(RtScene, DestroyedHandlesStayUsableToTheirParentsAndTheContextFreesThem) {
    Mesh quad = Quad(0, 0, 0);
    RTgeometryinstance gi = Instance(quad.geometry, 4);
    RTgeometrygroup gg = GeometryGroup({gi});
    SetTop(Group({gg}));
    ASSERT_EQ(rtGeometryInstanceDestroy(gi), RT_SUCCESS);
    ASSERT_EQ(rtGeometryDestroy(quad.geometry), RT_SUCCESS);
    ASSERT_EQ(rtBufferDestroy(quad.vertices), RT_SUCCESS);
    ASSERT_EQ(rtMaterialDestroy(m_material), RT_SUCCESS);
    ASSERT_EQ(rtGeometryGroupDestroy(gg), RT_SUCCESS);
    EXPECT_EQ(Down(0, 0).id, 4) << "still traced through the group";
    EXPECT_EQ(rtGeometryInstanceSetMaterialCount(gi, 1), RT_ERROR_INVALID_VALUE);
    // The fixture checks that destroying the context leaves no object alive.
}

struct RefitCase {
    const char* name;
    const char* refit;
    bool markDirty;
};

class RtRebuild : public RtScene, public ::testing::WithParamInterface<RefitCase> {};

TEST_P(RtRebuild, ChangedVerticesMoveTheHit) {
    Mesh quad = Quad(0, 0, 0);
    RTgeometrygroup gg = GeometryGroup({Instance(quad.geometry, 0)});
    RTacceleration a = Acceleration("Lbvh");
    ASSERT_EQ(rtAccelerationSetProperty(a, "refit", GetParam().refit), RT_SUCCESS);
    ASSERT_EQ(rtGeometryGroupSetAcceleration(gg, a), RT_SUCCESS);
    SetTop(Group({gg}));
    EXPECT_NEAR(Down(0, 0).t, 10.0f, 1e-5f);
    Fill(quad.vertices, std::vector<Float3>{{-1, -1, 4}, {1, -1, 4}, {1, 1, 4}, {-1, 1, 4}});
    if (GetParam().markDirty) {
        ASSERT_EQ(rtAccelerationMarkDirty(a), RT_SUCCESS);
    }
    EXPECT_NEAR(Down(0, 0).t, 6.0f, 1e-5f);
    // Fewer vertices than the indices name: the triangles outside are never hit.
    Fill(quad.vertices, std::vector<Float3>{{-1, -1, 2}, {1, -1, 2}, {1, 1, 2}});
    if (GetParam().markDirty) {
        ASSERT_EQ(rtAccelerationMarkDirty(a), RT_SUCCESS);
    }
    EXPECT_NEAR(Down(0.5f, -0.5f).t, 8.0f, 1e-5f);
    EXPECT_EQ(Down(-0.5f, 0.5f).hit, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, RtRebuild,
                         ::testing::Values(RefitCase{"RefitMarkedDirty", "1", true},
                                           RefitCase{"RefitUnmarked", "1", false},
                                           RefitCase{"RebuildMarkedDirty", "0", true},
                                           RefitCase{"RebuildUnmarked", "0", false}),
                         CaseName());

TEST_F(RtScene, TrianglesPastThePrimitiveCountOrWithBadIndicesAreNeverHit) {
    Mesh mesh =
        NewMesh({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {3, -1, 0}, {5, -1, 0}, {5, 1, 0}},
                {{0, 1, 2}, {2, 3, 0}, {4, 5, 6}, {4, 5, 99}}, 2);
    SetTop(Group({GeometryGroup({Instance(mesh.geometry, 0)})}));
    EXPECT_EQ(Down(0.5f, -0.5f).prim, 0);
    EXPECT_EQ(Down(-0.5f, 0.5f).prim, 1);
    EXPECT_EQ(Down(4.5f, -0.5f).hit, 0) << "past the primitive count";
    ASSERT_EQ(rtGeometrySetPrimitiveCount(mesh.geometry, 4), RT_SUCCESS);
    EXPECT_EQ(Down(4.5f, -0.5f).prim, 2);
    // The last triangle names a vertex that does not exist: skipped, never read.
    EXPECT_EQ(Down(4.2f, 0.5f).hit, 0);
}

}  // namespace

namespace {

// A request too large to hold is refused with the object left as it was, never attempted.
struct HugeCase {
    const char* name;
    std::function<RTresult(RtScene&)> request;
    RTresult expected;
};

class RtHugeRequest : public RtScene, public ::testing::WithParamInterface<HugeCase> {};

TEST_P(RtHugeRequest, IsRefused) { EXPECT_EQ(GetParam().request(*this), GetParam().expected); }

constexpr unsigned kAll = 0xFFFFFFFFu;

INSTANTIATE_TEST_SUITE_P(
    Cases, RtHugeRequest,
    ::testing::Values(
        HugeCase{"BufferArea",
                 [](RtScene& s) {
                     RTbuffer b = s.NewBuffer(RT_FORMAT_FLOAT4, 0, 3);
                     const RTresult r = rtBufferSetSize2D(b, RTsize{1} << 40, RTsize{1} << 40);
                     RTsize w = 0, h = 0;
                     EXPECT_EQ(rtBufferGetSize2D(b, &w, &h), RT_SUCCESS);
                     EXPECT_EQ(w, 3u) << "the old size stays";
                     return r;
                 },
                 RT_ERROR_MEMORY_ALLOCATION_FAILED},
        HugeCase{"BufferBytesOverflow",
                 [](RtScene& s) {
                     return rtBufferSetSize1D(s.NewBuffer(RT_FORMAT_FLOAT4, 0, 0), RTsize{1} << 62);
                 },
                 RT_ERROR_MEMORY_ALLOCATION_FAILED},
        HugeCase{"UserElementSize",
                 [](RtScene& s) {
                     return rtBufferSetElementSize(s.NewBuffer(RT_FORMAT_USER, 4, 1 << 20),
                                                   RTsize{1} << 40);
                 },
                 RT_ERROR_MEMORY_ALLOCATION_FAILED},
        HugeCase{"GroupChildren",
                 [](RtScene& s) { return rtGroupSetChildCount(s.Group({}), kAll); },
                 RT_ERROR_INVALID_VALUE},
        HugeCase{"Materials",
                 [](RtScene& s) {
                     return rtGeometryInstanceSetMaterialCount(
                         s.Instance(s.Quad(0, 0, 0).geometry, 0), kAll);
                 },
                 RT_ERROR_INVALID_VALUE},
        HugeCase{"RayTypes", [](RtScene& s) { return rtContextSetRayTypeCount(s.Context(), kAll); },
                 RT_ERROR_INVALID_VALUE},
        HugeCase{"LaunchSize",
                 [](RtScene& s) { return rtContextLaunch2D(s.Context(), 0, RTsize{1} << 20, 1); },
                 RT_ERROR_INVALID_VALUE}),
    CaseName());

}  // namespace
