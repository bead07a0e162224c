// DirectDrawImage: a picture held in a DirectDraw surface, for the device drawables that draw it
// with BltFast or Blt and a source colour key. It is made blank at a size, or loaded from an
// image file or a memory image; ELG data is decoded straight into the surface when the surface
// is xRGB with rows of exactly four bytes a pixel, anything else goes through the image-loader
// host into a DIB and then into the surface (by GDI, or by a converter for the surface's format).
//
// Video memory can be lost, so the image remembers how it was made (its file, or its fill colour,
// and its colour key) and rebuilds itself in Restore.
//
// Every surface is made with CurrentDirectDrawDevice: its IDirectDraw7, its display depth (a
// plain image of odd width on a 24-bit display gets one more column, which Width does not count)
// and whether it manages textures (DDCAPS2_CANMANAGETEXTURE of its hardware caps: textures then
// ask for DDSCAPS2_TEXTUREMANAGE, else for system memory).
//
// Every lock waits for blits of the surface still in progress (DDLOCK_WAIT): the sprites blit
// without waiting, and a lock that gave up would read as a missing pixel or fail a load.
//
// The image owns one reference to its surface. Used on the thread that owns the screen device.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/image/direct_draw_backed.h"

class DecodedImage;
class DirectDrawDevice;
class Image;
struct ElgHeader;

// What Load reads: a file (through the file system and the host's cache), or, without a name,
// size bytes of data in memory.
struct LoadSource {
    const char* fileName;
    const std::uint8_t* data;
    std::uint32_t size;
    std::uint8_t systemMemory;
};

class DirectDrawImage : public WithDeletingDestructor<DirectDrawImage, DirectDrawBacked> {
public:
    // A device given becomes CurrentDirectDrawDevice; null keeps the current one.
    explicit DirectDrawImage(DirectDrawDevice* device = nullptr);
    ~DirectDrawImage();
    DirectDrawImage(const DirectDrawImage&) = delete;
    DirectDrawImage& operator=(const DirectDrawImage&) = delete;

    SurfaceKind XM_METHOD Kind() override { return kSurfaceDirectDrawImage; }
    // The pixels are not in memory the program may address outside a lock.
    std::uint8_t* XM_METHOD Bits() override { return nullptr; }
    std::uint8_t* XM_METHOD Row(std::int32_t) override { return nullptr; }
    // 0; 1 no surface; 2 the pixel format is not recognised; 3 DirectDraw refused the key.
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t red, std::int32_t green,
                                           std::int32_t blue) override;
    // 0; 1 the pixel cannot be read; 2 DirectDraw refused the key.
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override;
    // The key as a raw pixel value of the surface, -1 none.
    std::int32_t XM_METHOD ColourKey() override { return m_keyValue; }
    // 0; 1 no surface; 2 refused.
    std::int32_t XM_METHOD ClearColourKey() override;
    // Rebuilds the picture (only when the surface reports itself lost, if asked): 0; 1 reloading
    // failed; 2 no memory for the name; 3 the blank surface cannot be made; 4 the refill failed;
    // 5 or 6 the colour key (from a colour, from a pixel) cannot be set again.
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }

    // 0; 1 no device, a size not positive, or a texture without pixelFormat; 2 the device has no
    // DirectDraw object; 3 CreateSurface failed; 4 the surface description cannot be read. A
    // null pixelFormat asks for the display's format. A plain image records ARGB 1-5-5-5 as
    // 5-5-5 and ARGB 32-bit as xRGB: it is drawn with a colour key, never blended.
    std::int32_t Create(std::int32_t width, std::int32_t height, bool systemMemory, bool texture,
                        const DDPIXELFORMAT* pixelFormat);
    // 0; 1 the file is missing or unreadable, or neither file nor data was given; 2 no
    // image-loader host, or the picture cannot be decoded (a damaged ELG stream included); 3 the
    // surface cannot be made; 4 the surface cannot be locked or its device context cannot be
    // had; 5 the pixels cannot be written; 6 any other failure. On failure the image is empty.
    std::int32_t Load(LoadSource source);
    // 0; 1 no surface; 2 the fill failed. The picture is refilled, not reloaded, from now on.
    std::int32_t FillColour(std::int32_t red, std::int32_t green, std::int32_t blue);
    // The raw pixel masked to its colour bits; -1 outside, without a surface, when the lock
    // fails or for a bit count other than 8, 16, 24 or 32.
    std::int32_t GetPixel(std::int32_t x, std::int32_t y);
    // sourceRect of image (null: its clip rectangle) to (x, y), clipped to this image's clip
    // rectangle. lockedDescription: the surface already locked by the caller. 0 copied or nothing
    // visible; 1 no surface, no image or no pixels; 2 the lock failed or the palette cannot be
    // made; 3 a format the converters cannot write.
    std::int32_t CopyFromImage(Image* image, std::int32_t x, std::int32_t y,
                               const RECT* sourceRect, const DDSURFACEDESC2* lockedDescription);
    // Writes a decoded picture of the image's size into the surface: 0; 1 the lock failed; 2 the
    // format has no converter (8-bit and unrecognised formats) or the conversion failed.
    std::int32_t ConvertDecoded(const DecodedImage* picture);
    // Clears the bits of 16- and 32-bit pixels outside the colour masks: 0; 1 no surface; 2 the
    // lock failed; 3 another bit count carries such bits.
    std::int32_t ClearNonColourBits();
    // Releases the surface and forgets how the picture was made.
    void Free();

    // The file the picture came from (the resolved path when the host's cache is on), or null.
    const char* FileName() const { return m_fileName; }
    std::int32_t FormatCode() const { return m_formatCode; }
    std::int32_t KeyPixelX() const { return m_keyPixelX; }
    std::int32_t KeyPixelY() const { return m_keyPixelY; }
    // 0x00RRGGBB of the last fill, -1 none.
    std::int32_t FillColourValue() const { return m_fillColour; }
    bool SystemMemory() const { return m_systemMemory != 0; }
    bool InVideoMemory() const { return m_inVideoMemory != 0; }

