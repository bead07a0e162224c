// The instruction executor's state inside the TGS frame.
#pragma once

#include <cstdint>
#include <string>

struct TgsExecutorState {
    static constexpr std::uint32_t kOutputSize = 4096;

    // The opcode while a handler runs, then its result.
    std::int32_t result = 0;
    // A NUL-terminated text the run loop copies into the output one character at a time.
    const char* pendingText = nullptr;
    // Characters and embedded commands waiting for a text op; what does not fit is dropped
    // whole (never half a character or command).
    char output[kOutputSize] = {};
    std::uint32_t outputLength = 0;
    bool inText = false;
    std::uint32_t operandCount = 0;
    std::uint32_t skipChain = 0;
    // Set when the text turned out damaged: the run then ends with kTgsDamagedScript.
    bool damaged = false;
    // A system script's jump freed its module and the next one did not load.
    bool sobModuleFreed = false;
    // Module and label names of a call, jump or return, copied out of the text before the module
    // holding them may be freed.
    std::string moduleName;
    std::string labelName;
};
