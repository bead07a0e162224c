#include "graphics/text/glyph.h"

void (*g_glyphFreeHook)(Glyph* glyph) = nullptr;

void ReleaseGlyph(Glyph* glyph) {
    if (glyph == nullptr) {
        return;
    }
    if (glyph->extraRefs > 0) {
        --glyph->extraRefs;
        return;
    }
    if (g_glyphFreeHook != nullptr) {
        g_glyphFreeHook(glyph);
    }
    delete[] glyph->bits;
    delete glyph;
}
