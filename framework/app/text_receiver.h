// TextReceiver: the game's text-entry side, which takes the typed key and text once per frame.
#pragma once

#include <cstdint>

class TextReceiver {
public:
    virtual ~TextReceiver() = default;
    virtual std::uint8_t TakeKey(std::uint8_t key) = 0;
    virtual std::uint8_t TakeText(const char* text, std::uint32_t length) = 0;
};
