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

// Switches a capability off for the scope when asked to, and on again afterwards when it was on.
class GlCapabilityOff {
  public:
    GlCapabilityOff(GLenum capability, bool off)
        : m_capability(capability), m_restore(off && glIsEnabled(capability)) {
        if (m_restore) glDisable(m_capability);
    }
    ~GlCapabilityOff() {
        if (m_restore) glEnable(m_capability);
    }
    GlCapabilityOff(const GlCapabilityOff&) = delete;
    GlCapabilityOff& operator=(const GlCapabilityOff&) = delete;

  private:
    GLenum m_capability;
    bool m_restore;
};
