#include "render/view_culling.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

struct BoxCase {
    const char* name;
    float min[3];
    float max[3];
    ScreenWindow window;
    bool mayShow;
};
// The eye at the origin looks down -z with a 90-degree view, near 1 and far 1000.
const BoxCase kBoxCases[] = {
    {"InFront", {-1, -1, -20}, {1, 1, -10}, {}, true},
    {"BehindTheEye", {-1, -1, 5}, {1, 1, 10}, {}, false},
    {"LeftOfTheView", {-60, -1, -20}, {-30, 1, -10}, {}, false},
    {"AcrossTheLeftEdge", {-60, -1, -20}, {-5, 1, -10}, {}, true},
    {"AroundTheEye", {-10, -10, -10}, {10, 10, 10}, {}, true},
    {"BeyondTheFarPlane", {-1, -1, -2000}, {1, 1, -1500}, {}, false},
    {"AboveTheView", {-1, 30, -20}, {1, 60, -10}, {}, false},
    {"OutsideTheWindow", {-8, -1, -20}, {-4, 1, -10}, {0, 1, -1, 1}, false},
    {"InsideTheWindow", {4, -1, -20}, {8, 1, -10}, {0, 1, -1, 1}, true},
};

class ViewCullingTest : public GlFixture, public ::testing::WithParamInterface<BoxCase> {
  protected:
    void SetUp() override {
        GlFixture::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(90, 1, 1, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

TEST_P(ViewCullingTest, SkipsOnlyBoxesClearlyOutside) {
    const BoxCase& c = GetParam();
    EXPECT_EQ(ViewChunkFilter(c.window).MayShow(c.min, c.max), c.mayShow);
}
INSTANTIATE_TEST_SUITE_P(Boxes, ViewCullingTest, ::testing::ValuesIn(kBoxCases), CaseName());

// Under the model-view matrix in force: the same box moved in front of the eye shows.
TEST_F(ViewCullingTest, FollowsTheModelViewMatrix) {
    const float min[3] = {-1, -1, 5};
    const float max[3] = {1, 1, 10};
    EXPECT_FALSE(ViewChunkFilter().MayShow(min, max));
    glTranslatef(0, 0, -30);
    EXPECT_TRUE(ViewChunkFilter().MayShow(min, max));
}

struct WindowCase {
    const char* name;
    ScreenWindow a;
    ScreenWindow b;
    ScreenWindow joined;
    ScreenWindow intersected;
};
const ScreenWindow kNone = ScreenWindow::None();
const WindowCase kWindowCases[] = {
    {"Overlapping", {-1, 0, -1, 0}, {-0.5f, 0.5f, -0.5f, 0.5f}, {-1, 0.5f, -1, 0.5f},
     {-0.5f, 0, -0.5f, 0}},
    {"Apart", {-1, -0.5f, -1, -0.5f}, {0.5f, 1, 0.5f, 1}, {-1, 1, -1, 1}, kNone},
    {"OneEmpty", {-1, 0, -1, 0}, kNone, {-1, 0, -1, 0}, kNone},
    {"Nested", {-1, 1, -1, 1}, {0, 0.5f, 0, 0.5f}, {-1, 1, -1, 1}, {0, 0.5f, 0, 0.5f}},
};

void ExpectWindow(const ScreenWindow& got, const ScreenWindow& want) {
    ASSERT_EQ(got.Empty(), want.Empty());
    if (want.Empty()) return;
    EXPECT_EQ(got.x0, want.x0);
    EXPECT_EQ(got.x1, want.x1);
    EXPECT_EQ(got.y0, want.y0);
    EXPECT_EQ(got.y1, want.y1);
}

class ScreenWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(ScreenWindowTest, JoinsAndIntersectsEitherWay) {
    const WindowCase& c = GetParam();
    ExpectWindow(c.a.Joined(c.b), c.joined);
    ExpectWindow(c.b.Joined(c.a), c.joined);
    ExpectWindow(c.a.Intersected(c.b), c.intersected);
    ExpectWindow(c.b.Intersected(c.a), c.intersected);
}
INSTANTIATE_TEST_SUITE_P(Windows, ScreenWindowTest, ::testing::ValuesIn(kWindowCases),
                         CaseName());

}  // namespace
