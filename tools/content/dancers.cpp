// The seven dancers and their low-polygon shadow copies.
//
// Every dancer has the same skeleton of 57 joints in the order the dance motion addresses them,
// and one node layout (push and pop only where a branch ends) that fits 200 nodes. The root
// joint is turned 180 degrees about y and every other joint is a pure translation, so all the
// joints' frames share the root's axes: she faces -z in them, her right (the first leg and arm)
// is +x, and in the scene she faces +z. Parts are authored in these body axes, with the pelvis
// at the origin, and each is stored relative to the joint whose frame it is drawn in.
// Lengths are millimetres: she is about 1.9 m tall and her soles touch the dance floor at
// y = 20 once her knees bend into the dancing stance.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "model/model_catalogue.h"
#include "tools/content/body_shapes.h"
#include "tools/content/content_registry.h"

namespace content {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kPelvisHeight = 1000;  // the root joint above the floor origin
constexpr int kJointCount = 57;

struct Detail {
    int segments;   // around a body section
    float spacing;  // between rings along it
};
constexpr Detail kDancerDetail = {20, 22};
constexpr Detail kShadowDetail = {8, 70};

int Rings(float length, const Detail& d) {
    return std::clamp(static_cast<int>(std::ceil(length / d.spacing)), 3, 48);
}
int SmallSegments(const Detail& d) { return std::max(4, d.segments / 2); }

Vec3 Plus(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }

// ---------------------------------------------------------------------------------------------
// Looks: skin, hair and clothes of each dancer.

constexpr Rgb kSkin = {1.0f, 0.6f, 0.57f};  // a tone the skin recolouring recognises
constexpr Rgb kDarkSkin = {0.45f, 0.29f, 0.2f};
constexpr Rgb kSclera = {0.96f, 0.96f, 0.94f};
constexpr Rgb kPupil = {0.04f, 0.03f, 0.03f};
constexpr Rgb kGold = {0.95f, 0.75f, 0.25f};
// Orlaq's and Pemsa's skirt vertices carry the exact tags their thigh push looks for.
const Rgb kOrlaqTag = {float(144 / 255.0), float(109 / 255.0), float(158 / 255.0)};
constexpr Rgb kPemsaTag = {1, 1, 1};
constexpr Rgb kDaxilWhite = {0.97f, 0.95f, 0.92f};  // bright enough for her second bounce pass

enum class HairStyle { kLong, kPigtails, kBraid, kBob, kPonytail, kBun, kAfro };
enum class TopStyle { kTube, kHalter, kBelly, kDress, kTShirt };

struct Look {
    Rgb skin, hair, iris, lips, shoes;
    HairStyle hairStyle;
    TopStyle topStyle;
    Rgb top;
    float topFrom, topTo;  // body heights the top covers
    Rgb bottom;            // underwear, shorts or trousers
    float legCoverTo;      // the bottom covers the legs down to this height
    Rgb skirt;
    float skirtTo;  // 0: no skirt
    Rgb veil;
};

Look LookOf(int kind) {
    const Rgb none = {0, 0, 0};
    switch (kind) {
        case kTypeMirelH:
            return {kSkin,
                    {0.08f, 0.07f, 0.07f},
                    {0.2f, 0.45f, 0.85f},
                    {0.85f, 0.3f, 0.4f},
                    {0.95f, 0.95f, 0.95f},
                    HairStyle::kPigtails,
                    TopStyle::kHalter,
                    {0.1f, 0.7f, 0.75f},
                    300,
                    545,
                    {0.2f, 0.3f, 0.6f},
                    -230,
                    none,
                    0,
                    none};
        case kTypeMirelB:
            return {kSkin,
                    {0.06f, 0.05f, 0.05f},
                    {0.3f, 0.18f, 0.08f},
                    {0.75f, 0.1f, 0.2f},
                    kSkin,
                    HairStyle::kBraid,
                    TopStyle::kBelly,
                    kGold,
                    330,
                    372,
                    {0.7f, 0.1f, 0.45f},
                    -120,
                    none,
                    0,
                    {0.75f, 0.35f, 0.85f}};
        case kTypeOrlaq:
            return {kSkin,
                    {0.75f, 0.25f, 0.08f},
                    {0.2f, 0.6f, 0.3f},
                    {0.8f, 0.35f, 0.35f},
                    {0.08f, 0.08f, 0.08f},
                    HairStyle::kBob,
                    TopStyle::kDress,
                    kOrlaqTag,
                    20,
                    545,
                    {0.2f, 0.1f, 0.25f},
                    -150,
                    kOrlaqTag,
                    -420,
                    none};
        case kTypeIvret:
            return {kSkin,
                    {0.95f, 0.8f, 0.45f},
                    {0.25f, 0.5f, 0.9f},
                    {0.9f, 0.4f, 0.5f},
                    {0.95f, 0.95f, 0.95f},
                    HairStyle::kPonytail,
                    TopStyle::kTShirt,
                    {0.2f, 0.6f, 0.35f},
                    330,
                    690,
                    {0.12f, 0.15f, 0.35f},
                    -935,
                    none,
                    0,
                    none};
        case kTypePemsa:
            return {kSkin,
                    {0.5f, 0.16f, 0.08f},
                    {0.45f, 0.35f, 0.15f},
                    {0.85f, 0.25f, 0.35f},
                    {0.98f, 0.6f, 0.7f},
                    HairStyle::kBun,
                    TopStyle::kTShirt,
                    {0.98f, 0.745f, 0.784f},
                    100,
                    690,
                    {0.95f, 0.95f, 0.95f},
                    -150,
                    kPemsaTag,
                    -290,
                    none};
        case kTypeDaxil:
            return {kDarkSkin,
                    {0.06f, 0.05f, 0.05f},
                    {0.2f, 0.1f, 0.05f},
                    {0.45f, 0.15f, 0.15f},
                    kGold,
                    HairStyle::kAfro,
                    TopStyle::kDress,
                    kDaxilWhite,
                    20,
                    545,
                    kDaxilWhite,
                    -150,
                    kDaxilWhite,
                    -380,
                    none};
        default:  // Mirel
            return {kSkin,
                    {0.3f, 0.17f, 0.08f},
                    {0.35f, 0.2f, 0.1f},
                    {0.8f, 0.15f, 0.2f},
                    {0.8f, 0.1f, 0.15f},
                    HairStyle::kLong,
                    TopStyle::kTube,
                    {0.85f, 0.1f, 0.15f},
                    300,
                    500,
                    {0.1f, 0.1f, 0.12f},
                    -150,
                    {0.1f, 0.1f, 0.12f},
                    -260,
                    none};
    }
}

// The costumes the marker files choose: the same body, parts and tags in other clothes. The
// file of each is the record's name with the suffix.
enum class Costume { kBase, kEvening, kSport };
struct CostumeFile {
    Costume costume;
    const char* suffix;        // of the dancer's file
    const char* shadowSuffix;  // of her shadow copy's file; null: the base shadow serves
    std::vector<int> kinds;    // the dancers with a file of their own in this costume
};
const CostumeFile kCostumeFiles[] = {
    {Costume::kBase, "", "", {0, 1, 2, 3, 4, 5, 6}},
    {Costume::kEvening, "Sx", nullptr, {0, 1, 3, 4, 5, 6}},
    {Costume::kSport, "N", "N", {0, 3, 4, 5, 6}},
};

// Orlaq's dress and Pemsa's skirt carry the colours their thigh push looks for, and Daxil's
// whites her second bounce pass: those stay, the rest of the clothes change.
Look CostumeOf(int kind, Costume costume) {
    Look look = LookOf(kind);
    if (costume == Costume::kBase) return look;
    const bool evening = costume == Costume::kEvening;
    const bool tagged = kind == kTypeOrlaq || kind == kTypeDaxil;
    look.shoes = evening ? Rgb{0.78f, 0.78f, 0.84f} : Rgb{0.96f, 0.96f, 0.96f};
    if (!tagged) look.top = evening ? Rgb{0.42f, 0.08f, 0.6f} : Rgb{0.55f, 0.85f, 0.2f};
    if (kind != kTypeDaxil) {
        look.bottom = evening ? Rgb{0.05f, 0.05f, 0.08f} : Rgb{0.1f, 0.18f, 0.5f};
        // Long trousers become shorts in the sporty cut.
        if (!evening) look.legCoverTo = std::max(look.legCoverTo, -400.0f);
    }
    const bool taggedSkirt = kind == kTypeOrlaq || kind == kTypePemsa || kind == kTypeDaxil;
    if (look.skirtTo < 0 && !taggedSkirt) look.skirt = look.bottom;
    // The evening dresses reach lower, the sporty ones stop higher.
    if (kind == kTypeDaxil || kind == kTypeOrlaq) look.skirtTo += evening ? -120.0f : 80.0f;
    return look;
}

float Lerp(float a, float b, float s) { return a + (b - a) * std::clamp(s, 0.0f, 1.0f); }

bool OnStrap(const Vec3& p, float fromY, float x0, float x1, float halfWidth) {
    if (p[1] < fromY || p[2] > 0) return false;
    const float centre = Lerp(x0, x1, (p[1] - fromY) / (700 - fromY));
    return std::fabs(std::fabs(p[0]) - centre) < halfWidth;
}

Rgb TorsoColour(const Look& look, const Vec3& p) {
    const float y = p[1];
    switch (look.topStyle) {
        case TopStyle::kHalter:
            if (y >= look.topFrom && y <= look.topTo && p[2] < 30) return look.top;
            return OnStrap(p, look.topTo, 70, 30, 24) ? look.top : look.skin;
        case TopStyle::kBelly:
            return y >= look.topFrom && y <= look.topTo ? look.top : look.skin;
        default:
            return y >= look.topFrom && y <= look.topTo ? look.top : look.skin;
    }
}

Rgb PelvisColour(const Look& look, const Vec3& p) {
    if (look.topStyle == TopStyle::kBelly && p[1] > -10 && p[1] < 22) return kGold;  // coin belt
    if (look.topStyle == TopStyle::kDress && p[1] >= look.topFrom) return look.top;
    return p[1] < 30 ? look.bottom : look.skin;
}

Rgb LegColour(const Look& look, const Vec3& p) {
    if (look.topStyle == TopStyle::kBelly && p[1] < -905 && p[1] > -925) return kGold;  // anklet
    return p[1] > look.legCoverTo ? look.bottom : look.skin;
}

Rgb ArmColour(const Look& look, const Vec3& p) {
    const bool sleeve = look.topStyle == TopStyle::kTShirt && p[1] > 480;  // short sleeves
    return sleeve ? look.top : look.skin;
}

// ---------------------------------------------------------------------------------------------
// The model file under construction: joints in order, push and pop, and parts authored in body
// axes that are stored relative to the frame they are drawn in.

class DancerFile {
  public:
    DancerFile() {
        // Turned half round about y, so she faces +z in the scene; exact -1 and 0, since the
        // motion's formulas rely on the other joints sharing these axes.
        const float root[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, kPelvisHeight, 0, 1};
        m_file.Joint(root);
        m_joints = 1;
    }

