// How the file commands read and write through script words, by the script memory's rules: a
// text is read to its terminator where the script may read, a destination lies in writable
// script memory, and string results go through the bounded writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/script/script_fault.h"
#include "game/script/script_memory.h"

namespace file_script_words {

// Thrown after the script fault is raised, so that the command stops at once; the command's
// guard turns it into its failure value.
struct BadScriptWord {};

[[noreturn]] inline void Fault() {
    RaiseScriptFault();
    throw BadScriptWord{};
}

inline std::uint32_t AddressWord(const void* address) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
}

// A text argument; null for 0 and for a word that is no readable, terminated text (the commands
// then answer as for a null name).
const char* Text(std::uint32_t word);

// An out word the command needs: a null or bad one raises the script fault.
void RequireOut(std::uint32_t word);

// An out value that may be left out: nothing for 0 or a word that is no writable memory.
template <class T>
void PutOptionalOut(std::uint32_t word, T value) {
    if (word == 0 || !script_memory::IsWritable(word, sizeof(T))) return;
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(word)), &value, sizeof(T));
}

// The 32-bit word at a writable address; false for 0 or a bad word.
bool ReadWord(std::uint32_t word, std::uint32_t* value);

// A string result (cut to the room at a whole character, terminated); nothing for 0; a bad
// destination raises the script fault.
void WriteText(std::uint32_t word, const char* text);
// A path result, which a cut would turn into another name: true when the text with its
// terminator fits the room at the word.
bool FitsWhole(std::uint32_t word, const char* text);
// Writes the text only when it fits whole.
void WriteWholeText(std::uint32_t word, const char* text);

// Bytes the script names for a read into (writable) or a write from (readable): null unless
// all `size` bytes lie in one region.
void* WritableBytes(std::uint32_t word, std::uint32_t size);
const void* ReadableBytes(std::uint32_t word, std::uint32_t size);

// Copies the text at the word into buffer (capacity bytes with the terminator), cut at a whole
// character; an empty text for 0 or a bad word.
void CopyTextIn(std::uint32_t word, char* buffer, std::size_t capacity);

}  // namespace file_script_words
