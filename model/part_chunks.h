#pragma once
// A static mesh part split into spatial chunks: its quads grouped by the cell of a grid over
// the part's bounds that their centres fall in, each group recorded into a display list of
// its own with the part's colour and material, so that a caller can skip the groups that
// cannot reach the screen. The lists belong to the GL context the part was loaded in, like
// the part's own display list.

#include <cstdint>
#include <vector>

class CMeshPart;

struct QuadChunk {
    std::uint32_t list = 0;
    float min[3] = {};  // bounds of the chunk's vertices
    float max[3] = {};
};

// Decides whether a chunk with these bounds may show.
class ChunkFilter {
  public:
    virtual bool MayShow(const float* min, const float* max) const = 0;

  protected:
    ~ChunkFilter() = default;
};

class PartChunks {
  public:
    // Records the chunks of the part as it is now drawn (DisplayTextures included). Empty when
    // no display list could be had.
    explicit PartChunks(const CMeshPart& part);
    ~PartChunks();
    PartChunks(const PartChunks&) = delete;
    PartChunks& operator=(const PartChunks&) = delete;

    bool Empty() const { return m_chunks.empty(); }
    // The DisplayTextures value the colours were recorded with.
    int RecordedTextures() const { return m_textures; }
    const std::vector<QuadChunk>& Chunks() const { return m_chunks; }
    // Calls the list of every chunk that the filter lets through, in order.
    void Draw(const ChunkFilter& filter) const;

  private:
    std::vector<QuadChunk> m_chunks;
    int m_textures = 0;
};
