// ListPart: the choice list of the game's messages, the TGS frame and script screens (part
// type 6). Each row is an image of two to four cells side by side (normal, hover, then the
// pressed cell and the disabled cell when the faces have them) shown one cell at a time by a
// sprite; an optional header picture sits above the rows and a footer below. The rows stack
// at the row height plus the spacing (the spacing counts only without header and footer) and
// the whole list is centred on a line.
//
// Faces: plain (a colour with an alpha, the size given), or built from pictures (files or
// image objects): a face of its own made from an 8-bit overlay mask or plain mask in the style
// colour and alpha, with a 32-bit overlay picture on top, or a 32-bit picture used as it is.
// Every face is cut into the number of cells it was given. Rows copy the row face and draw
// their text into each cell.
//
// Borrowed: the sprite list, the font, the flag array and the image objects given to
// SetFacesFromImages; DropReferencesTo forgets one before its owner deletes it (a dropped
// list takes the list's sprites out, a dropped image object leaves the faces made from it as
// they are). Everything else is owned.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/list_part_base.h"

class SpriteList;

class ListPart : public ListPartBase {
public:
    // The name scripts pass for "no mask, but build a face of its own as with one".
    static const char* const kNoMaskName;

    ListPart();
    ~ListPart() override;

    std::int32_t GetX() override { return m_listX; }
    std::int32_t GetY() override { return m_listTop; }
    // Lays the header, rows and footer out from this top-left corner; 1 without rows.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool visible) override;
    // The first row's sprite; false without rows.
    bool IsVisible() override;
    // 1 without a sprite list.
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override;
    // The first row's sprite; 0 without rows.
    std::uint8_t GetAlpha() override;
    void DropReferencesTo(const void* object) override;

    void ClearItems() override;
    std::int32_t AddItem(const char* text, const char* tooltip, bool disabled, std::int32_t value,
                         const char* text1, std::int32_t actionValue, const char* text2, CallerWord activatedOut,
                         CallerWord enteredOut, CallerWord leftOut) override;
    std::int32_t SetRowState(std::int32_t row, std::int32_t state) override;
    bool GetRowPointerPosition(std::int32_t row, std::int32_t* x, std::int32_t* y) override;
    bool HitFrame(std::int32_t x, std::int32_t y) override;
    std::int32_t RowAt(std::int32_t x, std::int32_t y) override;

    virtual void ReleaseFaces();
    // 0; 1 a width or height below 1; 2, 3 the header or footer image could not be made. A
    // header or footer height below 1 makes none.
    virtual std::int32_t SetPlainFaces(std::int32_t width, std::int32_t height, std::int32_t headerHeight,
                                       std::int32_t footerHeight);
    // Faces from picture files: cells 1-4 (a pressed or disabled cell needs at least 3, both
    // need 4) and at least one row file named, else 1. Masks are 8-bit, faces 32-bit; a mask
    // name of kNoMaskName loads nothing but gives the face a picture of its own. The header
    // and the footer are made when one of their files is named. 0; a failing step gives its
    // number (row 2-8, header 9-15, footer 16-22: overlay mask load, face made at its size,
    // plain mask load, face made at its size, face file load as the overlay, face made at its
    // size, face file load as the face) or -1, with every face released.
    virtual std::int32_t SetFacesFromFiles(std::int32_t cells, bool hasPressed, bool hasDisabled, const char* face,
                                           const char* overlayMask, const char* plainMask, const char* headerFace,
                                           const char* headerOverlayMask, const char* headerPlainMask,
                                           const char* footerFace, const char* footerOverlayMask,
                                           const char* footerPlainMask);
    // The style colour counts by its low 24 bits. -1 when all three are as they were; else the
    // faces are built again and 0.
    virtual std::int32_t SetStyle(std::uint8_t overlayMode, std::uint32_t colour, std::uint8_t alpha);
    // Moves every sprite of the list into another list (or out of any, for null).
    virtual void SetSpriteList(SpriteList* list);
    // Clears the list; 1 without a font. Plain rows are width x height.
    virtual std::int32_t Create(SpriteList* spriteList, std::int32_t priority, std::int32_t x, std::int32_t centreY,
                                std::int32_t width, std::int32_t height, std::int32_t spacing, Font* font,
                                std::int32_t tag);
    virtual void RedrawPlain(bool colourChanged, bool alphaChanged);
    // As SetFacesFromFiles with image objects (null or without pixels: not given), which stay
    // the caller's; a face given without masks is copied. Codes as SetFacesFromFiles's
    // "made" steps.
    virtual std::int32_t SetFacesFromImages(std::int32_t cells, bool hasPressed, bool hasDisabled, Image* face,
                                            Image* overlayMask, Image* plainMask, Image* headerFace,
                                            Image* headerOverlayMask, Image* headerPlainMask, Image* footerFace,
                                            Image* footerOverlayMask, Image* footerPlainMask);
    // 0; 1 the file cannot be loaded (no read mark then).
    virtual std::int32_t SetReadMarkImage(const char* file);
    virtual void RedrawFaces(bool modeChanged, bool colourChanged, bool alphaChanged);

