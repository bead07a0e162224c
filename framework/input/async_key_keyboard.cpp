#include "framework/input/async_key_keyboard.h"

#include "framework/input/key_code_table.h"

AsyncKeyKeyboard::AsyncKeyKeyboard(InputPlatform& platform) : KeyboardDevice(platform) {}

std::int32_t AsyncKeyKeyboard::Poll() {
    PollRows(nullptr, kKeyCodeTableRows);
    return 0;
}

void AsyncKeyKeyboard::PollRows(const std::uint8_t* rows, std::size_t count) {
    std::uint8_t* half = WritingHalf();
    for (std::size_t i = 0; i < count; ++i) {
        const KeyCodePair& pair = KeyCodeTable[rows ? rows[i] : i];
        const auto state = static_cast<std::uint16_t>(m_platform.GetAsyncKeyState(pair.virtualKey));
        half[pair.directInputCode] = static_cast<std::uint8_t>(state >> 8);
    }
    Flip();
}

AsyncKeySubsetKeyboard::AsyncKeySubsetKeyboard(InputPlatform& platform)
    : AsyncKeyKeyboard(platform) {}

std::int32_t AsyncKeySubsetKeyboard::Poll() {
    PollRows(AsyncKeySubset, kAsyncKeySubsetRows);
    return 0;
}
