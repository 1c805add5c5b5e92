#include "raytrace/rt_context.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "animation/view_state.h"
#include "raytrace/rt_handles.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_programs.h"
#include "raytrace/rt_report.h"
#include "raytrace/rt_scene.h"
#include "render/scene_state.h"

namespace raytrace {

RtModuleState RtState;

namespace {

constexpr unsigned kRayTypeCount = 2;  // 0 radiance, 1 shadow
constexpr unsigned kEntryPointCount = 1;
constexpr RTsize kStackSize = 10240;
constexpr RTsize kTurbulenceSize = 1024;
constexpr RTsize kLightsRecordSize = 304;

// Runs reported steps in order until one fails.
class StepChain {
public:
    // True while every step so far succeeded; a failed step is reported once.
    bool Step(RTresult result, const char* text) {
        if (m_failed) return false;
        m_failed = ReportRtError(result, text) != 0;
        return !m_failed;
    }
    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

struct LoadStep {
    const char* file;
    const char* name;
    RTprogram RtModuleState::*slot;
    const char* text;
};

constexpr LoadStep kLoads[] = {
    {"VMLighting.ptx", "ClosestHitRadiance", &RtModuleState::closestHitRadiance,
     "Load LightingProgram for ClosestHitRadiance"},
    {"VMLighting.ptx", "AnyHitShadow", &RtModuleState::anyHitShadow,
     "Load LightingProgram for AnyHitShadow"},
    {"VMMesh.ptx", "meshBounds", &RtModuleState::meshBounds, "Load MeshProgram for meshBounds"},
    {"VMMesh.ptx", "meshIntersect", &RtModuleState::meshIntersect,
     "Load MeshProgram for meshIntersect"},
    {"VMSelector.ptx", "visit", &RtModuleState::visit, "Load SelectorProgram"},
};

// The context variables declared in this order, with the handles the frame sets again.
struct ContextVariable {
    const char* name;
    RTvariable RtModuleState::*kept;  // null member: used during start-up only
};

constexpr ContextVariable kContextVariables[] = {
    {"outputBuffer", nullptr},
    {"maxTransparencyDepth", nullptr},
    {"maxReflectionDepth", nullptr},
    {"radianceRayType", nullptr},
    {"shadowRayType", nullptr},
    {"sceneEpsilon", nullptr},
    {"toonShading", &RtModuleState::toonShading},
    {"fillLightOn", &RtModuleState::fillLightOn},
    {"renderShadows", &RtModuleState::renderShadows},
    {"renderReflections", &RtModuleState::renderReflections},
    {"renderTextures", &RtModuleState::renderTextures},
    {"render3DTextures", &RtModuleState::render3DTextures},
};
constexpr std::size_t kVariableCount = std::size(kContextVariables);

struct SwitchInit {
    RTvariable RtModuleState::*variable;
    const char* text;
};

constexpr SwitchInit kSwitchInits[] = {
    {&RtModuleState::toonShading, "Init toonShadingVar"},
    {&RtModuleState::fillLightOn, "Init fillLightOnVar"},
    {&RtModuleState::renderShadows, "Init renderShadowsVar"},
    {&RtModuleState::renderReflections, "Init renderReflectionsVar"},
    {&RtModuleState::renderTextures, "Init renderTexturesVar"},
    {&RtModuleState::render3DTextures, "Init render3DTexturesVar"},
};

bool DeclareContextVariables(StepChain& chain, RTvariable (&declared)[kVariableCount]) {
    for (std::size_t i = 0; i < kVariableCount; ++i) {
        const std::string text = std::string("Declare ") + kContextVariables[i].name;
        if (!chain.Step(rtContextDeclareVariable(RtState.context, kContextVariables[i].name,
                                                 &declared[i]),
                        text.c_str())) {
            return false;
        }
        if (kContextVariables[i].kept) RtState.*kContextVariables[i].kept = declared[i];
    }
    return true;
}

// Steps 22 to 32: the fixed values, then the six render switches off.
bool InitContextVariables(StepChain& chain, RTvariable (&v)[kVariableCount]) {
    const bool fixed = chain.Step(rtVariableSet1i(v[1], 66), "Init maxTransparencyDepth") &&
                       chain.Step(rtVariableSet1i(v[2], 3), "Init maxReflectionDepthVar") &&
                       chain.Step(rtVariableSet1ui(v[3], 0), "Init radianceRayTypeVar") &&
                       chain.Step(rtVariableSet1ui(v[4], 1), "Init shadowRayTypeVar") &&
                       chain.Step(rtVariableSet1f(v[5], 0.01f), "Init epsilonVar");
    if (!fixed) return false;
    for (const SwitchInit& init : kSwitchInits) {
        if (!chain.Step(rtVariableSet1i(RtState.*init.variable, 0), init.text)) return false;
    }
    return true;
}

bool CreateOutputBuffer(StepChain& chain, RTvariable outputVariable) {
    return chain.Step(rtBufferCreate(RtState.context, RT_BUFFER_OUTPUT, &RtState.outputBuffer),
                      "Buffer Create") &&
           chain.Step(rtBufferSetFormat(RtState.outputBuffer, RT_FORMAT_UNSIGNED_BYTE4),
                      "Buffer Set Format") &&
           chain.Step(rtBufferSetSize2D(RtState.outputBuffer, 320, 240), "BufferSetSize2D") &&
           chain.Step(rtVariableSetObject(outputVariable, RtState.outputBuffer),
                      "Variable Set Object");
}

// Copies bytes into a buffer through map and unmap; unreported, as its callers are.
void Upload(RTbuffer buffer, const void* bytes, std::size_t size) {
    void* data = nullptr;
    if (rtBufferMap(buffer, &data) != RT_SUCCESS || !data) return;
    std::memcpy(data, bytes, size);
    rtBufferUnmap(buffer);
}

}  // namespace

int RtCreateContext() {
    RtRegisterPrograms();
    StepChain chain;
    if (!chain.Step(rtContextCreate(&RtState.context), "Creating Context")) return 1;
    RtReportContext = RtState.context;
    if (!chain.Step(rtContextSetRayTypeCount(RtState.context, kRayTypeCount),
                    "Set Ray Type Count") ||
        !chain.Step(rtContextSetEntryPointCount(RtState.context, kEntryPointCount),
                    "Set Entry Point Count") ||
        !chain.Step(rtContextSetStackSize(RtState.context, kStackSize), "Set Stack Size")) {
        return 1;
    }
    for (const LoadStep& load : kLoads) {
        if (!chain.Step(rtProgramCreateFromPTXFile(RtState.context, load.file, load.name,
                                                   &(RtState.*load.slot)),
                        load.text)) {
            return 1;
        }
    }
    RTvariable declared[kVariableCount] = {};
    if (!DeclareContextVariables(chain, declared) || !InitContextVariables(chain, declared) ||
        !CreateOutputBuffer(chain, declared[0])) {
        return 1;
    }
    return RtCreateTurbulenceTexture();
}

int RtCreateTurbulenceTexture() {
    const std::vector<float>* noise = RtHost.noiseTable;
    if (!noise || noise->size() < kTurbulenceSize) {
        // Reported, unlike a silent loss of the engine.
        ReportRtFailure("Create Turbulence Texture: noise table missing");
        return 1;
    }
    RTcontext c = RtState.context;
    rtBufferCreate(c, RT_BUFFER_INPUT, &RtState.turbulenceBuffer);
    rtBufferSetFormat(RtState.turbulenceBuffer, RT_FORMAT_FLOAT);
    rtBufferSetSize1D(RtState.turbulenceBuffer, kTurbulenceSize);
    Upload(RtState.turbulenceBuffer, noise->data(), kTurbulenceSize * sizeof(float));
    const int id = RtCreateSampler(RtState.turbulenceSampler, RT_WRAP_REPEAT, RT_FILTER_LINEAR,
                                   RtState.turbulenceBuffer);
    RTvariable turbTexId = nullptr;
    rtContextDeclareVariable(c, "turbTexId", &turbTexId);
    rtVariableSet1i(turbTexId, id);
    return 0;
}

int RtCreateSampler(RTtexturesampler& s, RTwrapmode wrap, RTfiltermode filter, RTbuffer buffer) {
    rtTextureSamplerCreate(RtState.context, &s);
    rtTextureSamplerSetWrapMode(s, 0, wrap);
    rtTextureSamplerSetWrapMode(s, 1, wrap);
    rtTextureSamplerSetFilteringModes(s, filter, filter, RT_FILTER_NONE);
    rtTextureSamplerSetIndexingMode(s, RT_TEXTURE_INDEX_NORMALIZED_COORDINATES);
    rtTextureSamplerSetReadMode(s, RT_TEXTURE_READ_NORMALIZED_FLOAT);
    rtTextureSamplerSetMaxAnisotropy(s, 1.0f);
    rtTextureSamplerSetMipLevelCount(s, 1);
    rtTextureSamplerSetArraySize(s, 1);
    rtTextureSamplerSetBuffer(s, 0, 0, buffer);
    int id = 0;
    rtTextureSamplerGetId(s, &id);
    return id;
}

int RtCreateLightsBuffer() {
    RTvariable lights = nullptr;
    rtContextDeclareVariable(RtState.context, "lights", &lights);
    rtBufferCreate(RtState.context, RT_BUFFER_INPUT, &RtState.lightsBuffer);
    rtBufferSetFormat(RtState.lightsBuffer, RT_FORMAT_USER);
    rtBufferSetElementSize(RtState.lightsBuffer, kLightsRecordSize);
    rtBufferSetSize1D(RtState.lightsBuffer, 1);
    // The staging record lives for the whole run: a restart keeps what the last frames left in
    // it (the idle spots' entries) and only sets the main light afresh.
    RtLightsRecord& record = RtState.lightsStaging;
    std::fill_n(record.mainColor, 3, 0.9f);
    const float mainPosition[3] = {30000.0f, 20000.0f, 20000.0f};  // far off: near-parallel
    std::copy_n(mainPosition, 3, record.mainPosition);
    Upload(RtState.lightsBuffer, &record, sizeof record);
    rtVariableSetObject(lights, RtState.lightsBuffer);
    return 0;
}

int RtCreateCameraAndMiss() {
    RTcontext c = RtState.context;
    int failed = ReportRtError(rtProgramCreateFromPTXFile(c, "VMCamera.ptx", "camera", &RtState.camera),
                               "Program Create From PTX File");
    rtProgramDeclareVariable(RtState.camera, "cameraPos", &RtState.cameraPos);
    rtProgramDeclareVariable(RtState.camera, "cameraSide", &RtState.cameraSide);
    rtProgramDeclareVariable(RtState.camera, "cameraUp", &RtState.cameraUp);
    rtProgramDeclareVariable(RtState.camera, "cameraDir", &RtState.cameraDir);
    rtProgramDeclareVariable(RtState.camera, "fovScale", &RtState.fovScale);
    rtProgramDeclareVariable(RtState.camera, "aspectRatio", &RtState.aspectRatio);
    failed += ReportRtError(rtContextSetRayGenerationProgram(c, 0, RtState.camera),
                            "Set Ray Generation Program");
    failed += ReportRtError(rtProgramCreateFromPTXFile(c, "VMSky.ptx", "miss", &RtState.miss),
                            "Program Create From PTX File");
    rtProgramDeclareVariable(RtState.miss, "bgColor", &RtState.bgColor);
    // The miss program's step keeps the ray-generation text of the report.
    failed += ReportRtError(rtContextSetMissProgram(c, 0, RtState.miss),
                            "Set Ray Generation Program");
    rtVariableSet3f(RtState.cameraPos, 0, 0, 0);
    rtVariableSet3f(RtState.cameraSide, 1, 0, 0);
    rtVariableSet3f(RtState.cameraUp, 0, 1, 0);
    rtVariableSet3f(RtState.cameraDir, 0, 0, 1);
    rtVariableSet1f(RtState.fovScale, 1);
    rtVariableSet1f(RtState.aspectRatio, 1);
    rtVariableSet3f(RtState.bgColor, 0, 0, 0);
    return failed;
}

int RtGetOutputPixelFormat() {
    RTformat format = RT_FORMAT_UNKNOWN;
    const int failed = ReportRtError(rtBufferGetFormat(RtState.outputBuffer, &format),
                                     "Buffer Get Format");
    switch (format) {
        case RT_FORMAT_FLOAT:
            RtState.glPixelFormat = GL_LUMINANCE;
            RtState.glPixelType = GL_FLOAT;
            break;
        case RT_FORMAT_FLOAT3:
            RtState.glPixelFormat = GL_RGB;
            RtState.glPixelType = GL_FLOAT;
            break;
        case RT_FORMAT_FLOAT4:
            RtState.glPixelFormat = GL_RGBA;
            RtState.glPixelType = GL_FLOAT;
            break;
        case RT_FORMAT_UNSIGNED_BYTE4:
            RtState.glPixelFormat = GL_BGRA;
            RtState.glPixelType = GL_UNSIGNED_BYTE;
            break;
        default:
            std::fputs("Unrecognized buffer data type or format.\n", stderr);
            break;
    }
    return failed;
}

int RtInitialize() {
    if (const int failed = RtCreateContext()) return failed;
    int failed = RtCreateLightsBuffer();
    failed += RtCreateCameraAndMiss();
    RtState.matrixStack = std::make_unique<MatrixStack>();
    failed += RtBuildScene();
    failed += ReportRtError(rtContextValidate(RtState.context), "Context Validate");
    // The output size and the pixel format count too: a failure reported there is no success.
    failed += ReportRtError(
        rtBufferSetSize2D(RtState.outputBuffer, static_cast<RTsize>(std::max(ViewportWidth, 0)),
                          static_cast<RTsize>(std::max(ViewportHeight, 0))),
        "Buffer Set Size 2D");
    RtShowClub(ShowClub);
    failed += RtGetOutputPixelFormat();
    return failed;
}

void RtShutdown() {
    RtDestroyRecords();
    DestroyIf(RtState.turbulenceSampler, rtTextureSamplerDestroy);
    DestroyIf(RtState.outputBuffer, rtBufferDestroy);
    DestroyIf(RtState.lightsBuffer, rtBufferDestroy);
    DestroyIf(RtState.turbulenceBuffer, rtBufferDestroy);
    for (RTprogram RtModuleState::*program :
         {&RtModuleState::camera, &RtModuleState::miss, &RtModuleState::meshIntersect,
          &RtModuleState::meshBounds, &RtModuleState::closestHitRadiance,
          &RtModuleState::anyHitShadow, &RtModuleState::visit}) {
        DestroyIf(RtState.*program, rtProgramDestroy);
    }
    RtDestroySceneNodes();
    // The context last: it releases what was not destroyed one by one.
    DestroyIf(RtState.context, rtContextDestroy);
    RtReportContext = nullptr;
    RtState.matrixStack.reset();
    const RtLightsRecord staging = RtState.lightsStaging;  // kept for the next start
    RtState = RtModuleState{};
    RtState.lightsStaging = staging;
}

int RtStart() {
    const int failed = RtInitialize();
    const bool available = !RtHost.rayTracingAvailable || *RtHost.rayTracingAvailable != 0;
    if (failed == 0 && available) return 0;
    RtShutdown();
    return failed != 0 ? failed : 1;
}

}  // namespace raytrace
