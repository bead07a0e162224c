// TgsHost: what the TGS scenario frame (scenario/tgs/) uses of the SOB script machine and the
// application. The scenario sits below the game program, so the frame reaches the machine only
// through this interface; the script engine implements it (game/script/), and the scenario tests
// use a small fake. The host outlives every frame that uses it. Everything here runs on the game
// thread.
//
// Addresses are 32-bit words, as the SOB machine passes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ScriptMemory;

// A SOB execution context of the frame's own (its stack, program counter and accumulator). Made
// by TgsHost::CreateMachine, owned and deleted by the frame.
class TgsSobMachine {
public:
    // Results of Call and Interpret.
    enum : std::uint32_t { kReturned = 0, kYielded = 1, kInvalid = 2 };

    virtual ~TgsSobMachine() = default;
    // Pushes a return mark, runs the code at `address` until it returns or yields.
    virtual std::uint32_t Call(std::uint32_t address) = 0;
    // Resumes after a yield.
    virtual std::uint32_t Interpret() = 0;
    // 0, or 1 when the stack is full (push) or holds no return (pop).
    virtual int PushReturn() = 0;
    virtual int PopReturn() = 0;
    // Empties the stack.
    virtual void Reset() = 0;
};

class TgsHost {
public:
    // The SOB request word's values (set by SOB commands 0-2).
    enum : std::uint32_t { kRequestNone = 0, kRequestJump = 1, kRequestCall = 2, kRequestQuit = 3 };

    virtual ~TgsHost() = default;

    // Link tables of SOB code embedded in TGS text. Counts bound the fixup indexes.
    virtual std::uint32_t VariableCount() = 0;
    // The address of variable `index` and its size in bytes; false when there is none.
    virtual bool Variable(std::uint32_t index, std::uint32_t* address, std::uint32_t* bytes) = 0;
    virtual std::uint32_t CommandCount() = 0;
    virtual std::uint32_t CommandAddress(std::uint32_t index) = 0;
    virtual std::uint32_t SymbolCount() = 0;
    // Named symbol `index` (0 is retTgsExp), null when there is none.
    virtual std::uint32_t* Symbol(std::uint32_t index) = 0;
    // The function library's image and size (0, 0 when there is none).
    virtual std::uint32_t LibraryBase() = 0;
    virtual std::uint32_t LibrarySize() = 0;

    // The SOB request word; the frame clears it after handling a request.
    virtual std::uint32_t& RequestWord() = 0;

    // A new context with a stack of `words` words, or null.
    virtual std::unique_ptr<TgsSobMachine> CreateMachine(std::uint32_t words) = 0;
    // Loads the SOB module `name` (null: the module the pending request names) on top of the
    // machine's module stack and points `machine` at its start: 0, else failure.
    virtual int LoadSobModule(const char* name, TgsSobMachine& machine) = 0;
    // Frees the module loaded last.
    virtual void UnloadSobModule() = 0;

    // The six start-parameter words command 794 wrote (addresses of SOB variables, or 0).
    virtual std::uint32_t StartParameter(int index) = 0;
    // The application's frame function: 0 when the game is quitting.
    virtual int RunFrame() = 0;
    // Whether the player asked to return to the title.
    virtual bool ReturnToTitlePending() = 0;
    // The save folder, ending in '\'.
    virtual std::string SaveFolder() = 0;

    // Script memory: the checks before the frame reads or writes a word a script handed over,
    // and the regions the frame's own blocks add while they live.
    virtual ScriptMemory& Memory() = 0;
    virtual bool IsReadable(std::uint32_t address, std::uint32_t size) = 0;
    // The length of the text at `address` inside script memory; false when it does not end
    // within `limit` bytes there.
    virtual bool TextLength(std::uint32_t address, std::size_t* length, std::size_t limit) = 0;
    virtual void RegisterMemory(const void* start, std::size_t size, bool writable) = 0;
    virtual void UnregisterMemory(const void* start) = 0;

    // Replaces a file of the save folder atomically; false when it cannot be written.
    virtual bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;
    // Shows a message box with the stop icon and an OK button, and waits for it.
    virtual void ShowStopMessage(const char* text) = 0;
};