    // Joint k, translated from the current frame.
    void Joint(int k, const Vec3& t) {
        if (k != m_joints) m_error = "joint " + std::to_string(k) + " out of order";
        ++m_joints;
        m_origin = Plus(m_origin, t);
        const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, t[0], t[1], t[2], 1};
        m_file.Joint(m);
    }
    void Push() {
        m_stack.push_back(m_origin);
        m_file.Push();
    }
    void Pop() {
        m_origin = m_stack.back();
        m_stack.pop_back();
        m_file.Pop();
    }
    // A part authored in body axes; drawn in the current frame.
    void Part(Mesh mesh) {
        ShiftMesh(&mesh, {-m_origin[0], -m_origin[1], -m_origin[2]});
        if (!mesh.colors.empty())
            std::copy(mesh.colors.begin(), mesh.colors.begin() + 3, mesh.color);
        m_file.AddPart(std::move(mesh));
        ++m_parts;
    }
    const Vec3& Origin() const { return m_origin; }
    int Parts() const { return m_parts; }
    int Joints() const { return m_joints; }
    const std::string& Error() const { return m_error; }
    const ModelFile& File() const { return m_file; }

  private:
    ModelFile m_file;
    Vec3 m_origin = {0, 0, 0};  // the current frame's origin in body axes
    std::vector<Vec3> m_stack;
    int m_joints = 0;
    int m_parts = 0;
    std::string m_error;
};

