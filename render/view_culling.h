#pragma once
// Skipping static geometry that cannot reach the screen. A chunk is left out only when all
// its corners lie outside one plane of the view volume in clip coordinates, so whatever
// matrices are in force (the club placement, a shadow projection) nothing that would have
// covered a pixel is ever skipped.

#include <cstdint>

#include "model/part_chunks.h"

class CMeshPart;
class CModelObject;

// A rectangle of the viewport in normalised device coordinates, -1 to 1 on both axes; empty
// when x0 > x1.
struct ScreenWindow {
    float x0 = -1, x1 = 1, y0 = -1, y1 = 1;

    static ScreenWindow None() { return {1, -1, 1, -1}; }
    bool Empty() const { return x0 > x1 || y0 > y1; }
    // The smallest window holding both.
    ScreenWindow Joined(const ScreenWindow& other) const;
    // The part both hold; empty when they do not overlap.
    ScreenWindow Intersected(const ScreenWindow& other) const;
};

// The window that the vertices of the mode's parts of the model's first instance reach under
// the matrices in force: none when the mode selects nothing, the whole viewport when any
// vertex lies at or behind the eye.
ScreenWindow ModelScreenWindow(CModelObject& model, std::int32_t mode);

// Limits drawing to the window, widened by a few pixels, while it lives.
class ScissorScope {
  public:
    explicit ScissorScope(const ScreenWindow& window);
    ~ScissorScope();
    ScissorScope(const ScissorScope&) = delete;
    ScissorScope& operator=(const ScissorScope&) = delete;

  private:
    int m_savedBox[4];
};

// The chunks that may show in the window under the projection and model-view matrices in
// force when the filter is made.
class ViewChunkFilter final : public ChunkFilter {
  public:
    explicit ViewChunkFilter(const ScreenWindow& window = {});
    bool MayShow(const float* min, const float* max) const override;

  private:
    float m_clip[16];  // projection x model-view, column-major
    ScreenWindow m_window;
};

// Draws a static part, with the frame's shortcuts only its chunks that may show in the window.
void DrawStaticPart(CMeshPart& part, const ScreenWindow& window = {});
// Draws every instance of a model whose parts do not move, as CModelObject::Draw does; with
// the frame's shortcuts only the chunks that may show.
void DrawStaticModel(CModelObject& model);
