// The cameras' OpenGL set-up, checked against matrices worked out by hand.

#include <gtest/gtest.h>

#include <cmath>

#include <GL/gl.h>

#include "animation/camera.h"
#include "animation/vr_camera.h"
#include "animation/view_options.h"
#include "model/vec_math.h"
#include "tests/animation/scene_doubles.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Matrices {
    float projection[16];
    float modelView[16];
};

Matrices ReadMatrices() {
    Matrices m{};
    glGetFloatv(GL_PROJECTION_MATRIX, m.projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.modelView);
    return m;
}

// Column-major, as OpenGL stores them.
void HandPerspective(double fovDegrees, double aspect, double zNear, double zFar, double* out) {
    const double f = 1.0 / std::tan(fovDegrees * kPi / 180.0 / 2.0);
    for (int i = 0; i < 16; ++i) out[i] = 0.0;
    out[0] = f / aspect;
    out[5] = f;
    out[10] = (zFar + zNear) / (zNear - zFar);
    out[11] = -1.0;
    out[14] = 2.0 * zFar * zNear / (zNear - zFar);
}

void Normalize(double* v) {
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i) v[i] /= l;
}

void Cross(const double* a, const double* b, double* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void HandLookAt(const float* eye, const float* target, const float* up, double* out) {
    double f[3], u[3] = {up[0], up[1], up[2]}, s[3], t[3];
    for (int i = 0; i < 3; ++i) f[i] = double(target[i]) - eye[i];
    Normalize(f);
    Cross(f, u, s);
    Normalize(s);
    Cross(s, f, t);
    const double rows[3][3] = {{s[0], s[1], s[2]}, {t[0], t[1], t[2]}, {-f[0], -f[1], -f[2]}};
    for (int i = 0; i < 16; ++i) out[i] = 0.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[c * 4 + r] = rows[r][c];
        out[12 + r] = -(rows[r][0] * eye[0] + rows[r][1] * eye[1] + rows[r][2] * eye[2]);
    }
    out[15] = 1.0;
}

void ExpectMatrixNear(const float* got, const double* want, double tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(got[i], want[i], tolerance * std::fmax(1.0, std::fabs(want[i])))
            << "element " << i;
    }
}

class CameraGl : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        ViewportWidth = 960;
        ViewportHeight = 540;
        RtCameraParams = {};
    }
    void TearDown() override {
        RayTracingAvailable = 0;
        RenderEngine = 0;
        Stereo3DScale = 1.0f;
        Stereo3DInvert = 1;
        GlFixture::TearDown();
    }
    ViewStateGuard m_view;
};

TEST_F(CameraGl, SetupGLViewLoadsThePerspectiveAndLookAtOfTheView) {
    const float focus[3] = {-300.0f, 1100.0f, 250.0f};
    PlacedDancer dancer(focus);
    CCamera camera(DegToRad(85), DegToRad(70), 2600.0f, 35.0f);
    for (int eyeIndex = 0; eyeIndex <= 2; ++eyeIndex) {
        SCOPED_TRACE(eyeIndex);
        camera.SetupGLView(eyeIndex);
        const Matrices got = ReadMatrices();
        float eye[3], back[3], up[3];
        camera.ComputeView(eye, back, up, eyeIndex);

        double projection[16], modelView[16];
        HandPerspective(35.0, 960.0 / 540.0, 200.0, 50000.0, projection);
        HandLookAt(eye, camera.target, up, modelView);
        ExpectMatrixNear(got.projection, projection, 1e-5);
        ExpectMatrixNear(got.modelView, modelView, 1e-5);
        // The target lies on the view axis: straight ahead in eye space.
        const float* m = got.modelView;
        const float* p = camera.target;
        const double x = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
        const double y = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        EXPECT_NEAR(x, 0.0, 0.05);
        EXPECT_NEAR(y, 0.0, 0.05);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

struct RtCase {
    const char* name;
    int available;
    int engine;
    bool filled;
};
constexpr RtCase kRtCases[] = {
    {"RayTracerEngine", 1, 2, true},
    {"OpenGlEngine", 1, 0, false},
    {"RayTracerUnavailable", 0, 2, false},
};

class CameraRtParams : public CameraGl, public ::testing::WithParamInterface<RtCase> {};

TEST_P(CameraRtParams, FilledOnlyWhileTheRayTracerDraws) {
    const RtCase c = GetParam();
    RayTracingAvailable = c.available;
    RenderEngine = c.engine;
    const float focus[3] = {0.0f, 1100.0f, 0.0f};
    PlacedDancer dancer(focus);
    CCamera camera(DegToRad(90), DegToRad(96), 3000.0f, 30.0f);
    camera.SetupGLView(0);
    if (!c.filled) {
        EXPECT_EQ(RtCameraParams.fovScale, 0.0f);
        return;
    }
    float eye[3], back[3], up[3];
    camera.ComputeView(eye, back, up, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(RtCameraParams.position[i], eye[i]) << i;
        EXPECT_FLOAT_EQ(RtCameraParams.direction[i], -back[i]) << i;
        EXPECT_FLOAT_EQ(RtCameraParams.up[i], up[i]) << i;
    }
    EXPECT_NEAR(RtCameraParams.fovScale, std::tan(15.0 * kPi / 180.0), 1e-6);
    EXPECT_NEAR(RtCameraParams.aspectRatio, 960.0 / 540.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraRtParams, ::testing::ValuesIn(kRtCases), CaseName());

TEST_F(CameraGl, VirtualRealityEyesAreShiftedAlongTheSideAndLookInParallel) {
    RayTracingAvailable = 1;
    RenderEngine = 2;
    Stereo3DScale = 1.5f;
    CVRCamera camera;
    camera.yaw = 0.4f;
    float centreEye[3], forward[3], up[3], side[3];
    camera.GetEyeVectors(centreEye, forward, up);
    Vec3Cross(forward, up, side);

    RtCameraRecord eyes[2];
    Matrices views[2];
    for (int e = 1; e <= 2; ++e) {
        camera.SetupGLView(e);
        eyes[e - 1] = RtCameraParams;
        views[e - 1] = ReadMatrices();
    }
    const double separation = 65.5 * 1.5;
    // The direction is taken between the eye and a target one unit ahead, so at 5000 units
    // from the origin it carries the rounding of those coordinates.
    const double directionTolerance = 1e-3;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(eyes[0].position[i], centreEye[i] - side[i] * separation / 2, 1e-2) << i;
        EXPECT_NEAR(eyes[1].position[i], centreEye[i] + side[i] * separation / 2, 1e-2) << i;
        EXPECT_NEAR(eyes[0].direction[i], forward[i], directionTolerance) << i;
        EXPECT_NEAR(eyes[1].direction[i], forward[i], directionTolerance) << i;
    }
    // The same rotation; only the translation differs.
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            EXPECT_NEAR(views[0].modelView[col * 4 + row], views[1].modelView[col * 4 + row],
                        directionTolerance);
        }
    }
    double modelView[16], projection[16];
    float target[3];
    Vec3Add(eyes[1].position, forward, target);
    HandLookAt(eyes[1].position, target, up, modelView);
    HandPerspective(25.3125, 960.0 / 540.0, 200.0, 50000.0, projection);
    ExpectMatrixNear(views[1].modelView, modelView, directionTolerance);
    ExpectMatrixNear(views[1].projection, projection, 1e-5);
}

}  // namespace
