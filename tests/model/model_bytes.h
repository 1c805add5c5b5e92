#pragma once
// Writes model-file bytes by the format's tables: big-endian words, chunk headers with their
// lengths. Independent of the content generator, so the loader's tests do not share its faults.

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct ModelBytes {
    std::vector<std::uint8_t> bytes;

    ModelBytes& Word(std::uint32_t w) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back((w >> shift) & 0xFF);
        return *this;
    }
    ModelBytes& Float(float f) { return Word(std::bit_cast<std::uint32_t>(f)); }
    ModelBytes& Floats(std::initializer_list<float> fs) {
        for (float f : fs) Float(f);
        return *this;
    }
    ModelBytes& Words(std::initializer_list<std::uint32_t> ws) {
        for (std::uint32_t w : ws) Word(w);
        return *this;
    }
    ModelBytes& Append(const ModelBytes& other) {
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
        return *this;
    }
    // A chunk: tag, length of header plus body, body.
    ModelBytes& Chunk(std::int32_t tag, const ModelBytes& body = {}) {
        Word(static_cast<std::uint32_t>(tag));
        Word(static_cast<std::uint32_t>(8 + body.bytes.size()));
        return Append(body);
    }
    ModelBytes& End() { return Chunk(0); }
    ModelBytes& Push() { return Chunk(3); }
    ModelBytes& Pop() { return Chunk(2); }
    std::string String() const { return std::string(bytes.begin(), bytes.end()); }
};

// The body of a mesh-part chunk; arrays are written when given, and their presence words
// follow from that.
struct PartSpec {
    std::vector<float> positions;  // 3 per vertex
    std::vector<std::uint32_t> faces;  // 4 per face, file winding
    std::vector<float> faceColors, vertexColors, faceNormals, vertexNormals, texCoords;
    float color[3] = {0.5f, 0.5f, 0.5f};
};

inline ModelBytes PartBody(const PartSpec& p) {
    ModelBytes b;
    b.Word(static_cast<std::uint32_t>(p.positions.size() / 3));
    b.Word(static_cast<std::uint32_t>(p.faces.size() / 4));
    for (const auto* a : {&p.faceColors, &p.vertexColors, &p.faceNormals, &p.vertexNormals,
                          &p.texCoords}) {
        b.Word(a->empty() ? 0 : 1);
    }
    b.Floats({p.color[0], p.color[1], p.color[2]});
    for (float f : p.positions) b.Float(f);
    for (std::uint32_t w : p.faces) b.Word(w);
    for (const auto* a : {&p.faceColors, &p.vertexColors, &p.faceNormals, &p.vertexNormals,
                          &p.texCoords}) {
        for (float f : *a) b.Float(f);
    }
    return b;
}

inline ModelBytes Part(const PartSpec& p) { return ModelBytes{}.Chunk(1, PartBody(p)); }

// One vertex-coloured triangle, the smallest sound part.
inline PartSpec Triangle() {
    PartSpec p;
    p.positions = {0, 0, 0, 100, 0, 0, 0, 100, 0};
    p.faces = {0, 1, 2, 2};
    p.vertexColors = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    return p;
}
