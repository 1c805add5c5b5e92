#pragma once
// Scoped OpenGL state, so that every push is undone in the scope that made it.

#include <GL/gl.h>

class GlMatrixScope {
  public:
    GlMatrixScope() { glPushMatrix(); }
    ~GlMatrixScope() { glPopMatrix(); }
    GlMatrixScope(const GlMatrixScope&) = delete;
    GlMatrixScope& operator=(const GlMatrixScope&) = delete;
};
