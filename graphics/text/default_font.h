// The font that text images use when they are given none. Set by the script command that
// chooses it; the screen device clears it when it deletes that font.
#pragma once

class Font;

extern Font* DefaultFont;
