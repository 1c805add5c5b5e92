#include <cstdint>
#include <cstdlib>

#include "tests/rt/rt_fixture.h"

namespace {

using RtContext = RtFixture;

struct SourceCase {
    const char* label;
    const char* text;  // null: no file at all
    const char* entry;
    RTresult expected;
    const char* detail;  // expected within the error string
};

const SourceCase kSources[] = {
    {"missing file", nullptr, "camera", RT_ERROR_FILE_NOT_FOUND, "cannot open"},
    {"no version", ".target sm_75\n.visible .entry camera()\n{ ret; }\n", "camera",
     RT_ERROR_INVALID_SOURCE, "no .version directive"},
    {"entry missing", ".version 7.0\n.visible .entry miss()\n{ ret; }\n", "camera",
     RT_ERROR_INVALID_SOURCE, "entry 'camera' not declared"},
    {"entry is only a prefix", ".version 7.0\n.visible .entry cameraX()\n{ ret; }\n", "camera",
     RT_ERROR_INVALID_SOURCE, "entry 'camera' not declared"},
    {"entry named in a comment only", ".version 7.0\n// camera\n", "camera",
     RT_ERROR_INVALID_SOURCE, "entry 'camera' not declared"},
    {"no such built-in", ".version 7.0\n.visible .entry shade()\n{ ret; }\n", "shade",
     RT_ERROR_INVALID_SOURCE, "no built-in program 'shade'"},
    {"entry followed by a line break", ".version 7.0\n.entry\tmeshBounds\n(\n)\n{ ret; }\n",
     "meshBounds", RT_SUCCESS, ""},
    {"empty file", "", "camera", RT_ERROR_INVALID_SOURCE, "no .version directive"},
};

TEST_F(RtContext, ProgramFilesAreCheckedForTheirDirectiveAndEntry) {
    for (const SourceCase& c : kSources) {
        SCOPED_TRACE(c.label);
        const std::string path =
            c.text ? WriteFile("case.ptx", c.text) : (m_dir / "absent.ptx").string();
        RTprogram program = nullptr;
        EXPECT_EQ(rtProgramCreateFromPTXFile(m_context, path.c_str(), c.entry, &program),
                  c.expected);
        if (c.expected == RT_SUCCESS) {
            EXPECT_EQ(rtProgramDestroy(program), RT_SUCCESS);
            continue;
        }
        const std::string text = ErrorText(c.expected);
        EXPECT_NE(text.find(c.detail), std::string::npos) << text;
        EXPECT_NE(text.find("rtProgramCreateFromPTXFile"), std::string::npos) << text;
    }
}

TEST_F(RtContext, AFolderIsNoProgramFile) {
    RTprogram program = nullptr;
    EXPECT_EQ(rtProgramCreateFromPTXFile(m_context, m_dir.c_str(), "camera", &program),
              RT_ERROR_FILE_NOT_FOUND);
}

TEST_F(RtContext, ErrorTextNamesTheFileAsGiven) {
    RTprogram program = nullptr;
    ASSERT_EQ(rtProgramCreateFromPTXFile(m_context, "VMNowhere.ptx", "meshBounds", &program),
              RT_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorText(RT_ERROR_FILE_NOT_FOUND),
              "File not found (Details: rtProgramCreateFromPTXFile: cannot open 'VMNowhere.ptx')");
    // Another code, or no context, gives the generic text only.
    EXPECT_EQ(ErrorText(RT_ERROR_LAUNCH_FAILED), "Launch failed");
    const char* text = nullptr;
    rtContextGetErrorString(nullptr, RT_ERROR_NO_DEVICE, &text);
    EXPECT_STREQ(text, "No device");
    rtContextGetErrorString(nullptr, RT_SUCCESS, &text);
    EXPECT_STREQ(text, "Success (no errors)");
}

TEST_F(RtContext, ProgramsBindOnlyToTheirOwnKindOfSlot) {
    ASSERT_EQ(rtContextSetRayTypeCount(m_context, 2), RT_SUCCESS);
    ASSERT_EQ(rtContextSetEntryPointCount(m_context, 1), RT_SUCCESS);
    RTprogram camera = Program("camera");
    RTprogram miss = Program("miss");
    EXPECT_EQ(rtContextSetRayGenerationProgram(m_context, 0, miss), RT_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(rtContextSetMissProgram(m_context, 0, camera), RT_ERROR_TYPE_MISMATCH);
    EXPECT_EQ(rtContextSetRayGenerationProgram(m_context, 1, camera), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtContextSetMissProgram(m_context, 2, miss), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtContextSetRayGenerationProgram(m_context, 0, camera), RT_SUCCESS);
    EXPECT_EQ(rtContextSetMissProgram(m_context, 0, miss), RT_SUCCESS);
}

TEST_F(RtContext, StaleAndWrongKindHandlesAreRefused) {
    RTbuffer buffer = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_INPUT, &buffer), RT_SUCCESS);
    // A buffer passed where a context or program is expected.
    EXPECT_EQ(rtContextSetRayTypeCount(reinterpret_cast<RTcontext>(buffer), 2),
              RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtProgramDestroy(reinterpret_cast<RTprogram>(buffer)), RT_ERROR_INVALID_VALUE);
    ASSERT_EQ(rtBufferDestroy(buffer), RT_SUCCESS);
    EXPECT_EQ(rtBufferDestroy(buffer), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtBufferSetSize1D(buffer, 4), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtBufferSetSize1D(nullptr, 4), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtBufferSetSize1D(reinterpret_cast<RTbuffer>(~std::uintptr_t{0}), 4),
              RT_ERROR_INVALID_VALUE);
}

