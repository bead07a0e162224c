// Surface resolution: from a surface word to what drawing commands draw on. Screens (surface
// kinds 7 to 10) hold a back buffer whose image is the drawing target and whose optional canvas
// composites sprites onto it. Every routine gives none for a word that names no live surface.
#pragma once

#include <cstdint>

class Canvas;
class Image;
class ScreenBuffer;

// Kind 4: the image itself; kinds 7 to 10: the back buffer's image; else none.
Image* ImageOfSurface(std::uint32_t surface);
ScreenBuffer* BackBufferOfScreen(std::uint32_t surface);
// None also for a screen made without a canvas.
Canvas* CanvasOfScreen(std::uint32_t surface);
// For a screen writes its canvas into canvasOut (when not null) and returns the back buffer;
// else none, canvasOut untouched.
ScreenBuffer* CanvasAndBackBufferOfScreen(std::uint32_t surface, Canvas** canvasOut);
