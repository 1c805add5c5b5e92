#pragma once
// A real OpenGL context: Mesa on the X display named by DISPLAY (Xvfb in the test command),
// rendering into an off-screen pbuffer, or into a window configured as the program's
// own (8-bit RGBA, double-buffered) for benchmarks. Used by tests, tools and benchmarks.

#include <cstdint>
#include <memory>
#include <vector>

struct GlContextOptions {
    int width = 256;
    int height = 256;
    int depthBits = 24;
    int stencilBits = 8;
    // The program's window configuration: exactly 8 bits per channel with alpha, double-buffered
    // and swapped per frame. A pbuffer gets the server's first offer, on Xvfb 10 bits a channel
    // and single-buffered, which fills more slowly and waits at every flush.
    bool windowConfig = false;
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
    // Shows the back buffer, as the program does after each frame; no effect on a pbuffer.
    void SwapBuffers() const;

private:
    struct Handles;
    GlContext(std::unique_ptr<Handles> handles, int width, int height);
    std::unique_ptr<Handles> m_handles;
    int m_width;
    int m_height;
};
