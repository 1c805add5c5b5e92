#include "model/mesh_part.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "model/part_chunks.h"

int FilledPolygons = 1;
OutlineViewFn OutlineViewSource = nullptr;

namespace {

constexpr float kShininess = 127.0f;
constexpr float kPi = 3.14159265358979f;

template <class T>
void CopyArray(std::vector<T>* to, const T* from, std::size_t count) {
    to->assign(from, from + count);
}

// Writes entry i of an array of 3-vectors. The deformations write whatever the model file
// gave them: an index past the array, or an array the part never had, changes nothing.
void StoreEntry(std::vector<float>* values, std::int32_t i, const float* xyz) {
    if (i < 0 || std::size_t{3} * static_cast<std::size_t>(i) + 3 > values->size()) return;
    std::memcpy(values->data() + std::size_t{3} * static_cast<std::size_t>(i), xyz,
                sizeof(float) * 3);
}

void CopyEntry(float* out, const std::vector<float>& values, std::int32_t i, std::uint32_t count,
               int width) {
    if (values.empty()) {
        std::memset(out, 0, sizeof(float) * width);
        return;
    }
    const std::size_t at = (i < 0 || static_cast<std::uint32_t>(i) >= count) ? 0 : i;
    std::memcpy(out, values.data() + at * width, sizeof(float) * width);
}

void SetSpecular(bool shiny) {
    const float on[4] = {1, 1, 1, 1};
    const float off[4] = {0, 0, 0, 1};
    const float shininess = shiny ? kShininess : 0.0f;
    glMaterialfv(GL_FRONT, GL_SPECULAR, shiny ? on : off);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}

// The part's texture bound and on for the scope, when it has one and textures are shown.
class TextureScope {
  public:
    explicit TextureScope(std::uint32_t list) : m_on(list && DisplayTextures) {
        if (!m_on) return;
        glEnable(GL_TEXTURE_2D);
        glCallList(list);
    }
    ~TextureScope() {
        if (m_on) glDisable(GL_TEXTURE_2D);
    }
    TextureScope(const TextureScope&) = delete;
    TextureScope& operator=(const TextureScope&) = delete;

  private:
    bool m_on;
};

}  // namespace

OutlineView DefaultOutlineView() { return {{0, 0, 6000}, {0, 0, 0}, 30.0f}; }

float OutlineLineWidth(const OutlineView& view, int viewportHeight) {
    const float d[3] = {view.eye[0] - view.focus[0], view.eye[1] - view.focus[1],
                        view.eye[2] - view.focus[2]};
    const float distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const float halfFov = view.fovDegrees * 0.5f * kPi / 180.0f;
    // Width 1 at distance 6000 with a 30-degree view; the height factor is an integer step.
    return std::tan(15.0f * kPi / 180.0f) / std::tan(halfFov) * 2.0f / (distance / 3000.0f) *
           static_cast<float>(viewportHeight / 320);
}

CMeshPart::CMeshPart() = default;

CMeshPart::~CMeshPart() {
    if (m_displayList) glDeleteLists(m_displayList, 1);
}

void CMeshPart::FreeArrays() {
    for (auto* v : {&m_texCoords, &m_colors, &m_vertices, &m_baseVertices, &m_baseNormals,
                    &m_normals}) {
        v->clear();
        v->shrink_to_fit();
    }
    m_quads.clear();
    m_quads.shrink_to_fit();
    m_quadCount = 0;
}

void CMeshPart::SetColor(const float* rgb) { std::memcpy(m_color, rgb, sizeof(m_color)); }

void CMeshPart::SetQuads(const std::uint32_t* quads) {
    if (quads && m_quadCount) CopyArray(&m_quads, quads, std::size_t{4} * m_quadCount);
}

void CMeshPart::SetVertices(const float* xyz) {
    if (!xyz || !m_vertexCount) return;
    CopyArray(&m_baseVertices, xyz, std::size_t{3} * m_vertexCount);
    m_vertices = m_baseVertices;
}

void CMeshPart::SetTexCoords(const float* uv) {
    if (uv && m_vertexCount) CopyArray(&m_texCoords, uv, std::size_t{2} * m_vertexCount);
}

void CMeshPart::SetColors(const float* rgba) {
    if (!rgba || !m_vertexCount) return;
    CopyArray(&m_colors, rgba, std::size_t{4} * m_vertexCount);
    m_colorsOpaque = true;
    for (std::size_t i = 3; i < m_colors.size(); i += 4) m_colorsOpaque &= m_colors[i] == 1.0f;
}

void CMeshPart::SetNormals(const float* xyz) {
    if (!xyz || !m_vertexCount) return;
    CopyArray(&m_baseNormals, xyz, std::size_t{3} * m_vertexCount);
    m_normals = m_baseNormals;
}

void CMeshPart::SetVertex(std::int32_t i, const float* xyz) { StoreEntry(&m_vertices, i, xyz); }

