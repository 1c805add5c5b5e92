#include "model/matrix_stack.h"

#include <cstring>

#include "model/vec_math.h"

void MatrixStack::Init() {
    depth = 0;
    Mat4Identity(matrices[0]);
}

void MatrixStack::Push() {
    if (depth >= kMatrixStackSize - 1) return;
    std::memcpy(matrices[depth + 1], matrices[depth], sizeof(matrices[0]));
    ++depth;
}

void MatrixStack::Pop() {
    if (depth > 0) --depth;
}

void MatrixStack::MultTop(const float* m) { Mat4Multiply(m, matrices[depth], matrices[depth]); }

void MatrixStack::GetTop(float* out) const {
    std::memcpy(out, matrices[depth], sizeof(matrices[0]));
}
