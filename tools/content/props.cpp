// The nine props. Each stands with its origin at the centre of its footprint on the floor,
// y up, in millimetres; the catalogue's placements turn and move it into the club.

#include <cmath>
#include <functional>

#include "model/model_catalogue.h"
#include "tools/content/content_registry.h"
#include "tools/content/mesh_builder.h"

namespace content {
namespace {

constexpr float kPi = 3.14159265f;
constexpr Rgb kChrome = {0.82f, 0.84f, 0.88f};
constexpr Rgb kTableWood = {0.55f, 0.32f, 0.16f};
constexpr Rgb kDarkWood = {0.35f, 0.18f, 0.09f};
constexpr Rgb kLeather = {0.62f, 0.08f, 0.12f};
constexpr Rgb kVelvet = {0.45f, 0.10f, 0.50f};

Mesh Part(std::function<void(Mesh*)> build) {
    Mesh m;
    build(&m);
    std::copy(m.colors.begin(), m.colors.begin() + 3, m.color);
    return m;
}

// A chair facing the table centre from distance r at angle a (radians): frame and cushion.
std::pair<Mesh, Mesh> Chair(float r, float a) {
    const float degrees = -a * 180.0f / kPi + 90.0f;
    const Vec3 at = {r * std::cos(a), 0, r * std::sin(a)};
    Mesh frame = Part([](Mesh* m) {
        for (float x : {-180.0f, 180.0f}) {
            for (float z : {-180.0f, 180.0f}) AddRod(m, {x, 0, z}, {x, 430, z}, 15, 6, kChrome);
            AddRod(m, {x, 430, 180}, {x, 900, 200}, 15, 6, kChrome);  // back uprights
        }
    });
    Mesh seat = Part([](Mesh* m) {
        AddBox(m, {-210, 430, -210}, {210, 500, 210}, kLeather);
        AddBox(m, {-200, 600, 180}, {200, 880, 230}, kLeather);
    });
    // The chair is built facing -z; turn it so -z points at the table.
    PlaceMesh(&frame, degrees, at);
    PlaceMesh(&seat, degrees, at);
    return {std::move(frame), std::move(seat)};
}

// A round table with n chairs: pedestal, top, then frame and cushion of each chair.
std::vector<Mesh> TableSet(int chairs, float topRadius) {
    std::vector<Mesh> parts;
    parts.push_back(Part([](Mesh* m) {
        AddFrustum(m, {0, 0, 0}, 280, 240, 30, 20, kChrome);
        AddFrustum(m, {0, 30, 0}, 45, 45, 680, 12, kChrome);
    }));
    parts.push_back(Part([topRadius](Mesh* m) {
        AddFrustum(m, {0, 710, 0}, topRadius, topRadius, 40, 24, kTableWood);
    }));
    for (int i = 0; i < chairs; ++i) {
        auto [frame, seat] = Chair(topRadius + 300, 2 * kPi * i / chairs + kPi / 4);
        parts.push_back(std::move(frame));
        parts.push_back(std::move(seat));
    }
    return parts;
}

std::vector<Mesh> Stool() {
    return {Part([](Mesh* m) {
                AddFrustum(m, {0, 0, 0}, 220, 200, 25, 16, kChrome);
                AddFrustum(m, {0, 25, 0}, 30, 30, 680, 10, kChrome);
                AddFrustum(m, {0, 300, 0}, 170, 170, 20, 16, kChrome);  // foot ring
            }),
            Part([](Mesh* m) { AddFrustum(m, {0, 700, 0}, 190, 210, 90, 16, kLeather); })};
}

// Two benches facing each other across a table, the whole set square to the wall, so either
// end may stand against it.
std::vector<Mesh> Booth() {
    const auto bothEnds = [](Mesh* m, const Vec3& lo, const Vec3& hi, Rgb colour) {
        AddBox(m, lo, hi, colour);
        AddBox(m, {-hi[0], lo[1], lo[2]}, {-lo[0], hi[1], hi[2]}, colour);
    };
    return {
        Part([&](Mesh* m) { bothEnds(m, {400, 0, -380}, {780, 400, 380}, kDarkWood); }),
        Part([&](Mesh* m) { bothEnds(m, {780, 0, -380}, {880, 1250, 380}, kDarkWood); }),
        Part([&](Mesh* m) { bothEnds(m, {400, 400, -370}, {770, 480, 370}, kVelvet); }),
        Part([&](Mesh* m) { bothEnds(m, {700, 480, -370}, {780, 1150, 370}, kVelvet); }),
        Part([](Mesh* m) {
            AddBox(m, {-330, 700, -350}, {330, 740, 350}, kTableWood);
            AddBox(m, {-60, 0, -60}, {60, 700, 60}, kDarkWood);
        }),
    };
}

// Hangs from its mount at the origin along -y; part 1 is the lens the scene colours. The ray
// tracer puts the spot's light 200 down the axis: the lens face stops short of it, so the light
// shines from just in front of the lens and the housing stays behind it, out of its beam.
std::vector<Mesh> SpotLight() {
    return {Part([](Mesh* m) {
                AddFrustum(m, {0, -40, 0}, 30, 30, 40, 8, {0.2f, 0.2f, 0.2f});
                AddFrustum(m, {0, -180, 0}, 110, 80, 140, 16, {0.12f, 0.12f, 0.14f});
            }),
            Part([](Mesh* m) { AddFrustum(m, {0, -192, 0}, 95, 95, 12, 16, {1, 1, 1}); })};
}

std::vector<Mesh> Plant() {
    return {Part([](Mesh* m) {
        AddFrustum(m, {0, 0, 0}, 220, 280, 450, 16, {0.70f, 0.35f, 0.20f});
        AddFrustum(m, {0, 450, 0}, 260, 260, 1, 16, {0.25f, 0.15f, 0.08f});
        AddFrustum(m, {0, 440, 0}, 35, 25, 700, 8, {0.35f, 0.25f, 0.12f});
        for (int i = 0; i < 7; ++i) {
            const float a = 2 * kPi * i / 7;
            const float r = 150.0f + 40 * (i % 3);
            AddEllipsoid(m, {r * std::cos(a), 1000.0f + 90 * (i % 4), r * std::sin(a)},
                         {260, 160, 200}, 10,
                         {0.10f + 0.03f * (i % 3), 0.50f + 0.06f * (i % 4), 0.15f});
        }
    })};
}

// A cabinet hanging on a rod, its centre 1000 below the mount, its front toward -z.
std::vector<Mesh> Speaker() {
    return {Part([](Mesh* m) {
                AddBox(m, {-380, -1650, -300}, {380, -350, 300}, {0.10f, 0.10f, 0.11f});
                AddRod(m, {0, -350, 0}, {0, 0, 0}, 30, 8, {0.5f, 0.5f, 0.5f});
            }),
            Part([](Mesh* m) {
                AddRod(m, {0, -1250, -300}, {0, -1250, -330}, 260, 20, {0.25f, 0.25f, 0.28f});
                AddRod(m, {0, -1250, -330}, {0, -1250, -345}, 90, 12, {0.6f, 0.6f, 0.65f});
                AddRod(m, {0, -640, -300}, {0, -640, -330}, 110, 16, {0.25f, 0.25f, 0.28f});
            })};
}

// An upright arcade cabinet: its back at x = -120, its screen and controls toward +x.
std::vector<Mesh> VideoGame() {
    return {Part([](Mesh* m) {
        AddBox(m, {-120, 0, -330}, {480, 1850, 330}, {0.12f, 0.10f, 0.35f});
        AddBox(m, {480, 0, -300}, {560, 850, 300}, {0.20f, 0.05f, 0.30f});
        AddBox(m, {480, 850, -330}, {720, 950, 330}, {0.15f, 0.15f, 0.18f});
        AddBox(m, {480, 1600, -330}, {620, 1800, 330}, {1.0f, 0.85f, 0.2f});  // marquee
        AddFace(m, {{481, 1050, -260}, {481, 1050, 260}, {481, 1500, 260}, {481, 1500, -260}},
                {1, 0, 0}, {0.2f, 0.9f, 1.0f});  // screen
        for (int i = 0; i < 3; ++i) {
            AddFrustum(m, {560, 950, -150.0f + 150 * i}, 30, 30, 60, 8,
                       {1.0f, 0.2f + 0.3f * i, 0.2f});
        }
    })};
}

// A cocktail table cabinet with its screen under the glass top.
std::vector<Mesh> TableGame() {
    return {Part([](Mesh* m) {
        AddBox(m, {-380, 0, -300}, {380, 700, 300}, {0.08f, 0.08f, 0.10f});
        AddFace(m, {{-250, 701, -180}, {250, 701, -180}, {250, 701, 180}, {-250, 701, 180}},
                {0, 1, 0}, {0.3f, 1.0f, 0.5f});
        for (float x : {-330.0f, 330.0f}) {
            AddFrustum(m, {x, 700, 0}, 40, 40, 20, 8, {1.0f, 0.3f, 0.2f});
        }
    })};
}

bool WriteProps(const std::filesystem::path& models) {
    const std::function<std::vector<Mesh>()> builders[kPropCount] = {
        [] { return TableSet(4, 480); }, [] { return TableSet(2, 400); }, Stool, Booth,
        SpotLight, Plant, Speaker, VideoGame, TableGame};
    bool ok = true;
    for (int k = 0; k < kPropCount; ++k) {
        ModelFile file;
        for (Mesh& part : builders[k]()) file.AddPart(std::move(part));
        const ModelRecord& record = PropRecords[k];
        ok = WriteModelFile(models / (std::string(record.name) + ".dat"), file,
                            record.partCount) && ok;
    }
    return ok;
}

const bool kRegistered = RegisterFamily("props", WriteProps);

}  // namespace
}  // namespace content
