#pragma once
// Sound-occluding polygons and the gains they leave on the straight path from the listener to
// a voice. Each polygon the path crosses scales the direct sound by (1 - its direct occlusion)
// and the reverb send by (1 - its reverb occlusion). A one-sided polygon occludes only a voice
// on its front, the side from which its vertices run counter-clockwise (right-handed).

#include <vector>

#include "platform/sound/sound_result.h"
#include "platform/sound/vec3.h"

namespace psound {

struct Occlusion {
    float direct = 1.0f;
    float reverb = 1.0f;
};

class RoomGeometry {
  public:
    // Room for at most `maxPolygons` polygons with `maxVertices` vertices between them.
    RoomGeometry(int maxPolygons, int maxVertices);

    // A flat polygon of 3 or more vertices, in order around it; occlusions are 0 to 1.
    SoundResult AddPolygon(float directOcclusion, float reverbOcclusion, bool doubleSided,
                           const Vec3* vertices, int count);
    // Moves every polygon with it.
    void SetPosition(Vec3 position) { m_position = position; }

    Occlusion Occlude(Vec3 listener, Vec3 voice) const;

    int PolygonCount() const { return static_cast<int>(m_polygons.size()); }
    int VertexCount() const { return static_cast<int>(m_vertices.size()); }

  private:
    struct Polygon {
        int first = 0, count = 0;  // into m_vertices
        Vec3 normal;               // unit, by the right-hand rule
        float offset = 0.0f;       // normal . p for every point p of the plane
        int dropAxis = 0;          // the normal's largest axis, dropped to test in 2D
        float directPass = 1.0f, reverbPass = 1.0f;
        bool doubleSided = true;
    };
    bool Crosses(const Polygon& polygon, Vec3 from, Vec3 to) const;

    int m_maxPolygons, m_maxVertices;
    std::vector<Vec3> m_vertices;
    std::vector<Polygon> m_polygons;
    Vec3 m_position;
};

}  // namespace psound
