#include "tests/support/image_buffer.h"

#include <algorithm>
#include <new>

#include <gtest/gtest.h>

#include "framework/images/decoded_image.h"

namespace testsupport {

std::uint32_t ImageBuffer::Pixel32(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* at = memory.data() + y * stride + x * 4;
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint8_t ImageBuffer::Pixel8(std::int32_t x, std::int32_t y) const {
    return memory[static_cast<std::size_t>(y * stride + x)];
}

std::vector<std::uint32_t> ImageBuffer::Pixels() const {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            out.push_back(bitsPerPixel == 32 ? Pixel32(x, y) : Pixel8(x, y));
        }
    }
    return out;
}

bool ImageBuffer::TailIntact() const {
    if (memory.size() < kTailBytes) return true;
    for (std::size_t i = memory.size() - kTailBytes; i < memory.size(); ++i) {
        if (memory[i] != 0xCD) return false;
    }
    return true;
}

void* XM_CDECL ImageBuffer::Allocate(std::int32_t width, std::int32_t height,
                                     std::int32_t bitsPerPixel, std::int32_t hasAlpha,
                                     std::int32_t* outStride, std::uint32_t** outPalette,
                                     void* argument) {
    auto* self = static_cast<ImageBuffer*>(argument);
    ++self->allocations;
    self->width = width;
    self->height = height;
    self->bitsPerPixel = bitsPerPixel;
    self->hasAlpha = hasAlpha;
    self->paletteAsked = outPalette != nullptr;
    if (self->failAllocation) return nullptr;
    self->stride = width * (bitsPerPixel / 8) + self->extraStride;
    if (static_cast<std::uint64_t>(self->stride) * static_cast<std::uint32_t>(height) > self->maxBytes) {
        return nullptr;
    }
    // Like a real allocator, it answers a request it cannot meet with null; damaged files
    // may ask for pictures of any size.
    try {
        self->memory.assign(static_cast<std::size_t>(self->stride) * height + kTailBytes, 0xCD);
    } catch (const std::bad_alloc&) {
        self->memory.clear();
        return nullptr;
    }
    *outStride = self->stride;
    if (outPalette) *outPalette = self->palette;
    return self->memory.data();
}

void XM_CDECL ImageBuffer::Release(void* argument) {
    auto* self = static_cast<ImageBuffer*>(argument);
    ++self->releases;
    self->memory.clear();
}

std::int32_t XM_CDECL ImageBuffer::Progress(std::int32_t done, std::int32_t total, void* argument) {
    auto* self = static_cast<ImageBuffer*>(argument);
    self->progress.emplace_back(done, total);
    return self->cancelAtCall != 0 && static_cast<int>(self->progress.size()) >= self->cancelAtCall;
}

GuardedBytes::GuardedBytes(const std::vector<std::uint8_t>& bytes) {
    constexpr std::size_t kPage = 4096;
    const std::size_t dataPages = (bytes.size() + kPage - 1) / kPage;
    const std::size_t length = (dataPages + 1) * kPage;
    m_region = VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!m_region) throw std::bad_alloc();
    auto* guard = static_cast<std::uint8_t*>(m_region) + dataPages * kPage;
    DWORD old = 0;
    VirtualProtect(guard, kPage, PAGE_NOACCESS, &old);
    std::uint8_t* data = guard - bytes.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) data[i] = bytes[i];
    m_data = data;
    m_size = static_cast<std::uint32_t>(bytes.size());
}

GuardedBytes::~GuardedBytes() { VirtualFree(m_region, 0, MEM_RELEASE); }

std::vector<std::vector<std::uint8_t>> MutatedCopies(const std::vector<std::uint8_t>& file,
                                                     std::uint32_t seed, int count) {
    std::uint32_t state = seed;
    auto next = [&state](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state >> 8) * bound) >> 24);
    };
    std::vector<std::vector<std::uint8_t>> out;
    const auto size = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < count && size != 0; ++i) {
        std::vector<std::uint8_t> copy = file;
        if (next(4) == 0) {
            copy.resize(next(size));
        } else {
            const std::uint32_t flips = 1 + next(3);
            for (std::uint32_t f = 0; f < flips; ++f) {
                const std::uint32_t at = next(2) == 0 ? next(std::min<std::uint32_t>(size, 80)) : next(size);
                copy[at] = next(3) == 0 ? static_cast<std::uint8_t>(next(256))
                                        : static_cast<std::uint8_t>(copy[at] ^ (1u << next(8)));
            }
        }
        out.push_back(std::move(copy));
    }
    return out;
}

void ExpectDamagedFileHandled(ImageLoadObject& loader, const std::vector<std::uint8_t>& file) {
    const GuardedBytes data(file);
    HGLOBAL info = nullptr;
    HGLOBAL bits = nullptr;
    if (loader.DecodeToBuffers(data.Data(), data.Size(), &info, &bits, nullptr, nullptr) == 0) {
        DecodedImage* image = DecodedImage::Create(info, bits);
        EXPECT_NE(nullptr, image) << "a decode that succeeds gives blocks its header describes";
        ReleaseObject(image);
    } else {
        EXPECT_EQ(nullptr, info);
        EXPECT_EQ(nullptr, bits);
    }
    for (std::uint8_t want8 : {0, 1}) {
        ImageBuffer out;
        // Damaged sizes can claim pictures of gigabytes; filling those proves nothing more.
        out.maxBytes = 16 << 20;
        const std::int32_t code = loader.DecodeWithCallbacks(data.Data(), data.Size(), ImageBuffer::Allocate,
                                                             &out, want8, nullptr, nullptr);
        EXPECT_TRUE(out.TailIntact()) << "8-bit output: " << int{want8};
        if (code == 0) {
            EXPECT_EQ(1, out.allocations);
        }
    }
}

std::vector<std::uint32_t> DibPixels(const BITMAPINFO* info, const std::uint8_t* bits) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const std::int32_t depth = h.biBitCount;
    const std::int32_t rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const std::int32_t stride = ((h.biWidth * depth + 31) / 32) * 4;
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::int32_t row = h.biHeight < 0 ? y : rows - 1 - y;
        const std::uint8_t* line = bits + row * stride;
        for (std::int32_t x = 0; x < h.biWidth; ++x) {
            switch (depth) {
            case 32:
                out.push_back(line[x * 4] | line[x * 4 + 1] << 8 | line[x * 4 + 2] << 16 |
                              static_cast<std::uint32_t>(line[x * 4 + 3]) << 24);
                break;
            case 24:
                out.push_back(line[x * 3] | line[x * 3 + 1] << 8 | line[x * 3 + 2] << 16);
                break;
            case 16:
                out.push_back(line[x * 2] | line[x * 2 + 1] << 8);
                break;
            default: {
                const std::int32_t bit = x * depth;
                const std::uint8_t byte = line[bit / 8];
                out.push_back((byte >> (8 - depth - bit % 8)) & ((1 << depth) - 1));
            }
            }
        }
    }
    return out;
}

}  // namespace testsupport
