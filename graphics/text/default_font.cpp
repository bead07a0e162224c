#include "graphics/text/default_font.h"

Font* DefaultFont = nullptr;