protected:
    // A picture read for Load: its bytes (the file's, kept open here, or the caller's), whether
    // they are ELG data (and then its checked header), or the picture the host decoded (or
    // found in its cache), released with this. cacheName: the name the cache knows it by.
    struct PictureSource {
        PictureSource() = default;
        ~PictureSource();
        PictureSource(const PictureSource&) = delete;
        PictureSource& operator=(const PictureSource&) = delete;

        const char* name = nullptr;
        const char* cacheName = nullptr;
        char path[260] = "";
        const std::uint8_t* data = nullptr;
        std::uint32_t size = 0;
        bool elg = false;
        ElgHeader* header = nullptr;
        DecodedImage* decoded = nullptr;
        std::int32_t width = 0;
        std::int32_t height = 0;
        void* file = nullptr;
    };
    // Reads the picture as Load does (the host's cache when it is on, the file, or the data)
    // and sizes it: 0; 1 the file is missing or unreadable, or nothing was given; 2 no host, or
    // the picture cannot be decoded (ELG data is only checked here).
    std::int32_t ReadPicture(const LoadSource& source, PictureSource& picture);
    // Decodes ELG data by the host's ELG loader and caches it: 0, or 2.
    std::int32_t DecodeElgByHost(PictureSource& picture);
    bool LockWaiting(DDSURFACEDESC2* locked, DWORD flags);
    bool KeepFileName(const char* name);

    IDirectDrawSurface7* m_surface = nullptr;
    char* m_fileName = nullptr;
    std::int32_t m_formatCode = 0;
    std::int32_t m_keyPixelX = -1;
    std::int32_t m_keyPixelY = -1;
    std::int32_t m_keyValue = -1;
    std::int32_t m_fillColour = -1;
    std::uint8_t m_systemMemory = 0;
    std::uint8_t m_inVideoMemory = 0;

private:
    std::int32_t LoadUnguarded(const LoadSource& source);
    // Decodes ELG data straight into the locked surface: 0, 2 broken, 4 the lock failed.
    std::int32_t DecodeElgInPlace(const ElgHeader& header, const std::uint8_t* data,
                                  std::uint32_t size);
    // Writes a decoded picture by GDI or by a converter: 0, 4, 5 or the converter's code + 3.
    std::int32_t WriteDecoded(const DecodedImage& picture);
};
