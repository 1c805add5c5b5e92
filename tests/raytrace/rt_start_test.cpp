#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "animation/view_state.h"
#include "platform/rt/rt_test.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_frame.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_report.h"

namespace fs = std::filesystem;
using namespace raytrace;

namespace {

const char* const kProgramFiles[] = {"VMCamera.ptx", "VMSky.ptx", "VMMesh.ptx", "VMLighting.ptx",
                                     "VMSelector.ptx"};

struct Message {
    std::string text;
    int category;
};
std::vector<Message> g_messages;
void RecordMessage(const char* text, int category) { g_messages.push_back({text, category}); }

// The ray tracer started in a folder of its own holding the run folder's program files, with
// the application's state replaced by the fixture's.
class RtStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_runFolder = fs::current_path();
        m_folder = fs::temp_directory_path() /
                   ("rt_start_" + std::to_string(getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
        for (const char* file : kProgramFiles) fs::copy_file(m_runFolder / file, m_folder / file);
        fs::current_path(m_folder);
        m_noise.assign(1024, 0.5f);
        RtHost = RtHostState{&m_available, &m_engine, &m_noise, RecordMessage};
        g_messages.clear();
        rtTestClearFaults();
        m_liveBefore = rtTestLiveObjectCount();
        ViewportWidth = 64;
        ViewportHeight = 48;
    }
    void TearDown() override {
        RtShutdown();
        CloseRtErrorReport();
        ResetRtReportForTest();
        rtTestClearFaults();
        EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore) << "the ray tracer left objects alive";
        RtHost = RtHostState{};
        fs::current_path(m_runFolder);
        fs::remove_all(m_folder);
    }
    static std::string Report() {
        std::ifstream in(kRtReportFile, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::string Entry(const std::string& message) {
        return "_____________________\n" + message + "\n\n";
    }
    void ExpectFellBackWithOneWarning() {
        EXPECT_EQ(m_available, 0);
        EXPECT_EQ(m_engine, 0);
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(g_messages[0].text,
                  " Graphics card does not support Ray Tracing. \n\nSome options will not be "
                  "available\n ");
        EXPECT_EQ(g_messages[0].category, 4);
    }

    fs::path m_runFolder, m_folder;
    std::vector<float> m_noise;
    int m_available = 1;
    int m_engine = 2;
    long m_liveBefore = 0;
};

TEST_F(RtStartTest, ACleanStartSizesTheOutputToTheWindowAndWritesNoReport) {
    std::ofstream(kRtReportFile) << "an earlier run's report\n";
    ASSERT_EQ(RtStart(), 0);
    RTsize w = 0, h = 0;
    ASSERT_EQ(rtBufferGetSize2D(RtState.outputBuffer, &w, &h), RT_SUCCESS);
    EXPECT_EQ(w, 64u);
    EXPECT_EQ(h, 48u);
    EXPECT_EQ(RtState.glPixelFormat, 0x80E1);  // blue, green, red, alpha bytes
    EXPECT_EQ(RtState.glPixelType, 0x1401);
    EXPECT_EQ(m_available, 1);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(Report(), "an earlier run's report\n");
    // The camera and miss programs launch over the window: the background everywhere.
    ASSERT_EQ(rtVariableSet3f(RtState.bgColor, 1, 1, 1), RT_SUCCESS);
    ASSERT_EQ(rtContextLaunch2D(RtState.context, 0, 64, 48), RT_SUCCESS);
    void* data = nullptr;
    ASSERT_EQ(rtBufferMap(RtState.outputBuffer, &data), RT_SUCCESS);
    const auto* px = static_cast<const unsigned char*>(data);
    EXPECT_EQ(px[0] + px[1] + px[2] + px[3], 4 * 255);
    EXPECT_EQ(px[4 * 64 * 48 - 1], 255);
    EXPECT_EQ(rtBufferUnmap(RtState.outputBuffer), RT_SUCCESS);
}

TEST_F(RtStartTest, StartStopStartLeavesOneContext) {
    ASSERT_EQ(RtStart(), 0);
    const long running = rtTestLiveObjectCount();
    RtShutdown();
    EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore);
    ASSERT_EQ(RtStart(), 0);
    EXPECT_EQ(rtTestLiveObjectCount(), running);
    EXPECT_NE(RtState.matrixStack, nullptr);
}

struct FailedStep {
    const char* function;
    unsigned nthCall;
    const char* stepText;
};

// Every reported step of start-up, failed in turn.
const FailedStep kFailedSteps[] = {
    {"rtContextCreate", 1, "Creating Context"},
    {"rtContextSetRayTypeCount", 1, "Set Ray Type Count"},
    {"rtContextSetEntryPointCount", 1, "Set Entry Point Count"},
    {"rtContextSetStackSize", 1, "Set Stack Size"},
    {"rtProgramCreateFromPTXFile", 1, "Load LightingProgram for ClosestHitRadiance"},
    {"rtProgramCreateFromPTXFile", 2, "Load LightingProgram for AnyHitShadow"},
    {"rtProgramCreateFromPTXFile", 3, "Load MeshProgram for meshBounds"},
    {"rtProgramCreateFromPTXFile", 4, "Load MeshProgram for meshIntersect"},
    {"rtProgramCreateFromPTXFile", 5, "Load SelectorProgram"},
    {"rtContextDeclareVariable", 1, "Declare outputBuffer"},
    {"rtContextDeclareVariable", 6, "Declare sceneEpsilon"},
    {"rtContextDeclareVariable", 12, "Declare render3DTextures"},
    {"rtVariableSet1i", 1, "Init maxTransparencyDepth"},
    {"rtVariableSet1i", 2, "Init maxReflectionDepthVar"},
    {"rtVariableSet1ui", 1, "Init radianceRayTypeVar"},
    {"rtVariableSet1ui", 2, "Init shadowRayTypeVar"},
    {"rtVariableSet1f", 1, "Init epsilonVar"},
    {"rtVariableSet1i", 3, "Init toonShadingVar"},
    {"rtVariableSet1i", 4, "Init fillLightOnVar"},
    {"rtVariableSet1i", 8, "Init render3DTexturesVar"},
    {"rtBufferCreate", 1, "Buffer Create"},
    {"rtBufferSetFormat", 1, "Buffer Set Format"},
    {"rtBufferSetSize2D", 1, "BufferSetSize2D"},
    {"rtVariableSetObject", 1, "Variable Set Object"},
    {"rtProgramCreateFromPTXFile", 6, "Program Create From PTX File"},
    {"rtContextSetRayGenerationProgram", 1, "Set Ray Generation Program"},
    {"rtProgramCreateFromPTXFile", 7, "Program Create From PTX File"},
    {"rtContextSetMissProgram", 1, "Set Ray Generation Program"},
    {"rtContextValidate", 1, "Context Validate"},
    {"rtBufferSetSize2D", 2, "Buffer Set Size 2D"},
    {"rtBufferGetFormat", 1, "Buffer Get Format"},
};

TEST_F(RtStartTest, EachFailedStepIsReportedFallsBackAndLeavesNothing) {
    for (const FailedStep& step : kFailedSteps) {
        SCOPED_TRACE(std::string(step.stepText) + " (" + step.function + " call " +
                     std::to_string(step.nthCall) + ")");
        rtTestSetFault(step.function, step.nthCall, RT_ERROR_MEMORY_ALLOCATION_FAILED);
        EXPECT_NE(RtStart(), 0);
        // Before the context exists there are no details to give.
        const std::string error =
            step.nthCall == 1 && std::string(step.function) == "rtContextCreate"
                ? "Memory allocation failed"
                : std::string("Memory allocation failed (Details: ") + step.function +
                      ": injected fault)";
        CloseRtErrorReport();
        std::string report = Report();
        // A later step that uses what the failed one did not make fails as well.
        report = report.substr(0, std::string("=====================\n").size() +
                                      Entry(std::string(step.stepText) + ": " + error).size());
        EXPECT_EQ(report, "=====================\n" + Entry(std::string(step.stepText) + ": " + error));
        ExpectFellBackWithOneWarning();
        EXPECT_EQ(RtState.context, nullptr);
        EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore);
        rtTestClearFaults();
        fs::remove(kRtReportFile);
        ResetRtReportForTest();
        g_messages.clear();
        m_available = 1;
        m_engine = 2;
    }
}

