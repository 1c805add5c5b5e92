#include <vector>

#include "tests/rt/rt_scene_fixture.h"
#include "tests/support/case_name.h"

namespace {

struct SampleCase {
    const char* name;
    bool oneD;
    RTwrapmode wrap;
    RTfiltermode filter;
    RTtexturereadmode read;
    rtd::Float2 at;
    rtd::Float4 expected;
};

// A 2 x 2 image (bytes 0, 100, 200, 250 in x of the four texels) or the 1D floats 1, 3, 5, 7.
class RtTexture : public RtScene, public ::testing::WithParamInterface<SampleCase> {
protected:
    RTbuffer Image(bool oneD) {
        if (oneD) {
            RTbuffer b = NewBuffer(RT_FORMAT_FLOAT, 0, 0);
            Fill(b, std::vector<float>{1, 3, 5, 7});
            return b;
        }
        RTbuffer b = nullptr;
        EXPECT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &b), RT_SUCCESS);
        EXPECT_EQ(rtBufferSetFormat(b, RT_FORMAT_UNSIGNED_BYTE4), RT_SUCCESS);
        EXPECT_EQ(rtBufferSetSize2D(b, 2, 2), RT_SUCCESS);
        void* data = nullptr;
        EXPECT_EQ(rtBufferMap(b, &data), RT_SUCCESS);
        const rtd::UChar4 texels[4] = {
            {0, 9, 9, 255}, {100, 9, 9, 255}, {200, 9, 9, 255}, {250, 9, 9, 255}};
        std::copy(texels, texels + 4, static_cast<rtd::UChar4*>(data));
        EXPECT_EQ(rtBufferUnmap(b), RT_SUCCESS);
        return b;
    }
};

TEST_P(RtTexture, SamplesFilterAndWrapAsSet) {
    const SampleCase& c = GetParam();
    RTtexturesampler sampler = nullptr;
    ASSERT_EQ(rtTextureSamplerCreate(m_context, &sampler), RT_SUCCESS);
    for (unsigned axis = 0; axis < 2; ++axis)
        ASSERT_EQ(rtTextureSamplerSetWrapMode(sampler, axis, c.wrap), RT_SUCCESS);
    ASSERT_EQ(rtTextureSamplerSetFilteringModes(sampler, c.filter, c.filter, RT_FILTER_NONE),
              RT_SUCCESS);
    ASSERT_EQ(rtTextureSamplerSetReadMode(sampler, c.read), RT_SUCCESS);
    ASSERT_EQ(rtTextureSamplerSetBuffer(sampler, 0, 0, Image(c.oneD)), RT_SUCCESS);
    int id = 0;
    ASSERT_EQ(rtTextureSamplerGetId(sampler, &id), RT_SUCCESS);
    ASSERT_EQ(rtVariableSet1i(ContextVariable("texId"), id), RT_SUCCESS);
    ASSERT_EQ(rtVariableSet1i(ContextVariable("oneD"), c.oneD ? 1 : 0), RT_SUCCESS);
    RTbuffer coords = NewBuffer(RT_FORMAT_FLOAT2, 0, 0);
    Fill(coords, std::vector<rtd::Float2>{c.at});
    RTbuffer texels = NewBuffer(RT_FORMAT_FLOAT4, 0, 1);
    SetObject(ContextVariable("coords"), coords);
    SetObject(ContextVariable("texels"), texels);
    ASSERT_EQ(rtContextSetRayGenerationProgram(m_context, 0, Program("sample")), RT_SUCCESS);
    ASSERT_EQ(rtContextLaunch2D(m_context, 0, 1, 1), RT_SUCCESS)
        << ErrorText(RT_ERROR_LAUNCH_FAILED);
    void* data = nullptr;
    ASSERT_EQ(rtBufferMap(texels, &data), RT_SUCCESS);
    const rtd::Float4 got = *static_cast<const rtd::Float4*>(data);
    ASSERT_EQ(rtBufferUnmap(texels), RT_SUCCESS);
    EXPECT_NEAR(got.x, c.expected.x, 1e-5f);
    EXPECT_NEAR(got.w, c.expected.w, 1e-5f);
}

