#include <cstdlib>
#include <vector>

#include "tests/rt/rt_fixture.h"

namespace {

// A context with the camera and miss programs and an output buffer of w x h.
class RtLaunch : public RtFixture {
protected:
    void Build(RTsize w, RTsize h) {
        ASSERT_EQ(rtContextSetRayTypeCount(m_context, 2), RT_SUCCESS);
        ASSERT_EQ(rtContextSetEntryPointCount(m_context, 1), RT_SUCCESS);
        ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &m_output), RT_SUCCESS);
        ASSERT_EQ(rtBufferSetFormat(m_output, RT_FORMAT_UNSIGNED_BYTE4), RT_SUCCESS);
        ASSERT_EQ(rtBufferSetSize2D(m_output, w, h), RT_SUCCESS);
        RTvariable out = nullptr;
        ASSERT_EQ(rtContextDeclareVariable(m_context, "outputBuffer", &out), RT_SUCCESS);
        ASSERT_EQ(rtVariableSetObject(out, m_output), RT_SUCCESS);
        m_camera = Program("camera");
        m_miss = Program("miss");
        ASSERT_EQ(rtContextSetRayGenerationProgram(m_context, 0, m_camera), RT_SUCCESS);
        ASSERT_EQ(rtContextSetMissProgram(m_context, 0, m_miss), RT_SUCCESS);
    }
    void SetBackground(float r, float g, float b) {
        RTvariable bg = nullptr;
        ASSERT_EQ(rtProgramDeclareVariable(m_miss, "bgColor", &bg), RT_SUCCESS);
        ASSERT_EQ(rtVariableSet3f(bg, r, g, b), RT_SUCCESS);
    }
    std::vector<unsigned char> Pixels() {
        void* data = nullptr;
        RTsize w = 0, h = 0;
        EXPECT_EQ(rtBufferGetSize2D(m_output, &w, &h), RT_SUCCESS);
        EXPECT_EQ(rtBufferMap(m_output, &data), RT_SUCCESS);
        const auto* bytes = static_cast<const unsigned char*>(data);
        std::vector<unsigned char> copy(bytes, bytes + 4 * w * h);
        EXPECT_EQ(rtBufferUnmap(m_output), RT_SUCCESS);
        return copy;
    }

    RTbuffer m_output = nullptr;
    RTprogram m_camera = nullptr;
    RTprogram m_miss = nullptr;
};

TEST_F(RtLaunch, AMissWritesTheBackgroundInBlueGreenRedAlphaOrder) {
    Build(5, 3);
    SetBackground(1.0f, 0.5f, 0.0f);
    ASSERT_EQ(rtContextValidate(m_context), RT_SUCCESS);
    ASSERT_EQ(rtContextLaunch2D(m_context, 0, 5, 3), RT_SUCCESS);
    const std::vector<unsigned char> px = Pixels();
    for (std::size_t i = 0; i < px.size(); i += 4) {
        EXPECT_EQ(px[i + 0], 0);
        EXPECT_EQ(px[i + 1], 128);
        EXPECT_EQ(px[i + 2], 255);
        EXPECT_EQ(px[i + 3], 255);
    }
}

