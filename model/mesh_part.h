#pragma once
// One drawable piece of a model: a quad mesh with its material flags, colours, normals,
// texture coordinates and an OpenGL display list. A triangle is a quad whose last two indices
// are equal. Positions and normals are kept twice: the base set as loaded and a current set
// that the dance deformations overwrite.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/display_options.h"  // DisplayTextures: 1 draws textures

// Written by the commands, read while drawing (UI thread).
extern int FilledPolygons;  // 1: filled polygons, 0: line rendering

// What the toon outline's width follows: the eye, the dancer's focus point and the field of
// view. The camera code installs the source; without one the outline assumes an eye 6000
// units away with a 30-degree field of view.
struct OutlineView {
    float eye[3];
    float focus[3];
    float fovDegrees;
};
using OutlineViewFn = OutlineView (*)();
extern OutlineViewFn OutlineViewSource;
// The assumed view: an eye 6000 units in front of the origin, 30 degrees.
OutlineView DefaultOutlineView();

// Line width of the toon outline; 0 when the viewport is lower than 320 pixels.
float OutlineLineWidth(const OutlineView& view, int viewportHeight);

class ChunkFilter;
class PartChunks;

class CMeshPart {
public:
    CMeshPart();
    ~CMeshPart();
    CMeshPart(const CMeshPart&) = delete;
    CMeshPart& operator=(const CMeshPart&) = delete;

    void FreeArrays();

    void SetHasFaceNormals(std::uint8_t on) { m_flags[kFaceNormals] = on; }
    void SetHasVertexNormals(std::uint8_t on) { m_flags[kVertexNormals] = on; }
    void SetTextured(std::uint8_t on) { m_flags[kTextured] = on; }
    void SetHasFaceColors(std::uint8_t on) { m_flags[kFaceColors] = on; }
    void SetHasVertexColors(std::uint8_t on) { m_flags[kVertexColors] = on; }
    void SetShiny(std::uint8_t on) { m_flags[kShiny] = on; }
    void SetReflective(std::uint8_t on) { m_flags[kReflective] = on; }
    void SetToon(std::uint8_t on) { m_flags[kToon] = on; }
    void SetWood(std::uint8_t on) { m_flags[kWood] = on; }
    void SetBumpMapped(std::uint8_t on) { m_flags[kBumpMapped] = on; }
    void SetDeforming(std::uint8_t on) { m_flags[kDeforming] = on; }
    void SetNoColor(std::uint8_t on) { m_flags[kNoColor] = on; }
    void SetTranslucent(std::uint8_t on) { m_flags[kTranslucent] = on; }
    void SetLuminous(std::uint8_t on) { m_flags[kLuminous] = on; }

    void SetQuadCount(std::uint32_t n) { m_quadCount = n; }
    void SetVertexCount(std::uint32_t n) { m_vertexCount = n; }
    void SetColor(const float* rgb);
    void SetTextureList(std::uint32_t list) { m_textureList = list; }
    void SetTextureName(const char* name) { m_textureName = name; }
    void SetDisplayList(std::uint32_t list) { m_displayList = list; }

    // Each copies counts x its width of values, when given and the count is nonzero.
    void SetQuads(const std::uint32_t* quads);
    void SetVertices(const float* xyz);  // base and current positions
    void SetTexCoords(const float* uv);
    void SetColors(const float* rgba);
    void SetNormals(const float* xyz);   // base and current normals

    // Current position and normal i; an index outside the array, or a part without normals,
    // changes nothing.
    void SetVertex(std::int32_t i, const float* xyz);
    void SetDeformedNormal(std::int32_t i, const float* xyz);

    std::uint32_t GetVertexCount() const { return m_vertexCount; }
    std::uint32_t GetQuadCount() const { return m_quadCount; }
    // Out-of-range indices give entry 0, or zeros when the array is empty.
    void GetBaseVertex(float* out, std::int32_t i) const;
    void GetVertexColor(float* out, std::int32_t i) const;
    void GetNormal(float* out, std::int32_t i) const;

