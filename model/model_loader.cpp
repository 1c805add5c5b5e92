// CModelObject::Load: reads a chunked big-endian model file and applies the material rules of
// the model's catalogue record. The whole file is checked first and only a sound file is
// turned into parts, textures and display lists, so a bad file leaves nothing behind.

#include <GL/gl.h>

#include <array>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "model/be_reader.h"
#include "model/model_object.h"
#include "model/texture_upload.h"

std::int32_t DeformPartIndex[kDeformPartEntries] = {-1, -1, -1, -1, -1};

namespace {

enum ChunkTag : std::int32_t {
    kTagEnd = 0,
    kTagMeshPart = 1,
    kTagPop = 2,
    kTagPush = 3,
    kTagJoint = 4,
};
constexpr std::uint64_t kChunkHeaderBytes = 8;
// Current directory and relative path together; the platform's limit counts the final null.
constexpr std::size_t kMaxPathLength = PATH_MAX - 1;
constexpr float kClubTextureScale = 15000.0f;
constexpr float kAuburn[3] = {0.408f, 0.059f, 0.059f};
constexpr int kAuburnPart = 15;
constexpr float kTranslucentAlpha = 0.7f;
constexpr float kNoColourYet = -1.0f;  // red of a vertex that no face has coloured yet

// A mesh-part chunk as the file holds it, faces already in drawing order.
struct RawPart {
    std::uint32_t vertexCount = 0;
    std::uint32_t faceCount = 0;
    bool faceColors = false;
    bool vertexColors = false;
    bool faceNormals = false;
    bool vertexNormals = false;
    bool texCoords = false;
    float color[3] = {};
    std::vector<float> positions;  // 3 per vertex
    std::vector<std::uint32_t> faces;
    std::vector<float> faceColorValues;
    std::vector<float> vertexColorValues;
    std::vector<float> faceNormalValues;
    std::vector<float> vertexNormalValues;
    std::vector<float> uv;
};

struct RawChunk {
    std::int32_t tag = 0;
    RawPart part;               // mesh-part chunks
    std::array<float, 16> matrix{};  // joint chunks
};

bool ReadFloatArray(BeReader* in, bool present, std::size_t count, std::vector<float>* out) {
    if (!present) return true;
    out->resize(count);
    return in->ReadFiniteFloats(out->data(), count);
}

// Bytes of a mesh-part body after its 8-byte header, in 64 bits so no count can wrap it.
std::uint64_t PartBodyBytes(const RawPart& p) {
    const std::uint64_t v = p.vertexCount;
    const std::uint64_t f = p.faceCount;
    return 40 + 12 * v + 16 * f + (p.faceColors ? 12 * f : 0) + (p.vertexColors ? 12 * v : 0) +
           (p.faceNormals ? 12 * f : 0) + (p.vertexNormals ? 12 * v : 0) +
           (p.texCoords ? 8 * v : 0);
}

// Reverses the stored winding: a triangle (a, b, c, c) becomes (c, b, a, a), a quad
// (a, b, c, d) becomes (d, c, b, a).
void ReverseFace(std::uint32_t* q) {
    if (q[2] == q[3]) {
        std::swap(q[0], q[2]);
        q[3] = q[2];
    } else {
        std::swap(q[0], q[3]);
        std::swap(q[1], q[2]);
    }
}

bool ReadPart(BeReader* in, RawPart* p) {
    std::uint32_t present[5] = {};
    if (!in->ReadU32(&p->vertexCount) || !in->ReadU32(&p->faceCount)) return false;
    for (auto& flag : present) {
        if (!in->ReadU32(&flag)) return false;
    }
    p->faceColors = present[0] != 0;
    p->vertexColors = present[1] != 0;
    p->faceNormals = present[2] != 0;
    p->vertexNormals = present[3] != 0;
    p->texCoords = present[4] != 0;
    const std::uint64_t v = p->vertexCount;
    const std::uint64_t f = p->faceCount;
    // Outside the format: more vertices than corners (so vertices without faces), nothing to
    // colour it with. A part without either is allowed and draws nothing.
    if (v > 4 * f || !(p->faceColors || p->vertexColors)) return false;
    // Checked before anything is allocated, so the arrays never outgrow the file; the 28
    // bytes of counts and flags are read already.
    if (PartBodyBytes(*p) - 28 > in->Remaining()) return false;
    if (!in->ReadFiniteFloats(p->color, 3)) return false;
    if (!ReadFloatArray(in, true, 3 * v, &p->positions)) return false;
    p->faces.resize(4 * f);
    for (std::uint64_t q = 0; q < f; ++q) {
        std::uint32_t* face = &p->faces[4 * q];
        for (int k = 0; k < 4; ++k) {
            if (!in->ReadU32(&face[k]) || face[k] >= v) return false;
        }
        ReverseFace(face);
    }
    return ReadFloatArray(in, p->faceColors, 3 * f, &p->faceColorValues) &&
           ReadFloatArray(in, p->vertexColors, 3 * v, &p->vertexColorValues) &&
           ReadFloatArray(in, p->faceNormals, 3 * f, &p->faceNormalValues) &&
           ReadFloatArray(in, p->vertexNormals, 3 * v, &p->vertexNormalValues) &&
           ReadFloatArray(in, p->texCoords, 2 * v, &p->uv);
}

// Reads the chunks up to the end chunk or the node limit; false for a file outside the format.
bool ParseChunks(std::span<const std::uint8_t> bytes, std::uint64_t maxParts,
                 std::vector<RawChunk>* chunks) {
    BeReader in(bytes);
    std::uint64_t parts = 0;
    while (chunks->size() < static_cast<std::size_t>(kMaxNodes)) {
        std::int32_t tag = 0;
        std::int32_t length = 0;
        if (!in.ReadI32(&tag) || !in.ReadI32(&length)) return false;
        if (tag == kTagEnd) return true;
        if (tag < kTagEnd || tag > kTagJoint) {
            if (length < static_cast<std::int32_t>(kChunkHeaderBytes)) return false;
            if (!in.Skip(static_cast<std::uint64_t>(length) - kChunkHeaderBytes)) return false;
            continue;
        }
        RawChunk& chunk = chunks->emplace_back();
        chunk.tag = tag;
        if (tag == kTagMeshPart) {
            if (++parts > maxParts || !ReadPart(&in, &chunk.part)) return false;
        } else if (tag == kTagJoint) {
            if (!in.ReadFiniteFloats(chunk.matrix.data(), 16)) return false;
        }
    }
    return true;  // the node limit ends the file
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
    // A named pipe would block the load for good, and a device need never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

std::string CurrentDirectory() {
    std::error_code error;
    std::string dir = std::filesystem::current_path(error).string();
    return error ? std::string() : dir;
}

std::string WithSlashes(const char* path) {
    std::string out(path);
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

bool IsSkinDancer(std::uint32_t type) {
    return type == 0 || type == 1 || type == 2 || type == 4 || type == 5;
}

// Which DeformPartIndex entry, if any, the node of part p of a dancer of this type sets.
int DeformEntry(std::uint32_t type, int p) {
    if (type == kTypeOrlaq && p == 0) return 0;
    if (type == kTypePemsa && p == 0) return 1;
    if (type == kTypeIvret && p == 15) return 2;
    if (type == kTypeMirelB) return p == 14 ? 3 : p == 15 ? 4 : -1;
    return p == 9 ? 3 : p == 10 ? 4 : -1;
}

// The per-part state of the material rules that lasts from one part to the next.
struct LoadState {
    const ModelRecord* record;
    std::string directory;
    bool auburn = false;
    bool noTextures = false;
    std::uint32_t lastTexture = 0;  // the most recent texture load of this model
};

// Per-vertex arrays while the colour split adds vertices.
struct Scratch {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uv;
    std::vector<float> rgb;
    std::vector<std::uint32_t> faces;
};

std::uint32_t ChooseTexture(LoadState* state, int p, const RawPart& raw, Scratch* s,
                            bool* textured) {
    const std::uint32_t type = state->record->type;
    const ModelPartEntry& entry = state->record->parts[p];
    *textured = raw.texCoords;
    if (type == kTypePemsa && ModelVariant == 2) *textured = false;
    if (type == kTypeClub && p == 1) {
        // The ceiling's coordinates come from its plan, whatever the file holds.
        s->uv.resize(2 * std::size_t{raw.vertexCount});
        for (std::uint32_t i = 0; i < raw.vertexCount; ++i) {
            s->uv[2 * i] = s->positions[3 * i] / kClubTextureScale;
            s->uv[2 * i + 1] = s->positions[3 * i + 2] / kClubTextureScale;
        }
        *textured = true;
    }
    if (!*textured || state->noTextures) return 0;
    if (std::strcmp(entry.texture, "none") == 0) return state->lastTexture;
    const std::string path = state->directory + "/Models/" + entry.texture;
    state->lastTexture = LoadGifTexture(path.c_str(), type == kTypeClub);
    if (!state->lastTexture) *textured = false;
    return state->lastTexture;
}

// Spreads face normals to corners and gives every corner its face's colour, copying a vertex
// whose colour another face already set differently.
void SpreadFaceAttributes(const RawPart& raw, bool hasNormals, bool textured, Scratch* s) {
    if (raw.faceColors) {
        for (std::uint32_t i = 0; i < raw.vertexCount; ++i) s->rgb[3 * i] = kNoColourYet;
    }
    for (std::uint32_t f = 0; f < raw.faceCount; ++f) {
        std::uint32_t* face = &s->faces[4 * f];
        if (raw.faceNormals && !raw.vertexNormals) {
            for (int k = 0; k < 4; ++k) {
                std::memcpy(&s->normals[3 * face[k]], &raw.faceNormalValues[3 * f],
                            3 * sizeof(float));
            }
        }
        if (!raw.faceColors) continue;
        const float* colour = &raw.faceColorValues[3 * f];
        for (int k = 0; k < 4; ++k) {
            const std::uint32_t v = face[k];
            float* vc = &s->rgb[3 * v];
            if (vc[0] == kNoColourYet) {
                std::memcpy(vc, colour, 3 * sizeof(float));
            } else if (std::memcmp(vc, colour, 3 * sizeof(float)) != 0) {
                // The arrays grow as needed, so no corner is ever left with a wrong colour.
                const auto n = static_cast<std::uint32_t>(s->positions.size() / 3);
                const auto append = [v](std::vector<float>* a, std::size_t width) {
                    for (std::size_t c = 0; c < width; ++c) a->push_back((*a)[width * v + c]);
                };
                append(&s->positions, 3);
                if (hasNormals) append(&s->normals, 3);
                if (textured) append(&s->uv, 2);
                s->rgb.insert(s->rgb.end(), colour, colour + 3);
                face[k] = n;
            }
        }
    }
}

std::unique_ptr<CMeshPart> BuildPart(LoadState* state, int p, RawPart& raw) {
    const ModelRecord& record = *state->record;
    const ModelPartEntry& entry = record.parts[p];
    const std::uint32_t type = record.type;
    const bool hasNormals = raw.faceNormals || raw.vertexNormals;
    const bool hasColors = raw.faceColors || raw.vertexColors;

    Scratch s;
    s.positions = std::move(raw.positions);
    s.faces = std::move(raw.faces);
    s.uv = std::move(raw.uv);
    if (hasNormals) {
        s.normals = raw.vertexNormals ? std::move(raw.vertexNormalValues)
                                      : std::vector<float>(3 * std::size_t{raw.vertexCount});
    }
    s.rgb = raw.vertexColors ? std::move(raw.vertexColorValues)
                             : std::vector<float>(3 * std::size_t{raw.vertexCount});
    if (state->auburn && p == kAuburnPart && raw.faceColors) {
        for (std::uint32_t f = 0; f < raw.faceCount; ++f) {
            std::memcpy(&raw.faceColorValues[3 * f], kAuburn, sizeof(kAuburn));
        }
    }
    if (raw.vertexColors && IsSkinDancer(type)) {
        CModelObject::RecolorSkin(static_cast<int>(raw.vertexCount), static_cast<int>(type),
                                  s.rgb.data(), s.positions.data());
    }

    bool textured = false;
    const std::uint32_t textureList = ChooseTexture(state, p, raw, &s, &textured);
    SpreadFaceAttributes(raw, hasNormals, textured, &s);
    const auto vertexCount = static_cast<std::uint32_t>(s.positions.size() / 3);

    const bool translucent = type == kTypeMirelB && entry.flags[kEntryTranslucent];
    std::vector<float> rgba(4 * std::size_t{vertexCount});
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        std::memcpy(&rgba[4 * i], &s.rgb[3 * i], 3 * sizeof(float));
        rgba[4 * i + 3] = translucent ? kTranslucentAlpha : 1.0f;
    }
    // The spot-light fixture's cone and everything after it take the caller's colour.
    if (type == kTypeSpotLight && p == 1) state->noTextures = true;

    auto part = std::make_unique<CMeshPart>();
    part->SetHasFaceNormals(raw.faceNormals);
    part->SetHasVertexNormals(raw.vertexNormals);
    part->SetTextured(textured);
    part->SetHasFaceColors(raw.faceColors);
    part->SetHasVertexColors(raw.vertexColors);
    part->SetQuadCount(raw.faceCount);
    part->SetVertexCount(vertexCount);
    part->SetColor(raw.color);
    part->SetQuads(s.faces.data());
    part->SetVertices(s.positions.data());
    part->SetShiny(entry.flags[kEntryShiny]);
    part->SetReflective(entry.flags[kEntryReflective]);
    part->SetTextureName(entry.texture);
    part->SetToon(entry.flags[kEntryToon]);
    part->SetNoColor(state->noTextures);
    part->SetWood(entry.flags[kEntryWood]);
    part->SetBumpMapped(entry.flags[kEntryBumpMapped]);
    part->SetDeforming(entry.flags[kEntryDeforming]);
    part->SetLuminous(entry.flags[kEntryLuminous]);
    part->SetTranslucent(translucent);
    part->SetTextureList(textureList);
    if (textured) part->SetTexCoords(s.uv.data());
    if (!state->noTextures && hasColors) part->SetColors(rgba.data());
    if (hasNormals) part->SetNormals(s.normals.data());
    return part;
}

}  // namespace

void CModelObject::RecolorSkin(int vertexCount, int modelType, float* rgb, const float* xyz) {
    struct SkinRange {
        double gLow, gHigh, bLow, bHigh, k;
    };
    const SkinRange range = modelType == kTypeIvret   ? SkinRange{0.546, 0.655, 0.555, 0.585, 0.75}
                            : modelType == kTypePemsa ? SkinRange{0.496, 0.78, 0.515, 0.72, 0.33}
                                                      : SkinRange{0.45, 0.667, 0.5, 0.6, 0.5};
    const double pemsaSkin[3] = {0.961, 0.686, 0.643};
    const double pemsaPatch[3] = {1.0, 0.502, 0.591};
    for (int i = 0; i < vertexCount; ++i) {
        float* c = &rgb[3 * i];
        const bool skin = c[0] == 1.0f && c[1] >= range.gLow && c[1] <= range.gHigh &&
                          c[2] >= range.bLow && c[2] <= range.bHigh;
        if (!skin) continue;
        double target[3] = {1.0, range.gHigh, range.bHigh};
        if (modelType == kTypePemsa) {
            // Two round patches on the face, shaded toward a warmer tone before the blend.
            const double dx = std::fabs(double{xyz[3 * i]}) - 48.8;
            const double dy = double{xyz[3 * i + 1]} - 54.1;
            const double d2 = dx * dx + dy * dy;
            if (d2 < 300.0) {
                const double t = d2 / 300.0;
                for (int j = 0; j < 3; ++j) {
                    c[j] = static_cast<float>(t * pemsaSkin[j] + (1.0 - t) * pemsaPatch[j]);
                }
            }
            std::copy(pemsaSkin, pemsaSkin + 3, target);
        }
        for (int j = 0; j < 3; ++j) {
            c[j] = static_cast<float>(range.k * c[j] + (1.0 - range.k) * target[j]);
        }
    }
}

int CModelObject::Load(const char* path, ModelRecord record, int noTextures) {
    m_visible = 1;
    const std::string directory = CurrentDirectory();
    const std::string full = directory + "/" + WithSlashes(path);
    std::vector<std::uint8_t> bytes;
    if (directory.empty() || full.size() > kMaxPathLength || !ReadFile(full, &bytes)) {
        return kLoadNoFile;
    }
    return LoadBytes(bytes, record, noTextures);
}

int CModelObject::LoadBytes(std::span<const std::uint8_t> bytes, const ModelRecord& record,
                            int noTextures) {
    m_visible = 1;
    Clear();
    std::vector<RawChunk> chunks;
    const std::uint64_t maxParts = record.parts ? record.partCount : 0;
    if (!ParseChunks(bytes, maxParts, &chunks)) return kLoadNoFile;

    LoadState state{&record, CurrentDirectory()};
    state.auburn = record.type == kTypePemsa && FileExists("auburnHair");
    state.noTextures = noTextures != 0;
    for (RawChunk& chunk : chunks) {
        const std::int32_t node = m_nodeCount++;
        m_nodes[node].type = static_cast<std::uint32_t>(chunk.tag);
        if (chunk.tag == kTagJoint) {
            m_ownedTransforms.push_back(std::make_unique<PartTransform>(chunk.matrix.data()));
            m_nodes[node].transform = m_ownedTransforms.back().get();
            m_jointNodes[m_jointCount++] = node;
        }
        if (chunk.tag != kTagMeshPart) continue;
        const int p = m_partCount;
        m_ownedParts.push_back(BuildPart(&state, p, chunk.part));
        CMeshPart* part = m_ownedParts.back().get();
        m_nodes[node].part = part;
        if (IsDancerType(static_cast<std::int32_t>(record.type))) {
            const int entry = DeformEntry(record.type, p);
            if (entry >= 0) DeformPartIndex[entry] = node;
        }
        // Parts that move or follow a loaded texture are drawn from their arrays each time.
        if (!record.parts[p].flags[kEntryDeforming] && state.lastTexture == 0) {
            const GLuint list = glGenLists(1);
            if (list) part->Compile(list);
        }
        m_partNodes[p] = node;
        ++m_partCount;
        m_faceCount += static_cast<std::int32_t>(part->GetQuadCount());
        m_vertexCount += static_cast<std::int32_t>(part->GetVertexCount());
    }
    m_type = static_cast<std::int32_t>(record.type);
    return kLoadOk;
}