    // The row's image and sprite; any negative row the header's, a row at or past the count
    // the footer's (null when absent).
    Image* RowImage(std::int32_t row);
    Sprite* RowSprite(std::int32_t row);
    // The row's text, or null.
    char* RowText(std::int32_t row);

    Image* RowFace() const { return m_row.face.get(); }
    Image* HeaderFace() const { return m_header.face.get(); }
    Image* FooterFace() const { return m_footer.face.get(); }
    Image* ReadMark() const { return m_readMark.get(); }
    std::int32_t Cells() const { return m_cells; }
    bool MultiCell() const { return m_multiCell; }
    bool HasPressedCell() const { return m_hasPressedCell; }
    bool HasDisabledCell() const { return m_hasDisabledCell; }
    std::int32_t DisabledCellX() const { return m_disabledCellX; }
    SpriteList* List() const { return m_spriteList; }
    std::uint32_t StyleColour() const { return m_styleColour; }
    std::uint8_t StyleAlpha() const { return m_styleAlpha; }
    bool OverlayMode() const { return m_overlayMode; }

private:
    // A face and the pictures it is built from, for the rows, the header or the footer.
    struct FaceSet {
        std::unique_ptr<Image> face;
        // The face is a picture used as it is: restyling leaves it alone.
        bool direct = false;
        Image* overlay = nullptr;
        Image* overlayMask = nullptr;
        Image* plainMask = nullptr;
        // The pictures loaded from files (the others are image objects, borrowed).
        std::unique_ptr<Image> loaded[3];
        std::string faceFile;
        std::string overlayMaskFile;
        std::string plainMaskFile;
    };
    // The step numbers of one face set's failures, from its base.
    enum FaceStep : std::int32_t {
        kOverlayMaskLoad = 0,
        kFaceFromOverlayMask = 1,
        kPlainMaskLoad = 2,
        kFaceFromPlainMask = 3,
        kOverlayLoad = 4,
        kFaceFromOverlay = 5,
        kFaceLoad = 6,
    };

    bool HasHeader() const { return m_header.face != nullptr; }
    bool HasFooter() const { return m_footer.face != nullptr; }
    std::int32_t HeaderHeight() const { return HasHeader() ? m_header.face->Height() : 0; }
    std::int32_t FooterHeight() const { return HasFooter() ? m_footer.face->Height() : 0; }
    std::int32_t RowHeight() const;
    // From one row's top to the next.
    std::int32_t Step() const;
    // The cells of a row image.
    std::int32_t ImageCells() const;

    static void ResetFaceSet(FaceSet& set);
    std::int32_t LoadFaceSet(FaceSet& set, std::int32_t base, const char* face, const char* overlayMask,
                             const char* plainMask);
    std::int32_t TakeFaceSet(FaceSet& set, std::int32_t base, Image* face, Image* overlayMask, Image* plainMask);
    // The header and footer sprites, the cell settings and the drawing that follow a load; on
    // a failure the faces go.
    std::int32_t FinishFaces(std::int32_t code, std::int32_t cells, bool hasPressed, bool hasDisabled);
    // A sprite showing the first of the face's cells.
    std::int32_t ShowFace(std::unique_ptr<Sprite>& sprite, Image* face);
    void ComposeFace(FaceSet& set, bool modeChanged, bool colourChanged, bool alphaChanged);
    void DirtyFaceSprite(Sprite* sprite);

    // Makes a row image from the current faces: cells n of width w, height h. 0; 2, 3, 4 as
    // AddItem answers.
    std::int32_t MakeRowImage(Image& image, std::int32_t* n, std::int32_t* w, std::int32_t* h);
    void DrawRowTexts(Image& image, std::int32_t row, const char* text, bool disabled, std::int32_t value,
                      std::int32_t n, std::int32_t w, std::int32_t h);
    // Every row again from the current faces, in the state it shows.
    void RebuildRows();
    void Layout();
    void PlaceSprites();
    // Puts a sprite into the sprite list (at the list's priority and tag) when it is in none.
    void Place(Sprite& sprite);

    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    std::int32_t m_cells = 1;
    bool m_multiCell = false;
    std::int32_t m_disabledCellX = 0;
    std::int32_t m_listX = 0;
    std::int32_t m_listTop = 0;
    std::deque<std::unique_ptr<Image>> m_rowImages;
    std::deque<std::unique_ptr<Sprite>> m_rowSprites;
    std::int32_t m_plainWidth = 0;
    std::int32_t m_plainHeight = 0;
    std::int32_t m_plainHeaderHeight = 0;
    std::int32_t m_plainFooterHeight = 0;
    FaceSet m_row;
    FaceSet m_header;
    FaceSet m_footer;
    std::unique_ptr<Image> m_readMark;
    std::unique_ptr<Sprite> m_headerSprite;
    std::unique_ptr<Sprite> m_footerSprite;
};