    std::uint8_t IsTranslucent() const { return m_flags[kTranslucent]; }
    // Draws alpha 1 on every pixel: not translucent, and every colour it sets has alpha 1. A
    // no-colour part takes its caller's colour, so it never counts as opaque.
    bool IsOpaque() const;
    int IsIncomplete() const;

    // Draws with vertex arrays; with a nonzero list id records the drawing into that display
    // list instead and keeps the id.
    void Compile(std::uint32_t list);
    // Draws count quads of the given indices as Compile draws the whole part (the part must be
    // complete); with a nonzero list records them into it instead, without keeping the id.
    void DrawQuads(std::uint32_t list, const std::uint32_t* quads, std::uint32_t count) const;
    void Draw();
    // Draws as Draw does, but a static part (not deforming, not luminous) from spatial chunks,
    // skipping those the filter rules out. The chunks are recorded on first use and again
    // after DisplayTextures has changed.
    void DrawChunks(const ChunkFilter& filter);
    void DrawOutline();

    // Read access for the ray tracer, the deformations and tests.
    bool HasFaceNormals() const { return m_flags[kFaceNormals]; }
    bool HasVertexNormals() const { return m_flags[kVertexNormals]; }
    bool IsTextured() const { return m_flags[kTextured]; }
    bool HasFaceColors() const { return m_flags[kFaceColors]; }
    bool HasVertexColors() const { return m_flags[kVertexColors]; }
    bool IsShiny() const { return m_flags[kShiny]; }
    bool IsReflective() const { return m_flags[kReflective]; }
    bool IsToon() const { return m_flags[kToon]; }
    bool IsWood() const { return m_flags[kWood]; }
    bool IsBumpMapped() const { return m_flags[kBumpMapped]; }
    bool IsDeforming() const { return m_flags[kDeforming]; }
    bool HasNoColor() const { return m_flags[kNoColor]; }
    bool IsLuminous() const { return m_flags[kLuminous]; }
    std::uint32_t GetDisplayList() const { return m_displayList; }
    std::uint32_t GetTextureList() const { return m_textureList; }
    const char* GetTextureName() const { return m_textureName; }
    const float* GetColor() const { return m_color; }
    const std::uint32_t* GetQuads() const { return Data(m_quads); }
    const float* GetTexCoords() const { return Data(m_texCoords); }
    const float* GetColors() const { return Data(m_colors); }
    const float* GetVertices() const { return Data(m_vertices); }
    const float* GetBaseVertices() const { return Data(m_baseVertices); }
    const float* GetBaseNormals() const { return Data(m_baseNormals); }
    const float* GetNormals() const { return Data(m_normals); }

private:
    enum Flag {
        kFaceNormals,
        kVertexNormals,
        kTextured,
        kFaceColors,
        kVertexColors,
        kShiny,
        kReflective,
        kToon,
        kWood,
        kBumpMapped,
        kDeforming,
        kNoColor,
        kTranslucent,
        kLuminous,
        kFlagCount
    };
    template <class T>
    static const T* Data(const std::vector<T>& v) {
        return v.empty() ? nullptr : v.data();
    }
    bool HasNormals() const { return m_flags[kFaceNormals] || m_flags[kVertexNormals]; }
    bool HasColors() const { return m_flags[kFaceColors] || m_flags[kVertexColors]; }

    std::uint8_t m_flags[kFlagCount] = {};
    bool m_colorsOpaque = true;  // every alpha of the RGBA array is 1
    std::uint32_t m_displayList = 0;
    std::uint32_t m_textureList = 0;  // not owned; parts may share it
    const char* m_textureName = nullptr;
    std::uint32_t m_quadCount = 0;
    std::uint32_t m_vertexCount = 0;
    float m_color[3] = {};
    std::vector<std::uint32_t> m_quads;     // 4 per quad
    std::vector<float> m_texCoords;         // 2 per vertex
    std::vector<float> m_colors;            // RGBA per vertex
    std::vector<float> m_vertices;          // current positions: drawn, written by deformation
    std::vector<float> m_baseVertices;      // as loaded
    std::vector<float> m_baseNormals;       // lit by OpenGL
    std::vector<float> m_normals;           // current normals, written by deformation
    std::unique_ptr<PartChunks> m_chunks;   // recorded by DrawChunks
};
