// The background layer effects' assist functions are handed a screen and work on its buffer;
// the frame holds buffers and asks for the screen. Both ways go through the screen classes
// themselves (each holds its buffer beside its Surface side), never through fixed offsets.
#pragma once

class ScreenBuffer;
class Surface;

// The buffer of a screen surface (kinds 7 to 10); null for null or any other kind.
ScreenBuffer* ScreenToScreenBuffer(Surface* screen);
// The screen a buffer belongs to, by the buffer's own kind (7 to 10); null otherwise.
Surface* ScreenBufferToScreen(ScreenBuffer* buffer);