TEST_F(RtStartTest, AMissingMeshFileStopsStartUpAtItsStep) {
    fs::remove("VMMesh.ptx");
    EXPECT_NE(RtStart(), 0);
    EXPECT_EQ(Report(), "=====================\n" +
                            Entry("Load MeshProgram for meshBounds: File not found (Details: "
                                  "rtProgramCreateFromPTXFile: cannot open 'VMMesh.ptx')"));
    ExpectFellBackWithOneWarning();
}

TEST_F(RtStartTest, AMissingSkyFileIsCountedAndTwoFailuresWarnOnce) {
    fs::remove("VMSky.ptx");
    EXPECT_EQ(RtStart(), 2);  // the program and the miss slot it leaves empty
    EXPECT_EQ(Report(),
              "=====================\n" +
                  Entry("Program Create From PTX File: File not found (Details: "
                        "rtProgramCreateFromPTXFile: cannot open 'VMSky.ptx')") +
                  Entry("Set Ray Generation Program: Invalid value (Details: "
                        "rtContextSetMissProgram: no program)"));
    ExpectFellBackWithOneWarning();
}

TEST_F(RtStartTest, AFileWithoutTheEntryFailsAtItsStep) {
    std::ofstream("VMSelector.ptx", std::ios::trunc) << ".version 7.0\n.target sm_75\n";
    EXPECT_NE(RtStart(), 0);
    EXPECT_EQ(Report(), "=====================\n" +
                            Entry("Load SelectorProgram: Invalid source (Details: "
                                  "rtProgramCreateFromPTXFile: entry 'visit' not declared in "
                                  "'VMSelector.ptx')"));
}

