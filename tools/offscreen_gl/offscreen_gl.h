#pragma once
// A real OpenGL context without a window: Mesa on the X display named by DISPLAY (Xvfb in the
// test command), rendering into an off-screen pbuffer. Used by tests and the snapshot tool.

#include <cstdint>
#include <memory>
#include <vector>

struct GlContextOptions {
    int width = 256;
    int height = 256;
    int depthBits = 24;
    int stencilBits = 8;
};

class GlContext {
public:
    // Null when there is no display or no matching framebuffer configuration.
    static std::unique_ptr<GlContext> Create(const GlContextOptions& options = {});
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Waits for drawing to finish and reads the colour buffer back, bottom row first.
    std::vector<std::uint8_t> ReadRgba() const;

private:
    struct Handles;
    GlContext(std::unique_ptr<Handles> handles, int width, int height);
    std::unique_ptr<Handles> m_handles;
    int m_width;
    int m_height;
};
