// TgsScript: the host of TGS scenario modules under the TGS frame. It loads .TOB modules (onto
// the call-loaded stack, or into the resident list), resolves labels, keeps the program counter,
// the return stack and the operand area, and owns the per-module read and choice flags of
// TGS_INIT.DAT, which persist in TEXT_LOG.DAT in the save folder.
//
// Module images are script memory while they live (SOB code inside the text runs from them).
// Nothing is thrown out of this class: every operation reports by a code or a null pointer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/util/byte_cursor.h"
#include "scenario/tgs/tgs_module.h"

class TgsHost;

// Results of loading a module (TgsScript::LoadTob).
enum TgsLoadResult : int {
    kTgsLoaded = 0,
    kTgsFileMissing = 1,
    kTgsBadMagic = 2,
    kTgsNotListed = 3,
    kTgsDamagedModule = 4,  // a table or offset of the file lies outside it
};

// How a call, jump or return went, for the executor: a failure ends the run with 0, damage (an
// offset outside the text, a full return stack) with the damaged-script result.
enum class TgsMove { kDone, kFailed, kDamaged };

struct TgsReturnEntry {
    std::int32_t module;  // -2 the caller's own module, -1 the call-loaded top, else resident index
    std::uint32_t offset;
};

// The modules and where the script stands.
struct TgsModuleSet {
    static constexpr std::uint32_t kReturnDepth = 128;

    std::vector<std::unique_ptr<TgsModule>> callLoaded;
    std::vector<std::unique_ptr<TgsModule>> resident;
    TgsModule* current = nullptr;
    std::int32_t currentIndex = -1;
    TgsReturnEntry returns[kReturnDepth] = {};
    std::uint32_t returnDepth = 0;
    std::uint8_t* pc = nullptr;
};

struct TgsOperandArea {
    static constexpr std::uint32_t kWords = 4096;
    std::uint32_t words[kWords] = {};
    std::uint32_t top = 0;
};

// TGS_INIT.DAT's table and the files.
struct TgsFlagTable {
    bool present = false;
    std::vector<std::unique_ptr<TgsModuleFlags>> entries;
    TgsModuleFlags* current = nullptr;
    std::string scriptFolder = "SCRIPT\\";
    std::string saveFolder;
    std::string textLogName;
};

// A file image as the module loader gets it; `keeper` owns the bytes.
struct TgsFileImage {
    std::shared_ptr<void> keeper;
    std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
};
// Loads a whole file by name: false when it cannot be read.
using TgsFileSource = std::function<bool(const std::string& path, TgsFileImage& image)>;

class TgsScript {
public:
    explicit TgsScript(TgsHost& host);
    virtual ~TgsScript();
    TgsScript(const TgsScript&) = delete;
    TgsScript& operator=(const TgsScript&) = delete;

    // TGS_INIT.DAT: 0; 1 the file is missing (no table); 2 damaged (no table).
    virtual int LoadInitFile(const char* name);
    // 0; 1 a call-loaded module remains; else the load code + 1.
    virtual int StartScript(const char* name);
    // Op 10: the load code.
    virtual int LoadModule(const char* name);
    // Op 11: 0; 1 no resident module; 2 not found; 3 current or named by a return entry.
    virtual int UnloadModule(const char* name);
    // The new program counter, or null.
    virtual std::uint8_t* CallLabel(const char* module, const char* label, std::int32_t offset);
    virtual std::uint8_t* JumpLabel(const char* module, const char* label, std::int32_t offset);
    virtual std::uint8_t* ReturnFromCall(const char* module, const char* label, std::int32_t offset);
    // Module state: the bytes SaveState writes.
    virtual std::uint32_t StateSize();
    // 0; 1 null cursor or no current module; 4 the cursor has no room.
    virtual int SaveState(ByteCursor* cursor);
    // 0; 1 null cursor; 2 a module fails to load; 3 a module index names no module; 4 the bytes
    // are damaged (cut short, a count or offset outside its module, a return stack deeper than
    // 128). Nothing changes unless it all loads.
    virtual int LoadState(ByteCursor* cursor);

    void SetScriptFolder(const char* folder) { m_flags.scriptFolder = folder ? folder : ""; }
    void SetSaveFolder(const char* folder) { m_flags.saveFolder = folder ? folder : ""; }
    void SetTextLogName(const char* name) { m_flags.textLogName = name ? name : ""; }
    // 0 written; 1 no name, or the file cannot be written; 2 no table.
    int SaveTextLog(const char* name);
    // 0 (also without a table); 1 the file cannot be read; 2 damaged (no flag changes).
    int LoadTextLog(const char* name);
    bool TestReadFlag(std::uint32_t n);
    int SetReadFlag(std::uint32_t n);
    // Label offsets, -1 when absent.
    std::int64_t FindLabel(const TgsModule& module, const char* name) const;
    std::int64_t FindNumberedLabel(const TgsModule& module, std::uint32_t n) const;
    // Read-flag bit counts of a module by name (case-blind), or over all modules (null).
    std::uint32_t FlagTotal(const char* name) const;
    std::uint32_t FlagSetCount(const char* name) const;
    bool AllFlagsSet(const char* name) const;
    // Frees every module and empties the return stack and the operand area.
    void ReleaseModules();

    // Test seam: where module files come from (default: the virtual file system).
    void SetFileSource(TgsFileSource source) { m_fileSource = std::move(source); }

    const TgsModuleSet& Modules() const { return m_modules; }
    TgsModuleFlags* CurrentFlags() const { return m_flags.current; }
    const TgsFlagTable& FlagTable() const { return m_flags; }
    std::uint8_t* Pc() const { return m_modules.pc; }

protected:
    // ---- module host ----
    int LoadTob(const char* name, bool ontoStack);
    // Makes the named module current (resident, or loaded onto the stack): false on failure.
    bool FindModule(const char* name);
    void SelectCurrent(TgsModule* module, std::int32_t index);
    TgsMove Call(const std::string* module, const std::string* label, std::int32_t offset, std::uint8_t*& target);
    TgsMove Jump(const std::string* module, const std::string* label, std::int32_t offset, std::uint8_t*& target);
    TgsMove Return(const std::string* module, const std::string* label, std::int32_t offset, std::uint8_t*& target);
    TgsMove Target(const std::string* label, std::int64_t offset, std::uint8_t*& target);
    void PopCallLoaded();
    std::unique_ptr<TgsModule> ReadModule(const std::string& name, int& code);
    void Forget(std::unique_ptr<TgsModule>& module);

    TgsHost& m_host;
    TgsModuleSet m_modules;
    TgsOperandArea m_operands;
    TgsFlagTable m_flags;
    TgsFileSource m_fileSource;
};