// ---------------------------------------------------------------------------------------------
// Shapes in body axes.

Mesh Swept(const Surface& surface, int rings, int segments, bool closedBottom, bool closedTop,
           const Paint& paint, bool twoSided = false) {
    Mesh m;
    AddSweep(&m, {surface, rings, segments, closedBottom, closedTop, twoSided}, paint);
    return m;
}

Paint Flat(Rgb c) {
    return [c](const Vec3&) { return c; };
}

void AddEllipsoidTo(Mesh* m, const Vec3& centre, const Vec3& radii, const Detail& d,
                    const Paint& paint) {
    const int segments = radii[0] < 30 ? SmallSegments(d) : d.segments;
    AddSweep(m, {EllipsoidSurface(centre, radii), std::max(4, segments / 2), segments, true, true},
             paint);
}

Mesh Ellipsoid(const Vec3& centre, const Vec3& radii, const Detail& d, const Paint& paint) {
    Mesh m;
    AddEllipsoidTo(&m, centre, radii, d, paint);
    return m;
}

// A vertical limb segment through the keys, closed at both ends, moved sideways to x.
Mesh Limb(std::vector<ProfileKey> keys, float x, const Detail& d, int segments,
          const Paint& paint) {
    for (ProfileKey& k : keys) k.cx += x;
    const float y0 = keys.front().y, y1 = keys.back().y;
    return Swept(ProfileSurface(std::move(keys), y0, y1, true, true), Rings(y1 - y0, d), segments,
                 true, true, paint);
}

// The trunk from crotch to neck base as one profile, so the parts cut from it meet cleanly.
const std::vector<ProfileKey> kTorso = {
    {-170, 95, 92, 0, 10}, {-110, 140, 118, 0, 16}, {-50, 152, 122, 0, 16}, {20, 142, 110, 0, 6},
    {100, 124, 98, 0, 0},  {170, 112, 92, 0, 0},    {260, 122, 98, 0, 0},   {340, 134, 104, 0, 0},
    {440, 140, 102, 0, 2}, {540, 146, 90, 0, 4},    {600, 150, 78, 0, 6},   {650, 100, 64, 0, 8},
    {700, 52, 50, 0, 8},
};
int TrunkSegments(const Detail& d) { return d.segments * 3 / 2; }

// A piece of the trunk from y0 to y1. A piece with an open bottom also reaches a little further
// down, slightly narrower, inside the piece below: when the spine bends, the seam opens onto it
// instead of onto the room.
Mesh TrunkFrom(const Surface& surface, float y0, float y1, bool closedBottom, bool closedTop,
               const Detail& d, const Paint& paint) {
    Mesh m = Swept(surface, Rings(y1 - y0, d), TrunkSegments(d), closedBottom, closedTop, paint);
    if (!closedBottom) {
        constexpr float kTuck = 30;
        const Surface below = ProfileSurface(kTorso, y0 - kTuck, y0, false, false);
        const Surface band = [below](float t, float theta) {
            Vec3 p = below(t, theta);
            p[0] *= 0.95f;
            p[2] *= 0.95f;
            return p;
        };
        AddSweep(&m, {band, 2, TrunkSegments(d), false, false}, paint);
    }
    return m;
}

Mesh Trunk(float y0, float y1, bool closedBottom, bool closedTop, const Detail& d,
           const Paint& paint) {
    return TrunkFrom(ProfileSurface(kTorso, y0, y1, closedBottom, closedTop), y0, y1, closedBottom,
                     closedTop, d, paint);
}

// A skirt from the hips down to `bottom`, flaring, seen from inside as well.
Mesh Skirt(float bottom, float flare, const Detail& d, const Paint& paint) {
    const float drop = 30 - bottom;
    std::vector<ProfileKey> keys = {{bottom, 170 + flare * drop, 136 + flare * drop, 0, 10},
                                    {-20, 168, 136, 0, 14},
                                    {30, 147, 114, 0, 6}};
    return Swept(ProfileSurface(std::move(keys), bottom, 30, false, false), Rings(drop, d),
                 TrunkSegments(d), false, false, paint, true);
}

