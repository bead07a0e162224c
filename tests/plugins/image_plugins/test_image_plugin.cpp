// A GLL plug-in for the trivial "TIMG" image format, built as a third party would build one.
// A file is "TIMG", 16-bit width and height, signed 16-bit origin x and y, a 32-bit length
// and that many bytes of extra data, then width × height 32-bit pixels 0xAARRGGBB, top row
// first. The loader offers no callback decode (the host then goes through its buffers) and
// encodes 32-bit pictures. Its configuration dialog only answers its function number plus 1;
// its second assist function a checksum of the words it is handed.
// Variants: TEST_PLUGIN_WITHOUT_ASSIST2 lacks GllAssistFunc2; TEST_PLUGIN_NULL_LOADER offers
// no loader.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/image_plugin.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr std::uint32_t kHeaderSize = 16;

std::uint32_t ReadU32(const std::uint8_t* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

class TestImageLoader final : public WithDeletingDestructor<TestImageLoader, ImageLoadObject> {
public:
    ~TestImageLoader() {
        FreeBuffers();
        FreeExtraData();
    }

    bool XM_METHOD IsSupported(const void* data, std::uint32_t size, const char*) override {
        return data && size >= kHeaderSize && std::memcmp(data, "TIMG", 4) == 0;
    }

    std::int32_t XM_METHOD DecodeWithCallbacks(const void*, std::uint32_t, GllAllocator, void*,
                                               std::uint8_t, GllProgress, void*) override {
        return kGllNotOffered;
    }

    std::int32_t XM_METHOD DecodeToBuffers(const void* data, std::uint32_t size, HGLOBAL* outInfo,
                                           HGLOBAL* outBits, GllProgress, void*) override {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        if (!IsSupported(data, size, nullptr)) return kGllNotThisFormat;
        if (!outInfo || !outBits) return kGllMissingArgument;
        const std::uint32_t width = bytes[4] | bytes[5] << 8;
        const std::uint32_t height = bytes[6] | bytes[7] << 8;
        const auto originX = static_cast<std::int16_t>(bytes[8] | bytes[9] << 8);
        const auto originY = static_cast<std::int16_t>(bytes[10] | bytes[11] << 8);
        const std::uint32_t extraSize = ReadU32(bytes + 12);
        const std::uint64_t need = kHeaderSize + static_cast<std::uint64_t>(extraSize) + 4ull * width * height;
        if (width == 0 || height == 0 || need > size) return kGllBadData;
        FreeExtraData();
        if (extraSize) {
            m_extraData = GlobalAlloc(GMEM_FIXED, extraSize);
            std::memcpy(m_extraData, bytes + kHeaderSize, extraSize);
            m_extraSize = extraSize;
        }
        SetOrigin(originX, originY);
        HGLOBAL info = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 44);
        HGLOBAL bits = GlobalAlloc(GMEM_FIXED, 4 * width * height);
        auto* header = static_cast<BITMAPINFOHEADER*>(info);
        header->biSize = 40;
        header->biWidth = static_cast<LONG>(width);
        header->biHeight = static_cast<LONG>(height);
        header->biPlanes = 1;
        header->biBitCount = 32;
        header->biSizeImage = 4 * width * height;
        const std::uint8_t* pixels = bytes + kHeaderSize + extraSize;
        for (std::uint32_t y = 0; y < height; ++y) {
            std::memcpy(static_cast<std::uint8_t*>(bits) + (height - 1 - y) * width * 4,
                        pixels + y * width * 4, width * 4);
        }
        m_totalSize = 44 + header->biSizeImage;
        m_stride = static_cast<std::int32_t>(width * 4);
        *outInfo = info;
        *outBits = bits;
        return 0;
    }

    std::int32_t XM_METHOD Encode(std::int32_t mode, const void* pixels, std::int32_t width,
                                  std::int32_t height, std::int32_t bitDepth,
                                  std::int32_t sourceStride, GllWriter write, void* writeArgument,
                                  const std::uint32_t*, GllProgress, void*) override {
        if (!pixels || bitDepth != 32 || width <= 0 || height <= 0 || mode != 0) return kGllUnsupportedVariant;
        std::vector<std::uint8_t> out = {'T', 'I', 'M', 'G',
                                         static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
                                         static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8),
                                         0, 0, 0, 0, 0, 0, 0, 0};
        for (std::int32_t y = 0; y < height; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(pixels) + y * sourceStride;
            out.insert(out.end(), row, row + width * 4);
        }
        return write(out.data(), static_cast<std::uint32_t>(out.size()), writeArgument) == out.size()
                   ? 0
                   : kGllBadData;
    }

    bool XM_METHOD CanEncode() override { return true; }
};

}  // namespace

PLUGIN_EXPORT std::int32_t GetGllType() { return 0x7E57; }
PLUGIN_EXPORT const char* GetGllTypeString() { return "Test image format"; }
PLUGIN_EXPORT const char* GetGllSupportExt() { return "TIM\0TIMG\0"; }
PLUGIN_EXPORT std::int32_t GllAssistFunc(std::int32_t, ...) { return 0; }
#ifndef TEST_PLUGIN_WITHOUT_ASSIST2
// Answers a checksum of the words it is handed: word 0 counts the words after it (at most 8
// are read), and each adds its position times its value to 0x5A.
PLUGIN_EXPORT std::int32_t GllAssistFunc2(const void* record) {
    const auto* words = static_cast<const std::uint32_t*>(record);
    std::uint32_t sum = 0x5A;
    const std::uint32_t count = words[0] < 8 ? words[0] : 8;
    for (std::uint32_t i = 0; i < count; ++i) sum += (i + 1) * words[1 + i];
    return static_cast<std::int32_t>(sum);
}
#endif
PLUGIN_EXPORT ImageLoadObject* GetGllLoadObject() {
#ifdef TEST_PLUGIN_NULL_LOADER
    return nullptr;
#else
    return new TestImageLoader;
#endif
}
PLUGIN_EXPORT std::int32_t GllConfigDlg(HWND, std::int32_t function) { return function + 1; }
