#include <cstring>
#include <functional>

#include "tests/rt/rt_fixture.h"

namespace {

using RtBuffer = RtFixture;
using RtVariable = RtFixture;

struct FormatCase {
    RTformat format;
    std::size_t elementBytes;
};

TEST_F(RtBuffer, StorageHasTheFormatsElementSizeAndStartsZero) {
    const FormatCase cases[] = {{RT_FORMAT_FLOAT, 4},  {RT_FORMAT_FLOAT2, 8},
                                {RT_FORMAT_FLOAT3, 12}, {RT_FORMAT_FLOAT4, 16},
                                {RT_FORMAT_INT3, 12},   {RT_FORMAT_UNSIGNED_BYTE4, 4}};
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.format);
        RTbuffer b = nullptr;
        ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &b), RT_SUCCESS);
        ASSERT_EQ(rtBufferSetFormat(b, c.format), RT_SUCCESS);
        ASSERT_EQ(rtBufferSetSize2D(b, 3, 2), RT_SUCCESS);
        void* data = nullptr;
        ASSERT_EQ(rtBufferMap(b, &data), RT_SUCCESS);
        const auto* bytes = static_cast<const unsigned char*>(data);
        // The last byte of the last element is there and zero (ASan catches a short buffer).
        EXPECT_EQ(bytes[c.elementBytes * 6 - 1], 0);
        EXPECT_EQ(rtBufferUnmap(b), RT_SUCCESS);
        RTformat read = RT_FORMAT_UNKNOWN;
        EXPECT_EQ(rtBufferGetFormat(b, &read), RT_SUCCESS);
        EXPECT_EQ(read, c.format);
        EXPECT_EQ(rtBufferDestroy(b), RT_SUCCESS);
    }
}

TEST_F(RtBuffer, UserElementsTakeTheSizeSet) {
    RTbuffer b = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &b), RT_SUCCESS);
    EXPECT_EQ(rtBufferSetElementSize(b, 304), RT_ERROR_INVALID_VALUE);  // not a user format yet
    ASSERT_EQ(rtBufferSetFormat(b, RT_FORMAT_USER), RT_SUCCESS);
    EXPECT_EQ(rtBufferSetElementSize(b, 0), RT_ERROR_INVALID_VALUE);
    ASSERT_EQ(rtBufferSetElementSize(b, 304), RT_SUCCESS);
    ASSERT_EQ(rtBufferSetSize1D(b, 1), RT_SUCCESS);
    void* data = nullptr;
    ASSERT_EQ(rtBufferMap(b, &data), RT_SUCCESS);
    std::memset(data, 0xab, 304);
    EXPECT_EQ(rtBufferUnmap(b), RT_SUCCESS);
}

TEST_F(RtBuffer, SizesReadBackAndResizesKeepTheBuffer) {
    RTbuffer b = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &b), RT_SUCCESS);
    ASSERT_EQ(rtBufferSetFormat(b, RT_FORMAT_UNSIGNED_BYTE4), RT_SUCCESS);
    RTsize w = 9, h = 9;
    for (const auto& [sw, sh] : {std::pair<RTsize, RTsize>{320, 240}, {960, 540}, {0, 7}}) {
        ASSERT_EQ(rtBufferSetSize2D(b, sw, sh), RT_SUCCESS);
        ASSERT_EQ(rtBufferGetSize2D(b, &w, &h), RT_SUCCESS);
        EXPECT_EQ(w, sw);
        EXPECT_EQ(h, sh);
    }
    // An empty buffer still maps to a pointer.
    void* data = nullptr;
    EXPECT_EQ(rtBufferMap(b, &data), RT_SUCCESS);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(rtBufferUnmap(b), RT_SUCCESS);
}

struct MapCase {
    const char* label;
    std::function<RTresult(RTbuffer)> whileMapped;
    RTresult expected;
};