// ---------------------------------------------------------------------------------------------
// Head: face, hair and eyes.

constexpr float kHeadCentreY = 820;
const std::vector<ProfileKey> kHead = {
    {708, 30, 32, 0, -38}, {730, 50, 62, 0, -20}, {760, 64, 80, 0, -8}, {800, 74, 90, 0, -2},
    {840, 78, 92, 0, 0},   {880, 74, 90, 0, 4},   {915, 60, 76, 0, 6},  {945, 34, 46, 0, 6},
};

Mesh HeadAndNeck(const Look& look, const Detail& d, bool freckleUv) {
    Mesh m;
    const Paint skin = Flat(look.skin);
    const auto neck = ProfileSurface(
        {{640, 44, 46, 0, 6}, {700, 40, 42, 0, 4}, {760, 40, 42, 0, 0}}, 640, 760, false, false);
    AddSweep(&m, {neck, Rings(120, d), d.segments, false, false}, [&look](const Vec3& p) {
        const bool choker = look.topStyle == TopStyle::kBelly && p[1] > 700 && p[1] < 716;
        return choker ? kGold : look.skin;
    });
    AddSweep(&m,
             {ProfileSurface(kHead, 708, 945, true, true), Rings(237, d), d.segments, true, true},
             skin);
    for (float x : {-76.0f, 76.0f}) AddEllipsoidTo(&m, {x, 815, 4}, {9, 25, 15}, d, skin);  // ears
    if (freckleUv) {
        // The freckles spread over the face; v = 0 is the image's top row.
        for (std::size_t v = 0; v < m.VertexCount(); ++v) {
            m.uv.push_back(0.5f + m.positions[3 * v] / 180);
            m.uv.push_back((900 - m.positions[3 * v + 1]) / 200);
        }
    }
    return m;
}

// How far the hair reaches down the head at this point: low at the back, high at the brow.
float Hairline(const Vec3& p, HairStyle style) {
    const float h = std::hypot(p[0], p[2]);
    const float front = h > 0 ? -p[2] / h : 0;  // 1 at the face, -1 at the back
    const float back = style == HairStyle::kAfro ? 760 : 740;
    return front > 0 ? 825 + 50 * front * front : 825 + (825 - back) * front;
}

Mesh HairCap(const Look& look, const Detail& d) {
    const float grow = look.hairStyle == HairStyle::kAfro ? 1.32f : 1.07f;
    const Surface head = ProfileSurface(kHead, 708, 945, true, true);
    const HairStyle style = look.hairStyle;
    // The head's shape grown outward above the hairline and tucked inside it below.
    const Surface cap = [head, grow, style](float t, float theta) {
        Vec3 p = head(t, theta);
        const float line = Hairline(p, style);
        const float s = std::clamp((p[1] - line + 10) / 20, 0.0f, 1.0f);
        const float scale = 0.9f + (grow - 0.9f) * s * s * (3 - 2 * s);
        const float lift = style == HairStyle::kAfro ? 40 * s : 0;
        return Vec3{p[0] * scale, kHeadCentreY + (p[1] - kHeadCentreY) * scale + lift,
                    p[2] * scale + (grow - 1) * 30};
    };
    Mesh m = Swept(cap, Rings(260, d), d.segments, true, true, Flat(look.hair));
    const Rgb brow = {look.hair.r * 0.6f, look.hair.g * 0.6f, look.hair.b * 0.6f};
    for (float x : {-33.0f, 33.0f}) AddEllipsoidTo(&m, {x, 850, -86}, {17, 3.5f, 5}, d, Flat(brow));
    if (style == HairStyle::kBraid) {
        // A coin band along the hairline.
        AddSweep(&m, {EllipsoidSurface({0, 878, 2}, {86, 9, 100}), 4, d.segments, true, true},
                 Flat(kGold));
    }
    return m;
}

Mesh Eye(const Vec3& centre, const Look& look, const Detail& d) {
    constexpr float kRadius = 11;
    Mesh m;
    AddSweep(&m,
             {EllipsoidSurface(centre, {kRadius, kRadius, kRadius}), std::max(6, d.segments / 2),
              d.segments, true, true},
             Flat(kSclera));
    TurnToFront(&m, 0, centre);
    // Iris and pupil round the front pole.
    for (std::size_t v = 0; v < m.VertexCount(); ++v) {
        const float front = (centre[2] - m.positions[3 * v + 2]) / kRadius;
        const Rgb c = front > 0.95f ? kPupil : front > 0.8f ? look.iris : kSclera;
        std::copy(&c.r, &c.r + 3, m.colors.begin() + 3 * static_cast<std::ptrdiff_t>(v));
    }
    return m;
}

// A hanging strand from `top` down by `length`, radius r at the top tapering to `tip`.
Mesh Strand(const Vec3& top, float length, Vec3 r, float tip, float back, const Detail& d,
            const Paint& paint) {
    std::vector<ProfileKey> keys = {
        {top[1] - length, tip, tip, top[0], top[2] + back},
        {top[1] - 0.6f * length, r[0], r[2], top[0], top[2] + 0.6f * back},
        {top[1], r[0] * 0.9f, r[2] * 0.9f, top[0], top[2]},
        {top[1] + r[1], r[0] * 0.6f, r[2] * 0.6f, top[0], top[2]},
    };
    return Swept(ProfileSurface(std::move(keys), top[1] - length, top[1] + r[1], true, true),
                 Rings(length, d), d.segments, true, true, paint);
}

