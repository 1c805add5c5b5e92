#include "platform/gui/gl_view.h"

#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QOpenGLContext>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/gui/main_frame.h"
#include "tests/gui/qt_app.h"
#include "tests/gui/x11_probe.h"

namespace {

using pgui::GlView;
using pgui::GrantedFormat;
using pgui::ViewResult;

// A frame with a view in it, shown and exposed; the hooks are the test's.
struct Shell {
    pgui::MainFrame frame;
    GlView* view = nullptr;

    explicit Shell(pgui::ViewHooks hooks) {
        auto owned = std::make_unique<GlView>(std::move(hooks));
        view = owned.get();
        frame.SetView(std::move(owned));
        frame.resize(320, 240);
    }
    bool ShowAndExpose() {
        frame.show();
        return ProcessEventsUntil([this] { return view->isExposed(); });
    }
};

// One frame the way the application draws it: current, clear, swap, release.
void DrawClearFrame(GlView& view) {
    ASSERT_TRUE(view.MakeCurrent());
    glClearColor(0.2f, 0.1f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    view.SwapBuffers();
    view.DoneCurrent();
}

TEST(GlView, CreateMakesTheContextCurrentBeforeTheFrameIsShown) {
    struct {
        bool called = false, visible = true, current = false, fixedFunction = false;
        GLenum backBuffer = GL_INVALID_ENUM, rightBuffer = GL_NO_ERROR;
        GrantedFormat glx;
    } seen;
    GlView* self = nullptr;
    pgui::ViewHooks hooks;
    hooks.create = [&] {
        seen.called = true;
        seen.visible = self->isVisible();
        seen.current = QOpenGLContext::currentContext() != nullptr && glGetString(GL_VERSION);
        glDrawBuffer(GL_BACK);  // the window's own framebuffer, not an object of Qt's
        seen.backBuffer = glGetError();
        glDrawBuffer(GL_BACK_RIGHT);  // exists only in a stereo format
        seen.rightBuffer = glGetError();
        glDrawBuffer(GL_BACK);
        glBegin(GL_TRIANGLES);  // fixed function: a compatibility context
        glEnd();
        seen.fixedFunction = glGetError() == GL_NO_ERROR;
        seen.glx = GlxFormatOfCurrentContext();
        return true;
    };
    Shell shell(std::move(hooks));
    self = shell.view;
    ASSERT_EQ(shell.view->Create(), ViewResult::Ok);
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);  // released after creation

    ASSERT_TRUE(seen.called);
    EXPECT_FALSE(seen.visible);
    EXPECT_TRUE(seen.current);
    EXPECT_EQ(seen.backBuffer, static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(seen.fixedFunction);

    // Xvfb has no stereo visual: the view must say so, with depth and stencil kept.
    const GrantedFormat& granted = shell.view->Granted();
    ASSERT_TRUE(granted.valid);
    ASSERT_TRUE(seen.glx.valid);
    EXPECT_FALSE(granted.stereo);
    EXPECT_EQ(seen.rightBuffer, static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(granted.doubleBuffer);
    EXPECT_GE(granted.depthBits, 24);
    EXPECT_EQ(granted.stencilBits, 8);
    EXPECT_EQ(granted.stereo, seen.glx.stereo);
    EXPECT_EQ(granted.doubleBuffer, seen.glx.doubleBuffer);
    EXPECT_EQ(granted.depthBits, seen.glx.depthBits);
    EXPECT_EQ(granted.stencilBits, seen.glx.stencilBits);
    EXPECT_EQ(granted.redBits, seen.glx.redBits);
}

TEST(GlView, RefusedCreationDrawsNoFrame) {
    int frames = 0;
    pgui::ViewHooks hooks;
    hooks.create = [] { return false; };
    hooks.paint = [&frames] { ++frames; };
    Shell shell(std::move(hooks));
    EXPECT_EQ(shell.view->Create(), ViewResult::CreateRefused);
    ASSERT_TRUE(shell.ShowAndExpose());
    shell.view->PostRedraw();
    ProcessEventsUntil([] { return false; }, 200);
    EXPECT_EQ(frames, 0);
}

TEST(GlView, SizeChangesReachTheHookInDevicePixelsWithTheContextCurrent) {
    std::vector<QSize> sizes;
    bool alwaysCurrent = true;
    pgui::ViewHooks hooks;
    hooks.resize = [&](int w, int h) {
        sizes.emplace_back(w, h);
        alwaysCurrent = alwaysCurrent && QOpenGLContext::currentContext() != nullptr;
    };
    Shell shell(std::move(hooks));
    ASSERT_EQ(shell.view->Create(), ViewResult::Ok);
    ASSERT_EQ(sizes.size(), 1u);  // the first size comes with the creation
    ASSERT_TRUE(shell.ShowAndExpose());
    shell.frame.resize(500, 400);
    const qreal dpr = shell.view->devicePixelRatio();
    const QSize want(static_cast<int>(shell.view->width() * dpr + 0.5),
                     static_cast<int>(shell.view->height() * dpr + 0.5));
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return sizes.back() == QSize(static_cast<int>(shell.view->width() * dpr + 0.5),
                                     static_cast<int>(shell.view->height() * dpr + 0.5)) &&
               shell.view->width() > 320;
    })) << "last size " << sizes.back().width() << "x" << sizes.back().height() << ", want "
        << want.width() << "x" << want.height();
    EXPECT_TRUE(alwaysCurrent);
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
}

