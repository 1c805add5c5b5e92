// The camera pad as the frame sees it: a held button moves the manual camera one step per
// frame, in manual mode only, and a closed pad moves nothing and leaves no dangling pointer.

#include "ui/cam_adjust.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <algorithm>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "model/vec_math.h"
#include "tests/animation/scene_doubles.h"
#include "tests/gui/qt_app.h"
#include "tests/support/case_name.h"
#include "ui/dialog_support.h"

namespace {

// What one poll changed on the camera: +1, -1 or 0 for distance, azimuth, fov and polar.
struct Change {
    int distance = 0, azimuth = 0, fov = 0, polar = 0;
    bool operator==(const Change&) const = default;
};

int Sign(float d) { return d > 0 ? 1 : d < 0 ? -1 : 0; }

Change Between(const CCamera& before, const CCamera& after) {
    return {Sign(after.distance - before.distance), Sign(after.azimuth - before.azimuth),
            Sign(after.fov - before.fov), Sign(after.polar - before.polar)};
}

void PrintTo(const Change& c, std::ostream* os) {
    *os << "{" << c.distance << "," << c.azimuth << "," << c.fov << "," << c.polar << "}";
}

// The pad shown above a main window, the manual camera and a key-move clock the test steps.
class PadScene : public ::testing::Test {
  protected:
    void SetUp() override {
        CameraMode = 1;
        ManualCamera = &m_camera;
        // A move moves as far as the time since the last move; start that clock.
        FakeKeyClock::now = 1000.0f;
        m_camera.UpdateFrameTime();
        m_pad = new CCamAdjust;
        ui::ShowModeless(m_pad, &m_owner, m_open);
    }
    void TearDown() override {
        delete m_pad.data();
        ManualCamera = nullptr;
    }