// A braid: a strand whose thickness swells and narrows along it.
Mesh Braid(const Vec3& top, float length, float r, const Detail& d, const Paint& paint) {
    const Surface braid = [top, length, r](float t, float theta) {
        const float y = top[1] - length * (1 - t);
        const float plait = 0.78f + 0.22f * std::fabs(std::sin((top[1] - y) / 20 * kPi));
        const float end = std::sqrt(std::clamp(std::min(t, 1 - t) * 12, 0.0f, 1.0f));
        const float radius = r * plait * end * (0.6f + 0.4f * t);
        return Vec3{top[0] + radius * std::cos(theta), y,
                    top[2] + 0.07f * (top[1] - y) + radius * std::sin(theta)};
    };
    return Swept(braid, Rings(length, d) * 2, SmallSegments(d), true, true, paint);
}

// ---------------------------------------------------------------------------------------------
// The per-kind chain joints (13 to 18 in the head) and the parts they carry.

struct Chains {
    Vec3 j13, j14, j15, j16, j17, j18;
};

Chains ChainsOf(HairStyle style) {
    switch (style) {
        case HairStyle::kPigtails:  // the second segments hang below their roots (y < 0)
            return {{0, 150, 0}, {74, 5, 32}, {0, -105, 6}, {-74, 5, 32}, {0, -105, 6}, {0, 0, 82}};
        case HairStyle::kBraid:
            return {{0, 150, 0},    {64, -20, 50}, {0, -120, 6},
                    {-64, -20, 50}, {0, -120, 6},  {0, -5, 90}};
        case HairStyle::kBob:
            return {{0, 150, 0},    {66, -15, 22}, {0, -95, 4},
                    {-66, -15, 22}, {0, -95, 4},   {0, -10, 70}};
        case HairStyle::kPonytail:
            // Joints 13 and 14 together sit 4 behind the head's axis, where the pendulum pivots;
            // the pendulum's length below joint 15 is nonzero.
            return {{0, 150, 0},   {0, 0, 4},   {0, -125, 90},
                    {-76, -15, 4}, {0, -22, 0}, {0, -40, 76}};
        case HairStyle::kBun:
            return {{0, 150, 0},    {70, -10, 10}, {0, -80, 0},
                    {-70, -10, 10}, {0, -80, 0},   {0, -20, 80}};
        case HairStyle::kAfro:
            return {{0, 150, 0},   {79, -22, 4}, {0, -28, 0},
                    {-79, -22, 4}, {0, -28, 0},  {0, -10, 85}};
        default:
            return {{0, 150, 0},    {64, -15, 52}, {0, -120, 18},
                    {-64, -15, 52}, {0, -120, 18}, {0, -15, 88}};
    }
}

// Part of side chain 0 (joints 14, 15) or 1 (16, 17): the root segment (second = false) or its
// second segment, hanging from the joint at `o`.
Mesh ChainPart(const Look& look, const Vec3& o, int chain, bool second, const Detail& d) {
    const Paint hair = Flat(look.hair);
    const float side = o[0] >= 0 ? 1.0f : -1.0f;
    switch (look.hairStyle) {
        case HairStyle::kPigtails:
            if (second) return Strand(o, 190, {27, 10, 27}, 4, 10, d, hair);
            {
                Mesh m = Ellipsoid(Plus(o, {0, -50, 4}), {28, 62, 30}, d, hair);
                AddEllipsoidTo(&m, o, {20, 9, 20}, d, Flat({0.95f, 0.4f, 0.7f}));  // hair tie
                return m;
            }
        case HairStyle::kBob:
            if (second) return Ellipsoid(Plus(o, {-6 * side, -10, -6}), {24, 20, 40}, d, hair);
            return Ellipsoid(Plus(o, {6 * side, -30, -8}), {28, 85, 62}, d, hair);
        case HairStyle::kPonytail:
            // The second chain carries an ear stud with a small drop.
            if (chain == 1) return Ellipsoid(o, Vec3{6, 6, 6}, d, Flat(second ? kGold : kSclera));
            if (!second) {
                // Gathered hair from the crown back to the tie.
                return Ellipsoid(Plus(o, {0, -60, 70}), {38, 62, 30}, d, hair);
            }
            {
                Mesh m = Strand(Plus(o, {0, -4, 0}), 330, {36, 12, 34}, 6, 14, d, hair);
                AddEllipsoidTo(&m, o, {22, 10, 22}, d, Flat({0.8f, 0.1f, 0.3f}));  // tie
                return m;
            }
        case HairStyle::kBun:
            if (second) return Strand(o, 110, {15, 8, 15}, 4, 6, d, hair);
            return Ellipsoid(Plus(o, {0, -20, 0}), {18, 55, 38}, d, hair);
        case HairStyle::kAfro:
            if (second) {
                // A gold drop with a turquoise stone.
                Mesh m = Strand(o, 42, {11, 4, 11}, 2, 0, d, Flat(kGold));
                AddEllipsoidTo(&m, Plus(o, {0, -26, -6}), {6, 8, 4}, d, Flat({0.1f, 0.75f, 0.7f}));
                return m;
            }
            {
                Mesh m = Ellipsoid(Plus(o, {0, 2, 0}), {6, 6, 6}, d, Flat(kGold));
                AddEllipsoidTo(&m, Plus(o, {0, -14, 0}), {2.5f, 15, 2.5f}, d, Flat(kGold));
                return m;
            }
        case HairStyle::kBraid:
            if (second) return Strand(o, 170, {20, 8, 24}, 5, 10, d, hair);
            return Strand(Plus(o, {0, 60, 0}), 190, {24, 10, 32}, 18, 0, d, hair);
        default:  // long hair
            if (second) return Strand(o, 170, {24, 8, 30}, 5, 34, d, hair);
            return Strand(Plus(o, {0, 70, 0}), 210, {26, 10, 34}, 22, 0, d, hair);
    }
}