TEST_F(RtBuffer, AMappedBufferRefusesASecondMapAndAnyResize) {
    const MapCase cases[] = {
        {"map again", [](RTbuffer b) { void* p = nullptr; return rtBufferMap(b, &p); },
         RT_ERROR_ALREADY_MAPPED},
        {"resize 2D", [](RTbuffer b) { return rtBufferSetSize2D(b, 4, 4); },
         RT_ERROR_ALREADY_MAPPED},
        {"resize 1D", [](RTbuffer b) { return rtBufferSetSize1D(b, 4); }, RT_ERROR_ALREADY_MAPPED},
        {"new format", [](RTbuffer b) { return rtBufferSetFormat(b, RT_FORMAT_FLOAT); },
         RT_ERROR_ALREADY_MAPPED},
        {"read size", [](RTbuffer b) { RTsize w, h; return rtBufferGetSize2D(b, &w, &h); },
         RT_SUCCESS},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.label);
        RTbuffer b = nullptr;
        ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &b), RT_SUCCESS);
        ASSERT_EQ(rtBufferSetFormat(b, RT_FORMAT_UNSIGNED_BYTE4), RT_SUCCESS);
        ASSERT_EQ(rtBufferSetSize2D(b, 2, 2), RT_SUCCESS);
        void* data = nullptr;
        ASSERT_EQ(rtBufferMap(b, &data), RT_SUCCESS);
        EXPECT_EQ(c.whileMapped(b), c.expected);
        EXPECT_EQ(rtBufferUnmap(b), RT_SUCCESS);
        EXPECT_EQ(rtBufferUnmap(b), RT_ERROR_INVALID_VALUE) << "unmapped twice";
        EXPECT_EQ(rtBufferDestroy(b), RT_SUCCESS);
    }
}

TEST_F(RtBuffer, AFailedMapGivesANullPointer) {
    RTbuffer b = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &b), RT_SUCCESS);
    rtTestSetFault("rtBufferMap", 1, RT_ERROR_MEMORY_ALLOCATION_FAILED);
    void* data = &b;
    EXPECT_EQ(rtBufferMap(b, &data), RT_ERROR_MEMORY_ALLOCATION_FAILED);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(rtBufferUnmap(b), RT_ERROR_INVALID_VALUE);  // nothing was mapped
}

TEST_F(RtBuffer, BadArgumentsAreRefused) {
    RTbuffer b = nullptr;
    EXPECT_EQ(rtBufferCreate(m_context, 0, &b), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtBufferCreate(m_context, 4, &b), RT_ERROR_INVALID_VALUE);
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &b), RT_SUCCESS);
    EXPECT_EQ(rtBufferSetFormat(b, RT_FORMAT_UNKNOWN), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtBufferSetFormat(b, static_cast<RTformat>(99)), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtBufferGetFormat(b, nullptr), RT_ERROR_INVALID_VALUE);
}

struct SetCase {
    const char* label;
    std::function<RTresult(RTvariable)> first;
    std::function<RTresult(RTvariable)> second;
    RTresult expected;
};

TEST_F(RtVariable, TheFirstSetFixesTheType) {
    auto i = [](RTvariable v) { return rtVariableSet1i(v, 1); };
    auto ui = [](RTvariable v) { return rtVariableSet1ui(v, 1); };
    auto f = [](RTvariable v) { return rtVariableSet1f(v, 1.0f); };
    auto f3 = [](RTvariable v) { return rtVariableSet3f(v, 1, 2, 3); };
    auto f4 = [](RTvariable v) { return rtVariableSet4f(v, 1, 2, 3, 4); };
    const SetCase cases[] = {
        {"int then int", i, i, RT_SUCCESS},
        {"int then unsigned", i, ui, RT_ERROR_TYPE_MISMATCH},
        {"float then float3", f, f3, RT_ERROR_TYPE_MISMATCH},
        {"float3 then float4", f3, f4, RT_ERROR_TYPE_MISMATCH},
        {"float4 then float4", f4, f4, RT_SUCCESS},
        {"unsigned then float", ui, f, RT_ERROR_TYPE_MISMATCH},
    };
    int n = 0;
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.label);
        RTvariable v = nullptr;
        // Appended: GCC 12 at -O3 warns falsely (-Wrestrict) on a prepend.
        const std::string name = std::string("v") + std::to_string(n++);
        ASSERT_EQ(rtContextDeclareVariable(m_context, name.c_str(), &v), RT_SUCCESS);
        ASSERT_EQ(c.first(v), RT_SUCCESS);
        EXPECT_EQ(c.second(v), c.expected);
    }
}