TEST_F(RtLaunch, AnUndeclaredBackgroundReadsAsBlack) {
    Build(2, 2);
    ASSERT_EQ(rtContextLaunch2D(m_context, 0, 2, 2), RT_SUCCESS);
    const std::vector<unsigned char> px = Pixels();
    EXPECT_EQ(px, (std::vector<unsigned char>{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST_F(RtLaunch, ALaunchRefusesAMappedBufferAndAnOversizedLaunch) {
    Build(4, 4);
    void* data = nullptr;
    ASSERT_EQ(rtBufferMap(m_output, &data), RT_SUCCESS);
    EXPECT_EQ(rtContextLaunch2D(m_context, 0, 4, 4), RT_ERROR_ALREADY_MAPPED);
    ASSERT_EQ(rtBufferUnmap(m_output), RT_SUCCESS);
    EXPECT_EQ(rtContextLaunch2D(m_context, 0, 5, 4), RT_ERROR_LAUNCH_FAILED);
    EXPECT_EQ(ErrorText(RT_ERROR_LAUNCH_FAILED),
              "Launch failed (Details: rtContextLaunch2D: buffer index out of range)");
    EXPECT_EQ(rtContextLaunch2D(m_context, 1, 4, 4), RT_ERROR_INVALID_VALUE);
    // A minimised window launches nothing, successfully.
    EXPECT_EQ(rtContextLaunch2D(m_context, 0, 0, 4), RT_SUCCESS);
    EXPECT_EQ(rtContextLaunch2D(m_context, 0, 4, 0), RT_SUCCESS);
}

TEST_F(RtLaunch, ValidationNamesWhatIsMissing) {
    EXPECT_EQ(rtContextValidate(m_context), RT_ERROR_INVALID_CONTEXT);
    ASSERT_EQ(rtContextSetEntryPointCount(m_context, 1), RT_SUCCESS);
    ASSERT_EQ(rtContextSetRayTypeCount(m_context, 2), RT_SUCCESS);
    RTprogram camera = Program("camera");
    ASSERT_EQ(rtContextSetRayGenerationProgram(m_context, 0, camera), RT_SUCCESS);
    EXPECT_EQ(rtContextValidate(m_context), RT_ERROR_VARIABLE_NOT_FOUND);
    EXPECT_NE(ErrorText(RT_ERROR_VARIABLE_NOT_FOUND).find("'outputBuffer'"), std::string::npos);
    RTbuffer wrong = nullptr;
    RTvariable out = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &wrong), RT_SUCCESS);
    ASSERT_EQ(rtBufferSetFormat(wrong, RT_FORMAT_FLOAT4), RT_SUCCESS);
    ASSERT_EQ(rtBufferSetSize2D(wrong, 4, 4), RT_SUCCESS);
    ASSERT_EQ(rtContextDeclareVariable(m_context, "outputBuffer", &out), RT_SUCCESS);
    ASSERT_EQ(rtVariableSetObject(out, wrong), RT_SUCCESS);
    EXPECT_EQ(rtContextValidate(m_context), RT_ERROR_VARIABLE_NOT_FOUND);
    EXPECT_EQ(rtContextLaunch2D(m_context, 0, 4, 4), RT_ERROR_VARIABLE_NOT_FOUND);
}

// The pool's threads share the tiles; whatever the count, every pixel is written once and the
// image is the same.
class ThreadedRtLaunch : public RtLaunch, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        ASSERT_EQ(setenv("VM_RT_THREADS", GetParam(), 1), 0);
        RtLaunch::SetUp();
        unsetenv("VM_RT_THREADS");
    }
};

TEST_P(ThreadedRtLaunch, EveryPixelIsWrittenForAnyThreadCount) {
    // Sizes that are not multiples of the tile size leave partial tiles at the edges.
    constexpr RTsize kW = 37, kH = 23;
    Build(kW, kH);
    SetBackground(0.25f, 0.5f, 0.75f);
    for (int launch = 0; launch < 3; ++launch) {
        ASSERT_EQ(rtContextLaunch2D(m_context, 0, kW, kH), RT_SUCCESS);
        const std::vector<unsigned char> px = Pixels();
        ASSERT_EQ(px.size(), 4 * kW * kH);
        for (std::size_t i = 0; i < px.size(); i += 4) {
            ASSERT_EQ(px[i + 0], 191) << "pixel " << i / 4;
            ASSERT_EQ(px[i + 1], 128);
            ASSERT_EQ(px[i + 2], 64);
            ASSERT_EQ(px[i + 3], 255);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ThreadedCounts, ThreadedRtLaunch, ::testing::Values("1", "3", "8"));

}  // namespace