// The centre piece at joint 18: hair down the back.
Mesh CentrePart(const Look& look, const Vec3& o, const Detail& d) {
    const Paint hair = Flat(look.hair);
    switch (look.hairStyle) {
        case HairStyle::kLong:
            return Swept(ProfileSurface({{o[1] - 400, 62, 10, 0, o[2] + 36},
                                         {o[1] - 250, 76, 18, 0, o[2] + 28},
                                         {o[1] - 80, 78, 24, 0, o[2] + 8},
                                         {o[1] + 90, 60, 20, 0, o[2] - 6}},
                                        o[1] - 400, o[1] + 90, true, true),
                         Rings(490, d), d.segments, true, true, hair);
        case HairStyle::kBraid:
            return Braid(Plus(o, {0, 30, 0}), 520, 24, d, hair);
        case HairStyle::kAfro:
            return Ellipsoid(Plus(o, {0, 40, 0}), {90, 80, 38}, d, hair);
        case HairStyle::kBob:
            return Ellipsoid(Plus(o, {0, -20, 0}), {80, 82, 36}, d, hair);
        case HairStyle::kPigtails:
            return Ellipsoid(Plus(o, {0, -25, -6}), {70, 65, 26}, d, hair);
        default:
            return Ellipsoid(o, {62, 48, 24}, d, hair);
    }
}

// Joints 12 to 21 with the head, the hair and the face.
void BuildHead(DancerFile* f, int kind, const Look& look, const Detail& d) {
    const Chains c = ChainsOf(look.hairStyle);
    f->Push();
    f->Joint(12, {0, 130, 0});
    f->Part(HeadAndNeck(look, d, kind == kTypeOrlaq));
    f->Part(HairCap(look, d));
    f->Push();
    f->Joint(13, c.j13);
    const Vec3 sideChains[2][2] = {{c.j14, c.j15}, {c.j16, c.j17}};
    for (int i = 0; i < 2; ++i) {
        f->Push();
        f->Joint(14 + 2 * i, sideChains[i][0]);
        f->Part(ChainPart(look, f->Origin(), i, false, d));
        f->Joint(15 + 2 * i, sideChains[i][1]);
        Mesh second = ChainPart(look, f->Origin(), i, true, d);
        // Pemsa's part 15, the strand below her bun, is painted by faces, the colours that
        // the "auburnHair" marker turns auburn.
        if (kind == kTypePemsa && i == 0) UseFaceColors(&second);
        f->Part(std::move(second));
        f->Pop();
    }
    f->Joint(18, c.j18);
    f->Part(CentrePart(look, f->Origin(), d));
    f->Pop();
    f->Push();
    f->Joint(19, {0, 95, -80});  // the mouth
    const Vec3 mouth = f->Origin();
    f->Part(Ellipsoid(Plus(mouth, {0, 0, -8}), {21, 6, 7}, d, Flat(look.lips)));
    // Daxil has no nose part, so her eyes come one part earlier.
    if (kind != kTypeDaxil) {
        f->Part(Ellipsoid(Plus(mouth, {0, 35, -12}), {9, 17, 12}, d, Flat(look.skin)));
    }
    if (kind == kTypePemsa) {
        Mesh bun = Ellipsoid({0, 905, 62}, {46, 44, 44}, d, Flat(look.hair));
        AddEllipsoidTo(&bun, {0, 890, 40}, {36, 10, 22}, d, Flat({0.2f, 0.5f, 0.3f}));
        f->Part(std::move(bun));
    }
    f->Pop();
    // Eyes: joint 20 on her left (-x), joint 21 on her right.
    f->Push();
    f->Joint(20, {-30, 150, -80});
    f->Part(Eye(f->Origin(), look, d));
    f->Pop();
    f->Joint(21, {30, 150, -80});
    f->Part(Eye(f->Origin(), look, d));
    f->Pop();
}

// ---------------------------------------------------------------------------------------------
// Trunk and legs.

// Sphere centres and radii of the chest bounce, in joint 10's frame, per kind.
struct Bust {
    Vec3 centre;
    float radius;
};
Bust BustOf(int kind) {
    switch (kind) {
        case kTypeMirelH:
            return {{78.9f, 125.9f, -51.2f}, 72.4f};
        case kTypeOrlaq:
            return {{75.8f, 125.6f, -45.8f}, 67.6f};
        case kTypeIvret:
            return {{79.7f, 129.7f, -55.6f}, 76.0f};
        case kTypePemsa:
            return {{91.7f, 125.9f, -49.3f}, 67.6f};
        default:
            return {{78.9f, 129.9f, -51.2f}, 72.4f};
    }
}

// How far the bust lifts the chest's front at (x, y), 0 to 1.
float BustShape(const Bust& bust, float j10, float x, float y) {
    constexpr float kSpread = 36;
    const float dx = std::fabs(x) - (bust.centre[0] - 6);
    const float dy = y - (j10 + bust.centre[1] - 8);
    return std::exp(-(dx * dx + dy * dy) / (2 * kSpread * kSpread));
}