void CMeshPart::SetDeformedNormal(std::int32_t i, const float* xyz) {
    StoreEntry(&m_normals, i, xyz);
}

void CMeshPart::GetBaseVertex(float* out, std::int32_t i) const {
    CopyEntry(out, m_baseVertices, i, m_vertexCount, 3);
}

void CMeshPart::GetVertexColor(float* out, std::int32_t i) const {
    CopyEntry(out, m_colors, i, m_vertexCount, 4);
}

void CMeshPart::GetNormal(float* out, std::int32_t i) const {
    CopyEntry(out, m_baseNormals, i, m_vertexCount, 3);
}

bool CMeshPart::IsOpaque() const {
    if (m_flags[kTranslucent] || m_flags[kNoColor]) return false;
    // The same choice of colour source as Compile makes.
    const bool arrayColours = HasColors() && !(m_flags[kTextured] && DisplayTextures);
    return !arrayColours || m_colorsOpaque;
}

int CMeshPart::IsIncomplete() const {
    if (m_quads.empty() || m_baseVertices.empty() || m_vertices.empty()) return 1;
    if (m_flags[kTextured] && m_texCoords.empty()) return 1;
    if (HasColors() && !m_flags[kNoColor] && m_colors.empty()) return 1;
    if (HasNormals() && m_baseNormals.empty()) return 1;
    return 0;
}

void CMeshPart::Compile(std::uint32_t list) {
    if (IsIncomplete()) return;
    DrawQuads(list, m_quads.data(), m_quadCount);
    if (list) m_displayList = list;
}

void CMeshPart::DrawQuads(std::uint32_t list, const std::uint32_t* quads,
                          std::uint32_t count) const {
    const bool luminous = m_flags[kLuminous];
    if (luminous) glDisable(GL_LIGHTING);

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m_vertices.data());
    if (HasNormals()) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, m_baseNormals.data());
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    if (m_flags[kTextured]) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, m_texCoords.data());
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }

    // The list starts after the array state, so it records the colour, the material and the
    // vertex data as they are now.
    const auto startList = [list] {
        if (list) glNewList(list, GL_COMPILE);
    };
    if (m_flags[kNoColor]) {
        startList();
        glDisableClientState(GL_COLOR_ARRAY);
    } else if (m_flags[kTextured] && DisplayTextures) {
        startList();
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1, 1, 1, 1);
    } else if (!HasColors()) {
        startList();
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(m_color[0], m_color[1], m_color[2], 1);
    } else {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, m_colors.data());
        startList();
    }
    SetSpecular(m_flags[kShiny]);
    glDrawElements(GL_QUADS, static_cast<GLsizei>(4 * count), GL_UNSIGNED_INT, quads);
    if (list) glEndList();
    if (luminous) glEnable(GL_LIGHTING);
}

void CMeshPart::Draw() {
    const TextureScope texture(m_textureList);
    if (m_displayList) {
        glCallList(m_displayList);
    } else {
        Compile(0);
    }
}

void CMeshPart::DrawChunks(const ChunkFilter& filter) {
    // A luminous part switches lighting off only when drawn from its arrays, which a list
    // cannot record; a deforming one moves after the recording.
    if (m_flags[kDeforming] || m_flags[kLuminous] || IsIncomplete()) {
        Draw();
        return;
    }
    if (!m_chunks || m_chunks->RecordedTextures() != DisplayTextures) {
        m_chunks = std::make_unique<PartChunks>(*this);
    }
    if (m_chunks->Empty()) {
        Draw();
        return;
    }
    const TextureScope texture(m_textureList);
    m_chunks->Draw(filter);
}

void CMeshPart::DrawOutline() {
    if (IsIncomplete()) return;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const OutlineView view = OutlineViewSource ? OutlineViewSource() : DefaultOutlineView();
    const float width = OutlineLineWidth(view, viewport[3]);

    GLfloat keptWidth = 1.0f;
    glGetFloatv(GL_LINE_WIDTH, &keptWidth);
    if (width > 0.0f) glLineWidth(width);  // OpenGL rejects a zero width; the old one stays
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_BACK, GL_LINE);
    glCullFace(GL_FRONT);
    glPolygonOffset(width, 500);
    glEnable(GL_POLYGON_OFFSET_LINE);

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m_vertices.data());
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4f(0.4f, 0.4f, 0.4f, 1);
    SetSpecular(false);
    // Only back faces are left, drawn as lines: a grey rim around the silhouette.
    glDrawElements(GL_QUADS, static_cast<GLsizei>(4 * m_quadCount), GL_UNSIGNED_INT,
                   m_quads.data());

    glLineWidth(keptWidth);
    glEnable(GL_LIGHTING);
    glCullFace(GL_BACK);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glPolygonMode(GL_FRONT, FilledPolygons ? GL_FILL : GL_LINE);
}
