// Where AntialiasFont gets glyph bitmaps and advance widths: GDI in the program, a synthetic
// source in tests (made-up bitmaps, injected failures).
#pragma once

#include <windows.h>

class GlyphSource {
public:
    virtual DWORD GlyphOutline(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics,
                               DWORD size, void* buffer, const MAT2* matrix) = 0;
    virtual BOOL TextExtent(HDC dc, const char* text, int length, SIZE* size) = 0;

protected:
    ~GlyphSource() = default;
};

GlyphSource& GdiGlyphSource();
