// The built-in loader of ELG pictures (depths 8, 24 and 32, with or without an origin and
// extra blocks). It decodes and does not encode.
#pragma once

#include <cstdint>

#include "framework/images/elg_decoder.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/image_plugin.h"

class ElgImageLoader final : public WithDeletingDestructor<ElgImageLoader, ImageLoadObject> {
public:
    // What the application registers it under.
    static constexpr const char* kTypeString = "ELG format";
    static constexpr const char* kExtensions = "ELG\0";

    ElgImageLoader() = default;
    ~ElgImageLoader();
    ElgImageLoader(const ElgImageLoader&) = delete;
    ElgImageLoader& operator=(const ElgImageLoader&) = delete;

    // True for "ELG" data long enough for the shortest header.
    bool XM_METHOD IsSupported(const void* data, std::uint32_t size, const char* name) override;
    std::int32_t XM_METHOD DecodeWithCallbacks(const void* data, std::uint32_t size,
                                               GllAllocator allocator, void* argument,
                                               std::uint8_t want8Bit, GllProgress progress,
                                               void* progressArgument) override;
    std::int32_t XM_METHOD DecodeToBuffers(const void* data, std::uint32_t size, HGLOBAL* outInfo,
                                           HGLOBAL* outBits, GllProgress progress,
                                           void* progressArgument) override;
    // Not offered.
    std::int32_t XM_METHOD Encode(std::int32_t mode, const void* pixels, std::int32_t width,
                                  std::int32_t height, std::int32_t bitDepth,
                                  std::int32_t sourceStride, GllWriter write, void* writeArgument,
                                  const std::uint32_t* palette, GllProgress progress,
                                  void* progressArgument) override;
    // Also frees the extra data.
    void XM_METHOD FreeBuffers() override;

private:
    // Decodes the streams into the loader's new info and bits blocks.
    std::int32_t DecodeBlocks(const std::uint8_t* data, std::uint32_t size,
                              const ElgHeader& header);
    // Reads the header and keeps its origin and extra data: 0, or an EGllErrorCode.
    std::int32_t ReadHeader(const std::uint8_t* data, std::uint32_t size, ElgHeader* header);
};
