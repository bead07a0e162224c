#include "framework/images/decoded_image.h"

DecodedImage* DecodedImage::Create(HGLOBAL info, HGLOBAL bits) {
    const SIZE_T infoSize = info ? GlobalSize(info) : 0;
    const SIZE_T bitsSize = bits ? GlobalSize(bits) : 0;
    bool valid = infoSize >= sizeof(BITMAPINFOHEADER);
    std::uint64_t stride = 0;
    std::uint32_t colours = 0;
    if (valid) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(info);
        const std::int32_t depth = header->biBitCount;
        const std::int64_t height = header->biHeight < 0 ? -static_cast<std::int64_t>(header->biHeight)
                                                         : header->biHeight;
        valid = header->biSize == sizeof(BITMAPINFOHEADER) && header->biWidth > 0 && height > 0 &&
                header->biCompression == BI_RGB &&
                (depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32);
        if (valid) {
            if (depth <= 8) {
                colours = header->biClrUsed ? header->biClrUsed : 1u << depth;
                valid = colours <= (1u << depth) &&
                        infoSize >= sizeof(BITMAPINFOHEADER) + static_cast<SIZE_T>(colours) * 4;
            }
            stride = ((static_cast<std::uint64_t>(header->biWidth) * depth + 31) / 32) * 4;
            valid = valid && stride * static_cast<std::uint64_t>(height) <= bitsSize;
        }
    }
    if (!valid) {
        if (info) GlobalFree(info);
        if (bits) GlobalFree(bits);
        return nullptr;
    }
    auto* image = new DecodedImage;
    image->m_info = info;
    image->m_bits = bits;
    image->m_totalSize = static_cast<std::uint32_t>(infoSize + bitsSize);
    image->m_stride = static_cast<std::int32_t>(stride);
    image->m_colours = colours;
    return image;
}

DecodedImage::~DecodedImage() {
    GlobalFree(m_info);
    GlobalFree(m_bits);
    if (m_extraData) GlobalFree(m_extraData);
}

std::int32_t DecodedImage::Height() const {
    const LONG height = Info()->bmiHeader.biHeight;
    return height < 0 ? -height : height;
}

void DecodedImage::SetExtraData(void* data, std::uint32_t size) {
    if (m_extraData && m_extraData != data) GlobalFree(m_extraData);
    m_extraData = data;
    m_extraSize = data ? size : 0;
}

void* DecodedImage::TakeExtraData(bool release) {
    void* data = m_extraData;
    if (release) {
        m_extraData = nullptr;
        m_extraSize = 0;
    }
    return data;
}

void ReleaseObject(DecodedImage* image) {
    if (image && image->DropHolder()) delete image;
}
