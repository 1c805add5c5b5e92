#include "model/gif_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace {

constexpr int kLzwMaxCodeBits = 12;
constexpr int kLzwTableSize = 1 << kLzwMaxCodeBits;  // 4096 codes
constexpr int kMinCodeSizeLow = 2;
constexpr int kMinCodeSizeHigh = 9;

constexpr std::size_t kSignatureBytes = 6;
constexpr std::size_t kScreenFlagsOffset = 4;  // inside the screen descriptor
constexpr std::size_t kScreenTailBytes = 2;    // background colour, aspect
constexpr std::size_t kImagePlaceBytes = 5;    // separator, left, top
// Everything the size-only decode reads: signature, screen, the largest palette, w and h.
constexpr std::size_t kHeaderMaxBytes = 6 + 7 + kGifPaletteBytes + 5 + 4;
// A 4096 x 4096 image needs under 50 MiB of codes even with a clear code before each one;
// nothing past this is read.
constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;
// A code is read as three bytes at once; the buffer keeps this many zero bytes past the file.
constexpr std::size_t kReadPadding = 2;

// The file's bytes, followed by kReadPadding zero bytes.
struct FileImage {
    std::vector<std::uint8_t> bytes;
    std::size_t size = 0;
};

struct ByteCursor {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

// The LZW code stream with the sub-block lengths taken out, read least significant bit first.
struct CodeReader {
    const std::uint8_t* data;
    std::uint64_t bitPos;
    std::uint64_t bitEnd;
};

// Entries below the first free code are roots, the palette indices themselves. Each other
// entry is its prefix's string plus its suffix byte. Corrupt data can make prefixes loop, so a
// string is followed for at most kLzwTableSize steps.
struct LzwTables {
    std::uint16_t prefix[kLzwTableSize];
    std::uint8_t suffix[kLzwTableSize];
    std::uint8_t stack[kLzwTableSize];  // the string being decoded, last byte first
};

bool GifReadByte(ByteCursor& in, int& value);
bool GifReadWord(ByteCursor& in, int& value);
bool Skip(ByteCursor& in, std::size_t count);
bool ReadHeader(ByteCursor& in, std::uint8_t* palette, int& width, int& height);
CodeReader JoinSubBlocks(std::uint8_t* bytes, std::size_t pos, std::size_t size);
bool GifReadCode(CodeReader& in, int bits, int& code);
bool PushString(LzwTables& t, int code, int firstFree, int& depth);
bool DecodeIndices(CodeReader& in, int minCodeSize, std::uint8_t* out, std::size_t total);
bool ReadFilePrefix(const char* path, std::size_t maxBytes, FileImage& file);
int Decode(FileImage& file, std::uint8_t* indices, std::uint8_t* palette, std::int32_t* width,
           std::int32_t* height);

bool GifReadByte(ByteCursor& in, int& value) {
    if (in.pos >= in.size) return false;
    value = in.data[in.pos++];
    return true;
}

// Next 16-bit little-endian value.
bool GifReadWord(ByteCursor& in, int& value) {
    if (in.size - in.pos < 2) return false;
    value = in.data[in.pos] | in.data[in.pos + 1] << 8;
    in.pos += 2;
    return true;
}

bool Skip(ByteCursor& in, std::size_t count) {
    if (in.size - in.pos < count) return false;
    in.pos += count;
    return true;
}

// Signature, screen descriptor, palette and image size; leaves `in` at the image flags.
bool ReadHeader(ByteCursor& in, std::uint8_t* palette, int& width, int& height) {
    // Only the three letters are compared, so 87a and 89a files read alike.
    if (in.size < kSignatureBytes || std::memcmp(in.data, "GIF", 3) != 0) return false;
    in.pos = kSignatureBytes;
    int flags = 0;
    if (!Skip(in, kScreenFlagsOffset) || !GifReadByte(in, flags) || !Skip(in, kScreenTailBytes)) {
        return false;
    }
    // The low three bits give the palette size whether or not the global-palette flag is set.
    const std::size_t paletteBytes = std::size_t{3} << ((flags & 7) + 1);
    if (palette) std::memset(palette, 0, kGifPaletteBytes);
    if (in.size - in.pos < paletteBytes) return false;
    if (palette) std::memcpy(palette, in.data + in.pos, paletteBytes);
    in.pos += paletteBytes;
    if (!Skip(in, kImagePlaceBytes) || !GifReadWord(in, width) || !GifReadWord(in, height)) {
        return false;
    }
    return width >= 1 && width <= kGifMaxSide && height >= 1 && height <= kGifMaxSide;
}

// Moves the sub-blocks' data together in place, so codes that straddle a block boundary read
// like any other. Ends at a zero length byte or at the end of the file, whichever comes first.
CodeReader JoinSubBlocks(std::uint8_t* bytes, std::size_t pos, std::size_t size) {
    const std::size_t start = pos;
    std::size_t out = pos;
    while (pos < size) {
        std::size_t length = bytes[pos++];
        if (length == 0) break;
        length = std::min(length, size - pos);
        std::memmove(bytes + out, bytes + pos, length);
        out += length;
        pos += length;
    }
    return CodeReader{bytes + start, 0, std::uint64_t{out - start} * 8};
}

// Next code of `bits` bits; false once the data has run out.
inline bool GifReadCode(CodeReader& in, int bits, int& code) {
    if (in.bitPos + static_cast<std::uint64_t>(bits) > in.bitEnd) return false;
    const std::uint8_t* p = in.data + (in.bitPos >> 3);
    const std::uint32_t window = p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
    code = static_cast<int>((window >> (in.bitPos & 7)) & ((1u << bits) - 1));
    in.bitPos += static_cast<std::uint64_t>(bits);
    return true;
}

// Pushes the string of `code` above `depth` entries, last byte first; the root ends up on top.
// False when the chain does not reach a root before the stack is full.
inline bool PushString(LzwTables& t, int code, int firstFree, int& depth) {
    while (code >= firstFree) {
        if (depth == kLzwTableSize - 1) return false;
        t.stack[depth++] = t.suffix[code];
        code = t.prefix[code];
    }
    t.stack[depth++] = static_cast<std::uint8_t>(code);
    return true;
}

// Decodes at most `total` indices; false when the data ends (without an end code) before
// the image is complete, or when a code's chain loops.
bool DecodeIndices(CodeReader& in, int minCodeSize, std::uint8_t* out, std::size_t total) {
    LzwTables t{};  // entries not made yet read as root 0
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    const int firstFree = clear + 2;

    int bits = minCodeSize + 1;
    int top = 1 << bits;
    int next = firstFree;
    int oc = 0;           // the previous code
    std::uint8_t fc = 0;  // the first byte of the previous code's string
    std::size_t pos = 0;
    int code = 0;
    while (pos < total) {
        if (!GifReadCode(in, bits, code)) return false;
        if (code == end) break;
        if (code == clear) {
            bits = minCodeSize + 1;
            top = 1 << bits;
            next = firstFree;
            do {
                if (!GifReadCode(in, bits, code)) return false;
            } while (code == clear);
            if (code == end) break;
            if (code >= next) code = 0;
            out[pos++] = static_cast<std::uint8_t>(code);
            oc = code;
            fc = static_cast<std::uint8_t>(code);
            continue;
        }
        // A code not made yet (the one being made now, or corrupt data naming a later one)
        // stands for the previous string plus its own first byte.
        int depth = 0;
        if (code >= next) t.stack[depth++] = fc;
        if (!PushString(t, code >= next ? oc : code, firstFree, depth)) return false;
        const std::uint8_t root = t.stack[depth - 1];
        // A full table (4096 entries) takes no more entries until the next clear code.
        if (next < top) {
            t.suffix[next] = root;
            t.prefix[next] = static_cast<std::uint16_t>(oc);
            ++next;
            fc = root;
            oc = code;
        }
        if (next == top && bits < kLzwMaxCodeBits) {
            ++bits;
            top <<= 1;
        }
        while (depth > 0 && pos < total) out[pos++] = t.stack[--depth];
    }
    return true;
}

bool ReadFilePrefix(const char* path, std::size_t maxBytes, FileImage& file) {
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    if (!path) return false;
    // Opening a named pipe would wait for a writer for good, and a device need never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
    if (!f || std::fseek(f.get(), 0, SEEK_END) != 0) return false;
    const long end = std::ftell(f.get());
    if (end < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0) return false;
    const std::size_t want = std::min(static_cast<std::size_t>(end), maxBytes);
    file.bytes.assign(want + kReadPadding, 0);
    file.size = std::fread(file.bytes.data(), 1, want, f.get());
    return true;
}

int Decode(FileImage& file, std::uint8_t* indices, std::uint8_t* palette, std::int32_t* width,
           std::int32_t* height) {
    ByteCursor in{file.bytes.data(), file.size};
    int w = 0;
    int h = 0;
    if (!ReadHeader(in, palette, w, h)) return 0;
    if (width) *width = w;
    if (height) *height = h;
    if (!indices) return 1;

    int imageFlags = 0;
    int minCodeSize = 0;
    if (!GifReadByte(in, imageFlags) || !GifReadByte(in, minCodeSize)) return 0;
    if (minCodeSize < kMinCodeSizeLow || minCodeSize > kMinCodeSizeHigh) return 0;
    CodeReader codes = JoinSubBlocks(file.bytes.data(), in.pos, file.size);
    const std::size_t total = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    return DecodeIndices(codes, minCodeSize, indices, total) ? 1 : 0;
}

}  // namespace