Mesh Chest(int kind, const Look& look, float j10, const Detail& d) {
    const Bust bust = BustOf(kind);
    const Surface trunk = ProfileSurface(kTorso, 260, 540, false, false);
    // The bust rises from the chest's front, reaching forward to about z = -114, inside the
    // spheres that bounce it.
    const Surface chest = [trunk, bust, j10](float t, float theta) {
        Vec3 p = trunk(t, theta);
        const float front = std::clamp(-p[2] / 60, 0.0f, 1.0f);
        p[2] -= 26 * front * BustShape(bust, j10, p[0], p[1]);
        return p;
    };
    const Paint paint = [&look, bust, j10](const Vec3& p) {
        const bool cup = p[2] < -60 && BustShape(bust, j10, p[0], p[1]) > 0.3f;
        if (look.topStyle == TopStyle::kBelly && cup) return kGold;
        return TorsoColour(look, p);
    };
    Mesh m = TrunkFrom(chest, 260, 540, false, false, d, paint);
    if (kind == kTypePemsa) {
        // The heart print, projected onto the front; the back takes the image's plain top
        // rows, so that no edge between the two runs through the heart. v = 0 is the image's
        // top row.
        for (std::size_t v = 0; v < m.VertexCount(); ++v) {
            const float* p = &m.positions[3 * v];
            m.uv.push_back(0.5f + p[0] / 260);
            m.uv.push_back(p[2] > 0 ? -0.5f : (j10 + 250 - p[1]) / 230);
        }
    }
    return m;
}

Mesh Pelvis(int kind, const Look& look, const Detail& d) {
    Mesh m =
        Trunk(-170, 40, true, false, d, [&look](const Vec3& p) { return PelvisColour(look, p); });
    if (look.skirtTo < 0) {
        const float flare = kind == kTypeOrlaq ? 0.3f : 0.25f;
        AppendMesh(&m, Skirt(look.skirtTo, flare, d, Flat(look.skirt)));
    }
    return m;
}

void BuildLeg(DancerFile* f, int kind, const Look& look, float side, const Detail& d) {
    const int first = side > 0 ? 1 : 5;
    const bool veils = kind == kTypeMirelB;
    const Paint leg = [&look](const Vec3& p) { return LegColour(look, p); };
    const Paint veil = Flat(look.veil);
    const float x = 90 * side;
    f->Push();
    f->Joint(first, {x, -50, 0});
    f->Part(Limb({{-530, 46, 48},
                  {-480, 50, 52, 0, 2},
                  {-350, 60, 62, 0, 4},
                  {-200, 72, 78, 0, 6},
                  {-80, 82, 88, -4 * side, 8},
                  {-10, 80, 84, -6 * side, 8}},
                 x, d, d.segments, leg));
    if (veils) {
        f->Part(Limb({{-540, 60, 62},
                      {-350, 76, 78, 0, 4},
                      {-150, 94, 98, 0, 6},
                      {-40, 96, 100, -6 * side, 8}},
                     x, d, d.segments, veil));
    }
    f->Joint(first + 1, {0, -450, 0});
    f->Part(Limb({{-965, 28, 30, 0, 2},
                  {-930, 30, 32},
                  {-800, 36, 40, 0, 6},
                  {-640, 50, 56, 0, 10},
                  {-560, 50, 54, 0, 6},
                  {-490, 46, 48, 0, 2}},
                 x, d, d.segments, leg));
    if (veils) {
        f->Part(
            Limb({{-945, 34, 36}, {-880, 52, 56, 0, 4}, {-650, 66, 70, 0, 8}, {-500, 62, 64, 0, 4}},
                 x, d, d.segments, veil));
    }
    f->Joint(first + 2, {0, -450, 0});
    const Vec3 ankle = f->Origin();
    const Paint shoe = Flat(look.shoes);
    {
        // Built with the length along y, then laid forward: heel at +60, ball toward -z; the
        // sole 74 under the ankle, which the dancing stance holds 94 above the floor.
        Mesh foot = Swept(ProfileSurface({{-60, 30, 30, 0, -44},
                                          {-30, 36, 34, 0, -40},
                                          {20, 40, 34, 0, -40},
                                          {80, 43, 24, 0, -50},
                                          {120, 42, 20, 0, -54}},
                                         -60, 120, true, true),
                          Rings(180, d), d.segments, true, true, shoe);
        ShiftMesh(&foot, ankle);
        TurnToFront(&foot, 0, ankle);
        f->Part(std::move(foot));
    }
    f->Joint(first + 3, {0, -40, -100});
    f->Part(Ellipsoid(Plus(f->Origin(), {0, -14, -38}), {40, 20, 48}, d, shoe));  // toes
    f->Pop();
}

// ---------------------------------------------------------------------------------------------
// Arms and hands.