    QAbstractButton* Button(int id) {
        auto* b = m_pad->findChild<QAbstractButton*>(QString::number(id));
        EXPECT_NE(b, nullptr) << id;
        return b;
    }
    // Presses the mouse on the button and keeps it held, or lets it go.
    void Hold(int id) { Mouse(id, QEvent::MouseButtonPress, Qt::LeftButton); }
    void Release(int id) { Mouse(id, QEvent::MouseButtonRelease, Qt::NoButton); }
    void Mouse(int id, QEvent::Type type, Qt::MouseButtons held) {
        QAbstractButton* b = Button(id);
        const QPointF centre(b->width() / 2.0, b->height() / 2.0);
        QMouseEvent event(type, centre, b->mapToGlobal(centre), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(b, &event);
    }
    // One frame 20 ms after the last: the poll, and what it changed.
    Change Frame() {
        FakeKeyClock::now += 20.0f;
        const CCamera before = m_camera;
        PollCamAdjustButtons();
        return Between(before, m_camera);
    }

    ViewStateGuard m_view;
    FakeKeyClock m_clock;
    CCamera m_camera{DegToRad(90), DegToRad(96), 3000, 30};
    QWidget m_owner;
    int m_open = 0;
    QPointer<CCamAdjust> m_pad;
};

TEST_F(PadScene, IsTheShownPadUntilItIsFreed) {
    EXPECT_EQ(m_pad->windowTitle(), "Cam Adj");
    EXPECT_EQ(m_open, 1);
    EXPECT_EQ(CamAdjustDialog, m_pad.data());
    // Every button lies on the pad, named by the caption of its pictures.
    for (const CamAdjustButton& b : kCamAdjustButtons) {
        QAbstractButton* button = Button(b.controlId);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->accessibleName(), b.caption);
        EXPECT_TRUE(m_pad->rect().contains(button->geometry())) << b.caption;
    }
    delete m_pad.data();
    EXPECT_EQ(CamAdjustDialog, nullptr);
}

TEST_F(PadScene, EachStateShowsItsOwnPicture) {
    QAbstractButton* b = Button(1015);
    const QImage up = b->grab().toImage();
    Hold(1015);
    const QImage down = b->grab().toImage();
    Release(1015);
    b->setEnabled(false);
    const QImage disabled = b->grab().toImage();
    EXPECT_EQ(up.size(), QSize(56, 32));
    EXPECT_NE(up, down);
    EXPECT_NE(up, disabled);
    EXPECT_NE(down, disabled);
}

// The symbol's ink, dark on the light face.
bool Ink(const QImage& picture, double x, double y) {
    return qGray(picture.pixel(static_cast<int>(x), static_cast<int>(y))) < 100;
}

// A magnifier, as the pad draws one: its lens, a level bar, and an upright bar for the plus.
std::string Magnifier(const QImage& picture) {
    const double r = 0.3 * std::min(picture.width(), picture.height());
    const double cx = picture.width() / 2.0 - 0.3 * r;
    const double cy = picture.height() / 2.0 - 0.3 * r;
    if (!Ink(picture, cx + 0.3 * r, cy)) return "no magnifier";
    return Ink(picture, cx, cy + 0.3 * r) ? "plus" : "minus";
}

// A block arrow across the face: its head is wide, its shaft narrow, so off the axis only the
// half it points to has ink.
std::string Arrow(const QImage& picture, bool horizontal) {
    const double w = picture.width();
    const double h = picture.height();
    const double off = 0.6 * 0.3 * std::min(w, h);  // across the axis, inside the head only
    const double along = 0.2 * 0.35 * (horizontal ? w : h);
    const bool before = horizontal ? Ink(picture, w / 2 - along, h / 2 + off)
                                   : Ink(picture, w / 2 + off, h / 2 - along);
    const bool after = horizontal ? Ink(picture, w / 2 + along, h / 2 + off)
                                  : Ink(picture, w / 2 + off, h / 2 + along);
    if (before == after) return "no arrow";
    if (horizontal) return before ? "left" : "right";
    return before ? "up" : "down";
}

int SignOfKeyMove(void (CCamera::*move)(), float CCamera::*value) {
    FakeKeyClock::now = 5000.0f;
    CCamera camera{DegToRad(90), DegToRad(96), 3000, 30};
    camera.UpdateFrameTime();
    FakeKeyClock::now += 20.0f;
    const float before = camera.*value;
    (camera.*move)();
    return Sign(camera.*value - before);
}

// Each picture shows what holding its button does: the plus brings the camera closer, and an
// arrow points as the key that makes the same move (Left orbits left, Up orbits up).
TEST_F(PadScene, EachPictureShowsWhatItsButtonDoes) {
    const int leftKey = SignOfKeyMove(&CCamera::OrbitLeft, &CCamera::azimuth);
    const int upKey = SignOfKeyMove(&CCamera::OrbitUp, &CCamera::polar);
    ASSERT_NE(leftKey, 0);
    ASSERT_NE(upKey, 0);
    FakeKeyClock::now = 1000.0f;
    m_camera.UpdateFrameTime();
    for (const CamAdjustButton& b : kCamAdjustButtons) {
        SCOPED_TRACE(b.caption);
        Hold(b.controlId);
        const Change moved = Frame();
        Release(b.controlId);
        const QImage picture = Button(b.controlId)->grab().toImage();
        if (moved.distance != 0) {
            EXPECT_EQ(Magnifier(picture), moved.distance < 0 ? "plus" : "minus");
        } else if (moved.azimuth != 0) {
            EXPECT_EQ(Arrow(picture, true), moved.azimuth == leftKey ? "left" : "right");
        } else if (moved.polar != 0) {
            EXPECT_EQ(Arrow(picture, false), moved.polar == upKey ? "up" : "down");
        } else {
            EXPECT_NE(moved.fov, 0);  // the field of view's own pictures
        }
    }
}

struct ModeCase {
    const char* name;
    int mode;
    bool moves;
};

const ModeCase kModeCases[] = {
    {"ManualCamera", 1, true},
    {"AutomaticCameras", 0, false},
    {"VirtualRealityCamera", 2, false},
};

class HeldButtonTest : public PadScene, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(HeldButtonTest, MovesOneStepPerFrameOnlyInManualMode) {
    CameraMode = GetParam().mode;
    Hold(1015);
    const Change up = GetParam().moves ? Change{0, 0, 0, 1} : Change{};
    for (int frame = 0; frame < 3; ++frame) {
        const float polar = m_camera.polar;
        EXPECT_EQ(Frame(), up) << frame;
        // 20 ms' worth at 0.02 degrees per ms: one step, not more.
        const float step = GetParam().moves ? DegToRad(0.4f) : 0.0f;
        EXPECT_NEAR(m_camera.polar - polar, step, 1e-5f);
    }
    Release(1015);
    EXPECT_EQ(Frame(), Change{});
}

INSTANTIATE_TEST_SUITE_P(Modes, HeldButtonTest, ::testing::ValuesIn(kModeCases), CaseName());

struct OrderCase {
    const char* name;
    std::initializer_list<int> held;
    Change want;
};

// The buttons are asked In, Out, Left, Right, Wide, Narrow, Up, Down; the first held wins.
const OrderCase kOrderCases[] = {
    {"InBeforeOut", {1009, 1010}, {1, 0, 0, 0}},
    {"OutBeforeLeft", {1011, 1009}, {-1, 0, 0, 0}},
    {"LeftBeforeRight", {1012, 1011}, {0, 1, 0, 0}},
    {"RightBeforeWide", {1013, 1012}, {0, -1, 0, 0}},
    {"WideBeforeNarrow", {1014, 1013}, {0, 0, 1, 0}},
    {"NarrowBeforeUp", {1015, 1014}, {0, 0, -1, 0}},
    {"UpBeforeDown", {1016, 1015}, {0, 0, 0, 1}},
    {"DownAlone", {1016}, {0, 0, 0, -1}},
};

class PollOrderTest : public PadScene, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(PollOrderTest, OnlyTheFirstHeldButtonMoves) {
    for (int id : GetParam().held) Button(id)->setDown(true);
    EXPECT_EQ(Frame(), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Pairs, PollOrderTest, ::testing::ValuesIn(kOrderCases), CaseName());

void PressKey(QWidget& w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
}

struct CloseCase {
    const char* name;
    std::function<void(CCamAdjust&)> close;
};

const CloseCase kCloseCases[] = {
    {"CloseBox", [](CCamAdjust& pad) { pad.close(); }},
    {"Escape", [](CCamAdjust& pad) { PressKey(pad, Qt::Key_Escape); }},
    {"Enter", [](CCamAdjust& pad) { PressKey(pad, Qt::Key_Return); }},
    {"KeypadEnter", [](CCamAdjust& pad) { PressKey(pad, Qt::Key_Enter); }},
};

class ClosedPadTest : public PadScene, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosedPadTest, ClearsTheFlagMovesNothingAndIsFreed) {
    Hold(1010);
    EXPECT_EQ(Frame(), (Change{1, 0, 0, 0}));
    GetParam().close(*m_pad);  // the mouse button is still down
    EXPECT_EQ(m_open, 0);
    EXPECT_EQ(Frame(), Change{});
    EXPECT_TRUE(ProcessEventsUntil([&] { return m_pad.isNull(); }));
    EXPECT_EQ(CamAdjustDialog, nullptr);
    EXPECT_EQ(Frame(), Change{});
}

INSTANTIATE_TEST_SUITE_P(Cases, ClosedPadTest, ::testing::ValuesIn(kCloseCases), CaseName());

TEST_F(PadScene, ANewPadIsTheOnePolledWhileTheClosedOneWaitsToBeFreed) {
    QPointer<CCamAdjust> old = m_pad.data();
    Hold(1010);
    old->close();
    m_pad = new CCamAdjust;
    ui::ShowModeless(m_pad, &m_owner, m_open);
    EXPECT_EQ(CamAdjustDialog, m_pad.data());
    EXPECT_EQ(Frame(), Change{});  // the old pad's held button counts no more
    EXPECT_TRUE(ProcessEventsUntil([&] { return old.isNull(); }));
    EXPECT_EQ(CamAdjustDialog, m_pad.data());
    Hold(1009);
    EXPECT_EQ(Frame(), (Change{-1, 0, 0, 0}));
}

}  // namespace
