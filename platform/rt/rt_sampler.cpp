// Texture samplers of the runtime.

#include "platform/rt/rt_call.h"

using namespace rt;

namespace {

// Checks the sampler and applies change, which returns an empty text or what was wrong.
template <class Change>
RTresult Modify(const char* function, RTtexturesampler handle, Change change) {
    Call<TextureSampler> call(function, IdOf(handle), Kind::TextureSampler);
    if (const RTresult r = call.Check()) return r;
    const std::string problem = change(*call.object);
    return problem.empty() ? RT_SUCCESS : call.Fail(RT_ERROR_INVALID_VALUE, problem);
}

bool IsFilter(RTfiltermode m) { return m >= RT_FILTER_NEAREST && m <= RT_FILTER_NONE; }

}  // namespace

RTresult rtTextureSamplerCreate(RTcontext context, RTtexturesampler* sampler) {
    Call<Context> call("rtTextureSamplerCreate", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    if (!sampler) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    auto created = std::make_shared<TextureSampler>(call.object->id, call.object->nextSamplerId++);
    *sampler = HandleOf<RTtexturesampler>(Register(created, true));
    return RT_SUCCESS;
}

RTresult rtTextureSamplerSetWrapMode(RTtexturesampler sampler, unsigned int dimension,
                                     RTwrapmode mode) {
    return Modify("rtTextureSamplerSetWrapMode", sampler, [&](TextureSampler& s) -> std::string {
        if (dimension >= s.wrap.size()) return "dimension out of range";
        if (mode != RT_WRAP_REPEAT && mode != RT_WRAP_CLAMP_TO_EDGE) return "unknown wrap mode";
        s.wrap[dimension] = mode;
        return "";
    });
}

RTresult rtTextureSamplerSetFilteringModes(RTtexturesampler sampler, RTfiltermode minification,
                                           RTfiltermode magnification, RTfiltermode mipmapping) {
    return Modify("rtTextureSamplerSetFilteringModes", sampler,
                  [&](TextureSampler& s) -> std::string {
                      if (!IsFilter(minification) || !IsFilter(magnification) ||
                          !IsFilter(mipmapping)) {
                          return "unknown filter mode";
                      }
                      s.minification = minification;
                      s.magnification = magnification;
                      s.mipmapping = mipmapping;
                      return "";
                  });
}

RTresult rtTextureSamplerSetIndexingMode(RTtexturesampler sampler, RTtextureindexmode mode) {
    return Modify("rtTextureSamplerSetIndexingMode", sampler, [&](TextureSampler& s) {
        s.indexing = mode;
        return std::string();
    });
}

RTresult rtTextureSamplerSetReadMode(RTtexturesampler sampler, RTtexturereadmode mode) {
    return Modify("rtTextureSamplerSetReadMode", sampler, [&](TextureSampler& s) {
        s.reading = mode;
        return std::string();
    });
}

RTresult rtTextureSamplerSetMaxAnisotropy(RTtexturesampler sampler, float value) {
    return Modify("rtTextureSamplerSetMaxAnisotropy", sampler, [&](TextureSampler& s) {
        s.maxAnisotropy = value;
        return std::string(value >= 1.0f ? "" : "anisotropy below 1");
    });
}

RTresult rtTextureSamplerSetMipLevelCount(RTtexturesampler sampler, unsigned int count) {
    return Modify("rtTextureSamplerSetMipLevelCount", sampler, [&](TextureSampler& s) {
        s.mipLevels = count;
        return std::string(count == 1 ? "" : "one mip level only");
    });
}

RTresult rtTextureSamplerSetArraySize(RTtexturesampler sampler, unsigned int count) {
    return Modify("rtTextureSamplerSetArraySize", sampler, [&](TextureSampler& s) {
        s.arraySize = count;
        return std::string(count == 1 ? "" : "array size 1 only");
    });
}

RTresult rtTextureSamplerSetBuffer(RTtexturesampler sampler, unsigned int arrayIndex,
                                   unsigned int level, RTbuffer buffer) {
    return Modify("rtTextureSamplerSetBuffer", sampler, [&](TextureSampler& s) -> std::string {
        if (arrayIndex != 0 || level != 0) return "array index and level must be 0";
        auto b = std::static_pointer_cast<Buffer>(Find(IdOf(buffer), Kind::Buffer));
        if (!b || b->context != s.context) return "not a buffer of this context";
        s.buffer = std::move(b);
        return "";
    });
}

RTresult rtTextureSamplerGetId(RTtexturesampler sampler, int* id) {
    return Modify("rtTextureSamplerGetId", sampler, [&](TextureSampler& s) -> std::string {
        if (!id) return "null argument";
        *id = s.samplerIdInContext;
        return "";
    });
}

RTresult rtTextureSamplerDestroy(RTtexturesampler sampler) {
    Call<TextureSampler> call("rtTextureSamplerDestroy", IdOf(sampler), Kind::TextureSampler);
    if (const RTresult r = call.Check()) return r;
    Unregister(call.object->id, Kind::TextureSampler);
    return RT_SUCCESS;
}