void BuildArm(DancerFile* f, int kind, const Look& look, float side, const Detail& d) {
    const int first = side > 0 ? 22 : 40;
    const bool veils = kind == kTypeMirelB;
    const Paint arm = [&look](const Vec3& p) { return ArmColour(look, p); };
    const Paint skin = Flat(look.skin);
    const Paint veil = Flat(look.veil);
    if (side > 0) f->Push();
    f->Joint(first, {150 * side, 70, 0});
    f->Part(Ellipsoid({168 * side, 592, 0}, {44, 50, 46}, d, arm));
    f->Joint(first + 1, {35 * side, -15, 0});  // the arm hangs straight down from here
    const float x = f->Origin()[0];
    f->Part(Limb({{250, 29, 31}, {300, 33, 35}, {420, 40, 42}, {540, 45, 47}, {620, 44, 46}}, x, d,
                 d.segments, arm));
    if (veils) {
        f->Part(Limb({{255, 40, 42}, {420, 50, 52}, {610, 54, 56}}, x, d, d.segments, veil));
    }
    f->Joint(first + 2, {0, -330, 0});
    f->Part(Limb({{-20, 21, 17}, {40, 24, 22}, {150, 31, 33}, {230, 32, 34}, {285, 29, 31}}, x, d,
                 d.segments, skin));
    if (veils) {
        f->Part(Limb({{-15, 62, 64}, {60, 44, 46}, {180, 40, 42}, {275, 38, 40}}, x, d, d.segments,
                     veil));
    }
    f->Joint(first + 3, {0, -270, 0});
    f->Part(Limb({{-110, 13, 38, 0, -1}, {-70, 15, 42}, {-30, 16, 38}, {0, 14, 26}, {12, 12, 20}},
                 x, d, d.segments, skin));
    // Fingers spread front to back, the palm facing her body.
    const float zs[4] = {-33, -11, 11, 31};
    const float tips[4] = {24, 27, 24, 19};
    const float radii[4] = {8.5f, 8.8f, 8.3f, 7.5f};
    for (int i = 0; i < 4; ++i) {
        const Vec3 base = f->Origin();
        f->Push();
        f->Joint(first + 4 + 3 * i, {0, -90, zs[i]});
        f->Part(Limb({{base[1] - 130, radii[i] * 0.9f, radii[i] * 0.85f, 0, zs[i]},
                      {base[1] - 86, radii[i], radii[i] * 0.92f, 0, zs[i]}},
                     x, d, SmallSegments(d), skin));
        f->Joint(first + 5 + 3 * i, {0, -40, 0});
        f->Part(Limb({{base[1] - 164, radii[i] * 0.85f, radii[i] * 0.8f, 0, zs[i]},
                      {base[1] - 126, radii[i] * 0.9f, radii[i] * 0.85f, 0, zs[i]}},
                     x, d, SmallSegments(d), skin));
        f->Joint(first + 6 + 3 * i, {0, -30, 0});
        f->Part(Limb({{base[1] - 160 - tips[i], radii[i] * 0.8f, radii[i] * 0.75f, 0, zs[i]},
                      {base[1] - 156, radii[i] * 0.85f, radii[i] * 0.8f, 0, zs[i]}},
                     x, d, SmallSegments(d), skin));
        f->Pop();
    }
    f->Joint(first + 16, {-5 * side, -25, -40});  // the thumb, in front
    const Vec3 thumb = f->Origin();
    f->Part(Limb({{thumb[1] - 40, 9.5f, 9, 0, thumb[2]}, {thumb[1] + 6, 11, 10.5f, 0, thumb[2]}},
                 thumb[0], d, SmallSegments(d), skin));
    if (side > 0) {
        f->Joint(first + 17, {0, -35, 0});
    }
    const Vec3 tipTop = Plus(thumb, {0, -35, 0});
    f->Part(Limb({{tipTop[1] - 30, 8, 7.5f, 0, tipTop[2]}, {tipTop[1] + 4, 9, 8.5f, 0, tipTop[2]}},
                 tipTop[0], d, SmallSegments(d), skin));
    if (side > 0) f->Pop();
}

// ---------------------------------------------------------------------------------------------

DancerFile BuildDancer(int kind, Costume costume, const Detail& d) {
    const Look look = CostumeOf(kind, costume);
    DancerFile f;
    f.Part(Pelvis(kind, look, d));
    if (kind == kTypeMirelB) {
        // A floor-length veil over the hip scarf.
        f.Part(Skirt(-900, 0.16f, d, Flat(look.veil)));
    }
    BuildLeg(&f, kind, look, 1, d);
    BuildLeg(&f, kind, look, -1, d);
    const Paint torso = [&look](const Vec3& p) { return TorsoColour(look, p); };
    f.Joint(9, {0, 40, 0});
    f.Part(Trunk(40, 260, false, false, d, torso));  // the waist, twisting from joint 9 up
    f.Joint(10, {0, 220, 0});
    f.Part(Chest(kind, look, f.Origin()[1], d));
    f.Joint(11, {0, 280, 0});
    f.Part(Trunk(540, 700, false, true, d, torso));
    BuildHead(&f, kind, look, d);
    BuildArm(&f, kind, look, 1, d);
    BuildArm(&f, kind, look, -1, d);
    return f;
}

bool WriteDancer(const std::filesystem::path& path, int kind, Costume costume, const Detail& d) {
    const DancerFile f = BuildDancer(kind, costume, d);
    const ModelRecord& record = DancerRecords[kind];
    std::string error = f.Error();
    if (error.empty() && f.Joints() != kJointCount) error = "not 57 joints";
    if (error.empty() && static_cast<std::uint64_t>(f.Parts()) != record.partCount) {
        error = std::to_string(f.Parts()) + " parts, not " + std::to_string(record.partCount);
    }
    if (!error.empty()) {
        std::fprintf(stderr, "refusing to write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return WriteModelFile(path, f.File(), record.partCount);
}

bool WriteDancers(const std::filesystem::path& models) {
    bool ok = true;
    for (const CostumeFile& c : kCostumeFiles) {
        for (int kind : c.kinds) {
            const std::string name = DancerRecords[kind].name;
            ok = WriteDancer(models / (name + c.suffix + ".dat"), kind, c.costume, kDancerDetail) &&
                 ok;
            if (!c.shadowSuffix) continue;
            ok = WriteDancer(models / (name + c.shadowSuffix + "Shadow.dat"), kind, c.costume,
                             kShadowDetail) &&
                 ok;
        }
    }
    return ok;
}

const bool kRegistered = RegisterFamily("dancers", WriteDancers);

}  // namespace
}  // namespace content
