#include "game/commands/file_script_words.h"

#include <string>

#include "game/commands/script_string_writer.h"

namespace file_script_words {

const char* Text(std::uint32_t word) {
    std::size_t length = 0;
    if (word == 0 || !script_memory::TextLength(word, &length)) return nullptr;
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(word));
}

void RequireOut(std::uint32_t word) {
    if (word == 0 || script_memory::WritableRoom(word) == 0) Fault();
}

bool ReadWord(std::uint32_t word, std::uint32_t* value) {
    if (word == 0 || !script_memory::IsWritable(word, sizeof(std::uint32_t))) return false;
    std::memcpy(value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word)), sizeof(std::uint32_t));
    return true;
}

void WriteText(std::uint32_t word, const char* text) {
    if (word == 0) return;
    if (WriteScriptString(word, text, std::strlen(text)) < 0) Fault();
}

bool FitsWhole(std::uint32_t word, const char* text) {
    return word != 0 && script_memory::WritableRoom(word) > std::strlen(text);
}

void WriteWholeText(std::uint32_t word, const char* text) {
    if (FitsWhole(word, text)) WriteScriptString(word, text, std::strlen(text));
}

void* WritableBytes(std::uint32_t word, std::uint32_t size) {
    if (word == 0 || !script_memory::IsWritable(word, size)) return nullptr;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(word));
}

const void* ReadableBytes(std::uint32_t word, std::uint32_t size) {
    if (word == 0 || !script_memory::IsReadable(word, size)) return nullptr;
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word));
}

void CopyTextIn(std::uint32_t word, char* buffer, std::size_t capacity) {
    buffer[0] = '\0';
    const char* const text = Text(word);
    if (!text || capacity == 0) return;
    const std::size_t length = WholeCharacterPrefix(text, std::strlen(text), capacity - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

}  // namespace file_script_words