TEST_F(RtContext, DestroyingTheContextReleasesEverythingAndEndsItsHandles) {
    RTbuffer buffer = nullptr;
    RTvariable v = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &buffer), RT_SUCCESS);
    ASSERT_EQ(rtContextDeclareVariable(m_context, "outputBuffer", &v), RT_SUCCESS);
    ASSERT_EQ(rtVariableSetObject(v, buffer), RT_SUCCESS);
    RTprogram camera = Program("camera");
    RTvariable programVar = nullptr;
    ASSERT_EQ(rtProgramDeclareVariable(camera, "cameraPos", &programVar), RT_SUCCESS);
    EXPECT_GT(rtTestLiveObjectCount(), m_liveBefore);
    ASSERT_EQ(rtContextDestroy(m_context), RT_SUCCESS);
    EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore);
    EXPECT_EQ(rtBufferMap(buffer, nullptr), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtVariableSet1i(v, 1), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtProgramDestroy(camera), RT_ERROR_INVALID_VALUE);
    EXPECT_EQ(rtContextDestroy(m_context), RT_ERROR_INVALID_VALUE);
    m_context = nullptr;
}

TEST_F(RtContext, ADestroyedBufferStillReferencedStaysUsableToItsHolder) {
    RTbuffer buffer = nullptr;
    RTvariable v = nullptr;
    ASSERT_EQ(rtBufferCreate(m_context, RT_BUFFER_OUTPUT, &buffer), RT_SUCCESS);
    ASSERT_EQ(rtContextDeclareVariable(m_context, "outputBuffer", &v), RT_SUCCESS);
    ASSERT_EQ(rtVariableSetObject(v, buffer), RT_SUCCESS);
    const long live = rtTestLiveObjectCount();
    ASSERT_EQ(rtBufferDestroy(buffer), RT_SUCCESS);
    EXPECT_EQ(rtTestLiveObjectCount(), live);  // the variable holds it
    EXPECT_EQ(rtVariableSetObject(v, buffer), RT_ERROR_INVALID_VALUE);
}

TEST_F(RtContext, InjectedFaultsHitTheNthCallOnlyAndSayHowTheyCame) {
    rtTestSetFault("rtContextSetStackSize", 2, RT_ERROR_MEMORY_ALLOCATION_FAILED);
    EXPECT_EQ(rtContextSetStackSize(m_context, 10240), RT_SUCCESS);
    EXPECT_EQ(rtContextSetStackSize(m_context, 10240), RT_ERROR_MEMORY_ALLOCATION_FAILED);
    EXPECT_EQ(ErrorText(RT_ERROR_MEMORY_ALLOCATION_FAILED),
              "Memory allocation failed (Details: rtContextSetStackSize: injected fault)");
    EXPECT_EQ(rtContextSetStackSize(m_context, 10240), RT_SUCCESS);
}

TEST_F(RtContext, ContextCreationFailsOnADisabledDeviceAndByInjection) {
    RTcontext other = nullptr;
    ASSERT_EQ(setenv("VM_RT_DEVICE", "none", 1), 0);
    EXPECT_EQ(rtContextCreate(&other), RT_ERROR_NO_DEVICE);
    EXPECT_EQ(other, nullptr);
    ASSERT_EQ(unsetenv("VM_RT_DEVICE"), 0);
    rtTestSetFault("rtContextCreate", 1, RT_ERROR_CONTEXT_CREATION_FAILED);
    EXPECT_EQ(rtContextCreate(&other), RT_ERROR_CONTEXT_CREATION_FAILED);
    ASSERT_EQ(rtContextCreate(&other), RT_SUCCESS);
    EXPECT_EQ(rtContextDestroy(other), RT_SUCCESS);
}

TEST(RtResultNames, NameEveryCodeForTheFaultVariable) {
    EXPECT_STREQ(rtTestResultName(RT_ERROR_LAUNCH_FAILED), "RT_ERROR_LAUNCH_FAILED");
    EXPECT_STREQ(rtTestResultName(RT_ERROR_NO_DEVICE), "RT_ERROR_NO_DEVICE");
    EXPECT_EQ(rtTestResultName(static_cast<RTresult>(7)), nullptr);
}

}  // namespace