TEST_F(RtVariable, ObjectVariablesTakeObjectsOfTheirOwnContextOnly) {
    RTvariable v = nullptr, value = nullptr;
    ASSERT_EQ(rtContextDeclareVariable(m_context, "outputBuffer", &v), RT_SUCCESS);
    ASSERT_EQ(rtContextDeclareVariable(m_context, "sceneEpsilon", &value), RT_SUCCESS);
    ASSERT_EQ(rtVariableSet1f(value, 0.01f), RT_SUCCESS);
    RTbuffer b = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &b), RT_SUCCESS);
    EXPECT_EQ(rtVariableSetObject(value, b), RT_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(rtVariableSetObject(v, v), RT_ERROR_INVALID_VALUE);  // a variable is no object
    EXPECT_EQ(rtVariableSetObject(v, nullptr), RT_ERROR_INVALID_VALUE);
    RTcontext other = nullptr;
    ASSERT_EQ(rtContextCreate(&other), RT_SUCCESS);
    RTbuffer foreign = nullptr;
    ASSERT_EQ(rtBufferCreate(other, RT_BUFFER_OUTPUT, &foreign), RT_SUCCESS);
    EXPECT_EQ(rtVariableSetObject(v, foreign), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtContextDestroy(other), RT_SUCCESS);
    EXPECT_EQ(rtVariableSetObject(v, b), RT_SUCCESS);
    EXPECT_EQ(rtVariableSet1i(v, 0), RT_ERROR_TYPE_MISMATCH);
}

TEST_F(RtVariable, NamesAreUniquePerScopeNotAcrossScopes) {
    RTvariable a = nullptr, b = nullptr, c = nullptr, d = nullptr;
    ASSERT_EQ(rtContextDeclareVariable(m_context, "bgColor", &a), RT_SUCCESS);
    EXPECT_EQ(rtContextDeclareVariable(m_context, "bgColor", &b), RT_ERROR_VARIABLE_REDECLARED);
    RTprogram miss = Program("miss");
    EXPECT_EQ(rtProgramDeclareVariable(miss, "bgColor", &c), RT_SUCCESS);
    EXPECT_EQ(rtProgramDeclareVariable(miss, "bgColor", &d), RT_ERROR_VARIABLE_REDECLARED);
    EXPECT_NE(a, c);
    EXPECT_EQ(rtContextDeclareVariable(m_context, "", &b), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtContextDeclareVariable(m_context, nullptr, &b), RT_ERROR_INVALID_VALUE);
}

}  // namespace

namespace {

using RtSampler = RtFixture;

TEST_F(RtSampler, IdsCountFromOneAndSettingsOutOfRangeAreRefused) {
    RTtexturesampler a = nullptr, b = nullptr;
    ASSERT_EQ(rtTextureSamplerCreate(m_context, &a), RT_SUCCESS);
    ASSERT_EQ(rtTextureSamplerCreate(m_context, &b), RT_SUCCESS);
    int ida = 0, idb = 0;
    ASSERT_EQ(rtTextureSamplerGetId(a, &ida), RT_SUCCESS);
    ASSERT_EQ(rtTextureSamplerGetId(b, &idb), RT_SUCCESS);
    EXPECT_EQ(ida, 1);
    EXPECT_EQ(idb, 2);
    EXPECT_EQ(rtTextureSamplerSetWrapMode(a, 0, RT_WRAP_CLAMP_TO_EDGE), RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerSetWrapMode(a, 3, RT_WRAP_REPEAT), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtTextureSamplerSetFilteringModes(a, RT_FILTER_LINEAR, RT_FILTER_LINEAR,
                                                RT_FILTER_NONE),
              RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerSetFilteringModes(a, static_cast<RTfiltermode>(9), RT_FILTER_LINEAR,
                                                RT_FILTER_NONE),
              RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtTextureSamplerSetMaxAnisotropy(a, 1.0f), RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerSetMipLevelCount(a, 1), RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerSetMipLevelCount(a, 2), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtTextureSamplerSetArraySize(a, 1), RT_SUCCESS);
    RTbuffer buffer = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &buffer), RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerSetBuffer(a, 1, 0, buffer), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtTextureSamplerSetBuffer(a, 0, 0, nullptr), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtTextureSamplerSetBuffer(a, 0, 0, buffer), RT_SUCCESS);
    // A sampler is an object a variable can hold.
    RTvariable v = nullptr;
    ASSERT_EQ(rtContextDeclareVariable(m_context, "turbTexture", &v), RT_SUCCESS);
    EXPECT_EQ(rtVariableSetObject(v, a), RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerDestroy(b), RT_SUCCESS);
    EXPECT_EQ(rtTextureSamplerGetId(b, &idb), RT_ERROR_INVALID_VALUE);
}

}  // namespace