int GifDecode(const char* path, std::uint8_t* indices, std::uint8_t* palette, std::int32_t* width,
              std::int32_t* height) {
    FileImage file;
    if (!ReadFilePrefix(path, indices ? kMaxFileBytes : kHeaderMaxBytes, file)) return 0;
    return Decode(file, indices, palette, width, height);
}

int GifDecodeImage(const char* path, std::vector<std::uint8_t>& indices, std::uint8_t* palette,
                   std::int32_t& width, std::int32_t& height) {
    FileImage file;
    if (!ReadFilePrefix(path, kMaxFileBytes, file)) return 0;
    // The size-only pass leaves the bytes as they are for the full one.
    if (!Decode(file, nullptr, nullptr, &width, &height)) return 0;
    indices.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return Decode(file, indices.data(), palette, &width, &height);
}

int GifDecodeBytes(const std::uint8_t* data, std::size_t size, std::uint8_t* indices,
                   std::uint8_t* palette, std::int32_t* width, std::int32_t* height) {
    if (!data) return 0;
    FileImage file;
    file.size = std::min(size, indices ? kMaxFileBytes : kHeaderMaxBytes);
    file.bytes.assign(file.size + kReadPadding, 0);
    std::copy_n(data, file.size, file.bytes.begin());
    return Decode(file, indices, palette, width, height);
}
