#include "model/texture_upload.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "model/gif_decoder.h"

namespace {

GLuint ReserveTextureName();
void RecordTextureList(GLuint id, int width, int height, const float* colours, bool smooth);

// The id names both the display list and the texture. It comes from glGenLists, so it never
// collides with the mesh parts' lists; a name that already holds a texture is passed over.
// Binding it once makes it a texture name, so glGenTextures never hands it out afterwards.
GLuint ReserveTextureName() {
    std::vector<GLuint> passedOver;
    GLuint id = glGenLists(1);
    while (id != 0 && glIsTexture(id)) {
        passedOver.push_back(id);
        id = glGenLists(1);
    }
    for (GLuint name : passedOver) glDeleteLists(name, 1);
    if (id == 0) return 0;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, id);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return id;
}

// The image goes into the texture object once; calling the list only binds it and sets its
// parameters. Uploading from the list on every call stalled the pipeline twice a frame,
// since the frame still being drawn uses the texture.
void RecordTextureList(GLuint id, int width, int height, const float* colours, bool smooth) {
    const GLint wrap = smooth ? GL_REPEAT : GL_CLAMP;
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_FLOAT, colours);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glNewList(id, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEndList();
}

}  // namespace

GLuint LoadGifTexture(const char* path, bool smooth) {
    // One read of the file gives both the size and the indices: a file replaced between two
    // reads could otherwise decode more indices than the first size made room for.
    std::vector<std::uint8_t> indices;
    std::uint8_t palette[kGifPaletteBytes];
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!GifDecodeImage(path, indices, palette, width, height)) return 0;
    const std::size_t pixels = indices.size();
    const std::unique_ptr<float[]> colours(new (std::nothrow) float[pixels * 3]);
    if (!colours) return 0;

    float paletteRgb[kGifPaletteBytes];
    for (int i = 0; i < kGifPaletteBytes; ++i) paletteRgb[i] = palette[i] / 255.0f;
    for (std::size_t i = 0; i < pixels; ++i) {
        const float* rgb = paletteRgb + 3 * indices[i];
        colours[3 * i] = rgb[0];
        colours[3 * i + 1] = rgb[1];
        colours[3 * i + 2] = rgb[2];
    }

    const GLuint id = ReserveTextureName();
    if (id == 0) return 0;
    RecordTextureList(id, width, height, colours.get(), smooth);
    return id;
}