TEST(GlView, PendingRedrawsDrawOneFrameAndNoneAfterStop) {
    int frames = 0;
    GlView* self = nullptr;
    pgui::ViewHooks hooks;
    hooks.paint = [&] {
        DrawClearFrame(*self);
        ++frames;
    };
    Shell shell(std::move(hooks));
    self = shell.view;
    ASSERT_EQ(shell.view->Create(), ViewResult::Ok);
    ASSERT_TRUE(shell.ShowAndExpose());
    ProcessEventsUntil([] { return false; }, 200);  // the exposure's own frame
    ASSERT_GE(frames, 1);

    // Only the posted redraws are delivered here, so a late exposure cannot add a frame.
    frames = 0;
    for (int i = 0; i < 5; ++i) shell.view->PostRedraw();
    QCoreApplication::sendPostedEvents(shell.view, pgui::kRedrawViewEvent);
    EXPECT_EQ(frames, 1);  // coalesced

    frames = 0;
    shell.view->PostRedraw();
    shell.view->StopFrames();  // shut-down with a redraw pending
    shell.view->PostRedraw();
    ProcessEventsUntil([] { return false; }, 200);  // exposures included: still no frame
    EXPECT_EQ(frames, 0);
}

TEST(GlView, PumpKeepsDrawingAndKeysArriveBetweenFrames) {
    constexpr int kFramesBeforeKeys = 20;
    constexpr int kFramesAfterKeys = 20;
    QEventLoop loop;
    int frames = 0, framesWhenKeysArrived = -1;
    bool keyInsideFrame = false, sent = false;
    std::string typed;
    GlView* self = nullptr;
    pgui::ViewHooks hooks;
    hooks.paint = [&] {
        DrawClearFrame(*self);
        ++frames;
        if (frames == kFramesBeforeKeys) sent = SendKeysThroughX(self->winId(), "qfs");
        if (framesWhenKeysArrived >= 0 && frames >= framesWhenKeysArrived + kFramesAfterKeys) {
            loop.quit();
            return;
        }
        self->PostRedraw();
    };
    hooks.keyPress = [&](const pgui::ViewKey& key) {
        keyInsideFrame = keyInsideFrame || self->InFrame();
        typed += key.text;
        if (typed.size() == 3) framesWhenKeysArrived = frames;
    };
    Shell shell(std::move(hooks));
    self = shell.view;
    ASSERT_EQ(shell.view->Create(), ViewResult::Ok);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);  // only if the keys never come
    shell.frame.show();
    loop.exec();

    ASSERT_TRUE(sent);
    EXPECT_EQ(typed, "qfs");
    EXPECT_FALSE(keyInsideFrame);
    EXPECT_GE(framesWhenKeysArrived, kFramesBeforeKeys);
    EXPECT_GE(frames, framesWhenKeysArrived + kFramesAfterKeys);  // the pump went on
}

}  // namespace