TEST_F(RtStartTest, AMissingNoiseTableIsReportedNotSilent) {
    m_noise.clear();
    EXPECT_NE(RtStart(), 0);
    EXPECT_EQ(Report(),
              "=====================\n" + Entry("Create Turbulence Texture: noise table missing"));
    ExpectFellBackWithOneWarning();
}

TEST_F(RtStartTest, TheProbeFailsWithoutADevice) {
    ASSERT_EQ(setenv("VM_RT_DEVICE", "none", 1), 0);
    EXPECT_EQ(RtCheckAvailable(), 1);
    unsetenv("VM_RT_DEVICE");
    EXPECT_EQ(Report(), "=====================\n" + Entry("Checking Context Creation: No device"));
    ExpectFellBackWithOneWarning();
    EXPECT_EQ(RtCheckAvailable(), 0);
}

TEST_F(RtStartTest, AFailedLaunchTearsTheRayTracerDownOnceAndFallsBack) {
    ASSERT_EQ(RtStart(), 0);
    RtLaunch();
    ASSERT_NE(RtState.context, nullptr);
    rtTestSetFault("rtContextLaunch2D", 1, RT_ERROR_LAUNCH_FAILED);
    RtLaunch();
    EXPECT_EQ(RtState.context, nullptr);
    EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore);  // nothing left mapped or running
    EXPECT_EQ(Report(), "=====================\n" +
                            Entry("Context Launch 2D: Launch failed (Details: rtContextLaunch2D: "
                                  "injected fault)"));
    ExpectFellBackWithOneWarning();
    // The eye's remaining calls find nothing to do.
    EXPECT_EQ(RtDisplayOutput(), 0);
    EXPECT_EQ(RtUnmapOutput(), 0);
    RtResizeOutputBuffer();
}

TEST_F(RtStartTest, AFailureInsideAFrameWarnsOnlyAfterTheFrame) {
    ASSERT_EQ(RtStart(), 0);
    RtHoldWarning();
    rtTestSetFault("rtContextLaunch2D", 1, RT_ERROR_LAUNCH_FAILED);
    RtLaunch();
    EXPECT_EQ(RtDisplayOutput(), 0);
    EXPECT_TRUE(g_messages.empty()) << "no dialog inside the frame";
    EXPECT_EQ(RtReleaseWarning(), 1);
    ExpectFellBackWithOneWarning();
    // The next frame has nothing new to tell.
    RtHoldWarning();
    EXPECT_EQ(RtReleaseWarning(), 0);
    EXPECT_EQ(g_messages.size(), 1u);
}

TEST_F(RtStartTest, TheOutputFollowsTheWindowAndAMinimisedWindowStillLaunches) {
    ASSERT_EQ(RtStart(), 0);
    for (const auto& [w, h] : {std::pair{200, 100}, std::pair{0, 1}, std::pair{31, 17}}) {
        ViewportWidth = w;
        ViewportHeight = h;
        RtResizeOutputBuffer();
        RTsize bw = 0, bh = 0;
        ASSERT_EQ(rtBufferGetSize2D(RtState.outputBuffer, &bw, &bh), RT_SUCCESS);
        EXPECT_EQ(bw, static_cast<RTsize>(w));
        EXPECT_EQ(bh, static_cast<RTsize>(h));
        RtLaunch();
        ASSERT_NE(RtState.context, nullptr) << w << "x" << h;
    }
    EXPECT_TRUE(g_messages.empty());
}

}  // namespace
