#include "graphics/compose/gdi_blit.h"

GdiBitBltFunc g_gdiBitBlt = &BitBlt;