constexpr auto kRepeat = RT_WRAP_REPEAT;
constexpr auto kClamp = RT_WRAP_CLAMP_TO_EDGE;
constexpr auto kNearest = RT_FILTER_NEAREST;
constexpr auto kLinear = RT_FILTER_LINEAR;
constexpr auto kNormalized = RT_TEXTURE_READ_NORMALIZED_FLOAT;
constexpr auto kRaw = RT_TEXTURE_READ_ELEMENT_TYPE;

INSTANTIATE_TEST_SUITE_P(
    Cases, RtTexture,
    ::testing::Values(
        SampleCase{"NearestTexelCentre",
                   false,
                   kClamp,
                   kNearest,
                   kNormalized,
                   {0.75f, 0.25f},
                   {100 / 255.0f, 0, 0, 1}},
        SampleCase{"NearestSecondRow",
                   false,
                   kClamp,
                   kNearest,
                   kNormalized,
                   {0.25f, 0.75f},
                   {200 / 255.0f, 0, 0, 1}},
        SampleCase{"LinearBetweenAllFour",
                   false,
                   kClamp,
                   kLinear,
                   kNormalized,
                   {0.5f, 0.5f},
                   {137.5f / 255.0f, 0, 0, 1}},
        SampleCase{"LinearClampedAtTheEdge",
                   false,
                   kClamp,
                   kLinear,
                   kNormalized,
                   {0.0f, 0.25f},
                   {0, 0, 0, 1}},
        SampleCase{"LinearRepeatWrapsToTheOtherSide",
                   false,
                   kRepeat,
                   kLinear,
                   kNormalized,
                   {0.0f, 0.25f},
                   {50 / 255.0f, 0, 0, 1}},
        SampleCase{"NearestRepeatPastOne",
                   false,
                   kRepeat,
                   kNearest,
                   kNormalized,
                   {1.25f, 1.75f},
                   {200 / 255.0f, 0, 0, 1}},
        SampleCase{"ElementTypeReadsBytes",
                   false,
                   kClamp,
                   kNearest,
                   kRaw,
                   {0.75f, 0.75f},
                   {250, 0, 0, 255}},
        SampleCase{"FloatsLinear", true, kClamp, kLinear, kNormalized, {0.5f, 0}, {4, 0, 0, 0}},
        SampleCase{"FloatsRepeat", true, kRepeat, kLinear, kNormalized, {0.0f, 0}, {4, 0, 0, 0}},
        SampleCase{
            "FloatsNearestClamped", true, kClamp, kNearest, kNormalized, {-3.0f, 0}, {1, 0, 0, 0}}),
    CaseName());

TEST_F(RtScene, AnUnknownSamplerIdReadsZero) {
    ASSERT_EQ(rtVariableSet1i(ContextVariable("texId"), 42), RT_SUCCESS);
    RTbuffer coords = NewBuffer(RT_FORMAT_FLOAT2, 0, 0);
    Fill(coords, std::vector<rtd::Float2>{{0.5f, 0.5f}});
    RTbuffer texels = NewBuffer(RT_FORMAT_FLOAT4, 0, 1);
    SetObject(ContextVariable("coords"), coords);
    SetObject(ContextVariable("texels"), texels);
    ASSERT_EQ(rtContextSetRayGenerationProgram(m_context, 0, Program("sample")), RT_SUCCESS);
    ASSERT_EQ(rtContextLaunch2D(m_context, 0, 1, 1), RT_SUCCESS);
    void* data = nullptr;
    ASSERT_EQ(rtBufferMap(texels, &data), RT_SUCCESS);
    EXPECT_EQ(static_cast<const rtd::Float4*>(data)->w, 0.0f);
    ASSERT_EQ(rtBufferUnmap(texels), RT_SUCCESS);
}

}  // namespace
