#pragma once
// A small stack of matrices with which code walks a model's node list without OpenGL.

constexpr int kMatrixStackSize = 100;

struct MatrixStack {
    int depth;
    float matrices[kMatrixStackSize][16];

    MatrixStack() { Init(); }
    void Init();                  // depth 0, identity on top
    void Push();                  // refused at the last slot
    void Pop();                   // refused at depth 0
    void MultTop(const float* m);  // top = m x top, as glMultMatrixf does
    void GetTop(float* out) const;
};
