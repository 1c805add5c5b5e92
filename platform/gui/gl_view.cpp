#include "platform/gui/gl_view.h"

#include <QCoreApplication>
#include <QExposeEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace pgui {
namespace {

QSurfaceFormat ToSurfaceFormat(const GlFormatRequest& request);
GrantedFormat ProbeFormat(const GlFormatRequest& request);
ViewKey ToViewKey(const QKeyEvent& e);

// Where a menu opened from the keyboard appears: the view's top left plus this.
constexpr int kKeyboardMenuOffset = 5;

QSurfaceFormat ToSurfaceFormat(const GlFormatRequest& request) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);  // fixed-function drawing
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(request.depthBits);
    format.setStencilBufferSize(request.stencilBits);
    format.setStereo(request.stereo);
    return format;
}

// A throw-away window and context: a window's visual cannot change once it exists.
GrantedFormat ProbeFormat(const GlFormatRequest& request) {
    const QSurfaceFormat format = ToSurfaceFormat(request);
    QWindow window;
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.setFormat(format);
    window.create();
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create() || !context.makeCurrent(&window)) return {};
    const GrantedFormat granted = ReadGrantedFormat();
    context.doneCurrent();
    return granted;
}

ViewKey ToViewKey(const QKeyEvent& e) {
    ViewKey key;
    key.key = e.key();
    key.text = e.text().toStdString();
    key.autoRepeat = e.isAutoRepeat();
    key.shift = e.modifiers().testFlag(Qt::ShiftModifier);
    key.control = e.modifiers().testFlag(Qt::ControlModifier);
    key.alt = e.modifiers().testFlag(Qt::AltModifier);
    return key;
}

}  // namespace

const char* ViewResultText(ViewResult r) {
    switch (r) {
        case ViewResult::Ok: return "ok";
        case ViewResult::NoContext: return "no OpenGL context could be created";
        case ViewResult::NotCurrent: return "the OpenGL context could not be made current";
        case ViewResult::CreateRefused: return "the view's creation was refused";
    }
    return "unknown result";
}

GlView::GlView(ViewHooks hooks) : m_hooks(std::move(hooks)) {
    setSurfaceType(QSurface::OpenGLSurface);
}

GlView::~GlView() {
    m_stopped = true;
    m_context.reset();  // before the native window goes
}

ViewResult GlView::Create() {
    setFormat(ToSurfaceFormat(ChooseGlFormat(ProbeFormat)));
    create();
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setFormat(format());
    if (!m_context->create()) {
        m_context.reset();
        return ViewResult::NoContext;
    }
    if (!MakeCurrent()) {
        m_context.reset();
        return ViewResult::NotCurrent;
    }
    m_granted = ReadGrantedFormat();
    const bool accepted = !m_hooks.create || m_hooks.create();
    m_created = accepted;
    // As a window's first size message follows its creation.
    if (accepted && m_hooks.resize) m_hooks.resize(DevicePixels(width()), DevicePixels(height()));
    DoneCurrent();
    return accepted ? ViewResult::Ok : ViewResult::CreateRefused;
}

bool GlView::MakeCurrent() { return m_context && m_context->makeCurrent(this); }

void GlView::SwapBuffers() {
    if (m_context && isExposed()) m_context->swapBuffers(this);
}

void GlView::DoneCurrent() {
    if (m_context) m_context->doneCurrent();
}

void GlView::PostRedraw() {
    if (m_redrawPending || m_stopped) return;
    m_redrawPending = true;
    // Low priority: input and the events posted meanwhile go first. Qt owns the event.
    QCoreApplication::postEvent(this, new QEvent(kRedrawViewEvent), Qt::LowEventPriority);
}

bool GlView::event(QEvent* e) {
    if (e->type() != kRedrawViewEvent) return QWindow::event(e);
    m_redrawPending = false;
    if (isExposed()) RunFrame();  // hidden or minimised: no frame until exposed again
    return true;
}

void GlView::exposeEvent(QExposeEvent*) {
    if (isExposed()) PostRedraw();
}

void GlView::resizeEvent(QResizeEvent*) {
    if (!m_created || m_stopped || !m_hooks.resize) return;
    // A frame suspended in a modal dialog keeps its context current.
    const bool wasCurrent = QOpenGLContext::currentContext() == m_context.get();
    if (!wasCurrent && !MakeCurrent()) return;
    m_hooks.resize(DevicePixels(width()), DevicePixels(height()));
    if (!wasCurrent) DoneCurrent();
}

void GlView::keyPressEvent(QKeyEvent* e) {
    // Handled here once: the frame's shortcuts have seen it before, and nothing passes it on.
    e->accept();
    if (m_stopped) return;
    if (m_hooks.keyPress) m_hooks.keyPress(ToViewKey(*e));
    const bool menuKey = e->key() == Qt::Key_Menu ||
                         (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier);
    if (menuKey && m_hooks.contextMenu) {
        const QPoint at = mapToGlobal(QPoint(kKeyboardMenuOffset, kKeyboardMenuOffset));
        m_hooks.contextMenu(at.x(), at.y());
    }
}

void GlView::mouseReleaseEvent(QMouseEvent* e) {
    if (m_stopped || e->button() != Qt::RightButton || !m_hooks.contextMenu) return;
    const QPoint at = e->globalPosition().toPoint();
    m_hooks.contextMenu(at.x(), at.y());
}

void GlView::RunFrame() {
    if (!m_created || m_stopped || m_inFrame || !m_hooks.paint) return;
    m_inFrame = true;
    m_hooks.paint();
    m_inFrame = false;
}

int GlView::DevicePixels(int logical) const {
    return static_cast<int>(logical * devicePixelRatio() + 0.5);
}

}  // namespace pgui
