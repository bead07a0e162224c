// ScriptCore: the tables, modules, variables and execution context of the SOB script machine.
// ScriptEngineBase adds the module-control commands and ScriptEngine the game's commands.
//
// Modules are position-dependent: each image is copied to its own buffer and every reference in
// it (variables, commands, named symbols, the function library, its own image) is patched to an
// absolute address. The module stack holds, from the bottom, the function library when there is
// one, then MAIN, then each module a call loaded on top.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/util/bit_array.h"
#include "game/script/command_handler.h"
#include "game/script/compiled_code.h"
#include "game/script/script_memory.h"
#include "game/script/sob_exec_context.h"
#include "game/script/variable_table.h"

// One loaded module.
struct ModuleRecord {
    std::vector<std::uint32_t> image;  // words, so that the code is aligned for the machine
    std::uint32_t imageSize = 0;
    std::int32_t flagRecordIndex = -1;  // -1 without flag records
    std::uint32_t instructionSize = 0;
    // Native code of the instructions when the module was loaded for a compiled context. After
    // the image, so that it goes first and can put the image's opcodes back.
    std::unique_ptr<CompiledCode> compiled;
    // The image as script memory, dropped before the image is freed.
    ScriptMemoryRegistration region;

    std::uint8_t* ImageBytes() { return reinterpret_cast<std::uint8_t*>(image.data()); }
};

// Per module of SOB_INIT.DAT: its text-read and choice flags. The last record holds the global
// arrays.
struct ModuleFlagRecord {
    std::string name;
    BitArray readFlags;
    BitArray choiceFlags;
};

// Results of ScriptCore::LoadInitFiles.
enum LoadInitFilesResult : int {
    kInitLoaded = 0,
    kInitAlreadyLoaded = 1,
    kInitNoMemory = 2,
    kInitUserVarBadMagic = 3,
    kInitUserVarBadTerminator = 4,
    kInitLibraryBadMagic = 5,
    kInitLibraryLinkFailed = 6,
    kInitSobInitDamaged = 7,
    kInitUserVarDamaged = 8,
};

// Results of ScriptCore::LoadModule.
enum LoadModuleResult : int {
    kModuleLoaded = 0,
    kModuleFileMissing = 1,
    kModuleBadFile = 2,  // not "SOB0", or no flag record carries the module's name
    kModuleLinkFailed = 3,
};

class ScriptCore {
public:
    static constexpr std::uint32_t kDefaultStackWords = 16384;

    ScriptCore();
    virtual ~ScriptCore();
    ScriptCore(const ScriptCore&) = delete;
    ScriptCore& operator=(const ScriptCore&) = delete;

    // Loads the module file at `path` (see LoadModuleResult) and points the context (null: the
    // core's own) at its start above a 0 mark. ScriptEngineBase fills this slot with a loader
    // that takes a module name.
    virtual int LoadModule(const char* path, SobExecContext* context);
    virtual int UnloadModule();
    // The current module's image, or null.
    virtual std::uint8_t* CurrentCode();
    virtual int PushZero();
    virtual std::uint32_t Call(std::uint32_t address);

    void AddCommand(CommandHandler handler) { m_commands.push_back(handler); }
    void AddNamedSymbol(const char* name, std::uint32_t* address);
    std::uint32_t NamedSymbolCount() const { return static_cast<std::uint32_t>(m_namedSymbols.size()); }
    // The variable named symbol `index` stands for, null when there is none (0 is retTgsExp).
    std::uint32_t* NamedSymbolAddress(std::uint32_t index) const {
        return index < m_namedSymbols.size() ? m_namedSymbols[index].address : nullptr;
    }
    int SetStackSize(std::uint32_t words);

    // Each file missing is skipped; the others are checked and built (see LoadInitFilesResult).
    int LoadInitFiles(const char* initName, const char* varName, const char* libName, bool keepSaveCopy,
                      bool keepAutoSaveCopy);
    // Links a module body (after its magic) into a new record on top of the module stack: 0, or 1
    // when the body is damaged, a fixup names something that does not exist, or its terminator is
    // not 0. A failure leaves the stack, the current image and the current flag record as they were.
    int LinkModule(const std::uint8_t* body, std::size_t length, std::int32_t flagRecordIndex, bool isLibrary);

    SobExecContext& Context() { return m_context; }
    const std::vector<CommandHandler>& Commands() const { return m_commands; }
    std::size_t ModuleCount() const { return m_modules.size(); }
    ModuleRecord& Module(std::size_t index) { return *m_modules[index]; }
    std::uint8_t* LibraryCode() { return m_libraryImage; }
    bool HasLibrary() const { return m_hasLibrary; }
    std::size_t FlagRecordCount() const { return m_flagRecordCount; }
    ModuleFlagRecord& FlagRecord(std::size_t index) { return m_flagRecords[index]; }
    // Index of the current module's flag record, -1 when there is none.
    std::int32_t CurrentFlagRecord() const { return m_currentFlagRecord; }

    void SetSaveFolder(const char* folder) { m_saveFolder = folder ? folder : ""; }
    const std::string& SaveFolder() const { return m_saveFolder; }

    VariableTable& LiveVariables() { return m_live; }
    VariableTable* SaveCopy() { return m_save.get(); }
    VariableTable* AutoSaveCopy() { return m_autoSave.get(); }

    // Bulk operations over the variables that a class selector (1 class 0, 2 class 1, 3 class 2,
    // else all) and a type selector (0 all kinds, 1 kind 0, 2 kind 1, 3 kind 2) pick: 0, or 1
    // when the copy they need does not exist.
    int ClearVariables(std::uint32_t classSelector, std::uint32_t typeSelector);
    int RestoreFromSaveCopy(std::uint32_t classSelector, std::uint32_t typeSelector);
    int StoreToAutoSaveCopy(std::uint32_t classSelector, std::uint32_t typeSelector);
    int RestoreFromAutoSaveCopy(std::uint32_t classSelector, std::uint32_t typeSelector);
    // 0; 1 no auto-save copy; 2 no variable at that address.
    int StoreOneToAutoSaveCopy(std::uint32_t address);
    // The other direction: the auto-save copy's value back into the live variable. 0; 1 no
    // auto-save copy; 2 no variable at that address.
    int RestoreOneFromAutoSaveCopy(std::uint32_t address);
    int MarkVariable(std::uint32_t address);
    std::int32_t FindVariableIndex(std::uint32_t address) const;
    const std::vector<std::uint32_t>& MarkedVariables() const { return m_marked; }
    void ClearMarkedVariables() { m_marked.clear(); }

    // Serialised variables: a selector byte (0 class 1, 1 class 2, else all classes), then per
    // selected variable of kind 0 or 1 its kind byte and its bytes.
    std::uint32_t SerializedVariablesSize(std::uint8_t selector, bool fromAutoSave) const;
    // 0; 1 null cursor; 2 no auto-save copy. Advances the cursor.
    int SerializeVariables(std::uint8_t** cursor, std::uint8_t selector, bool fromAutoSave) const;
    // Reads a block written by SerializeVariables from [*cursor, end): 0, or 1 when the block is
    // cut short or a kind differs from the variable's. Nothing changes unless all of it fits.
    int DeserializeVariables(const std::uint8_t** cursor, const std::uint8_t* end);
    // Whether DeserializeVariables would read the block at [*cursor, end); moves the cursor past
    // it when it would. Changes nothing.
    bool CheckSerializedVariables(const std::uint8_t** cursor, const std::uint8_t* end) const;

    // Flags of the current module (global false) or the global arrays of the last record. Without
    // records, or without a current record, tests answer false and setters do nothing.
    bool TestReadFlag(std::uint32_t n, bool global);
    void SetReadFlag(std::uint32_t n, bool global);
    bool TestChoiceFlag(std::uint32_t n, bool global);
    void SetChoiceFlag(std::uint32_t n, bool global);

    // The variable-group file "TLOG" in the save folder, holding every flag array.
    void SetVariableGroupFileName(const char* name) { m_variableGroupFileName = name ? name : ""; }
    const std::string& VariableGroupFileName() const { return m_variableGroupFileName; }
    // 0; 1 no name or the file cannot be created; 2 no flag records; 3 no memory.
    int WriteVariableGroups(const char* name);
    // 0 (also without flag records); 1 no name or no file; 2 not a variable-group file, or damaged.
    int ReadVariableGroups(const char* name);

protected:
    // Runs before a module is unloaded.
    virtual void BeforeUnload() {}

    // The serialised variables of a selector without the selector byte: appended to `out`, or
    // restored from [cursor, end) (0, or 1 with nothing changed when the block does not match).
    void AppendSelectedVariables(std::uint8_t selector, bool fromAutoSave, std::vector<std::uint8_t>& out) const;
    int RestoreSelectedVariables(std::uint8_t selector, const std::uint8_t*& cursor, const std::uint8_t* end);
    // The end of a block of the selector's variables at `cursor`, or null when it does not match.
    const std::uint8_t* MatchSelectedVariables(std::uint8_t selector, const std::uint8_t* cursor,
                                               const std::uint8_t* end) const;

    // Frees module records from the top down to `keep` records and makes the new top current.
    void PopModulesTo(std::size_t keep);

    std::uint32_t m_retTgsExp = 0;

private:
    struct NamedSymbol {
        std::uint32_t* address;
        std::uint32_t reserved[2];
    };

    int LoadUserVar(const std::vector<std::uint8_t>& file, bool keepSaveCopy, bool keepAutoSaveCopy);
    // Makes the top module's image and flag record current (none when only the library is left).
    void SelectTopModule();
    // Compiles the top module's instructions bound to `context`: false when they do not compile.
    bool CompileTopModule(SobExecContext& context);
    std::int32_t FindFlagRecord(const char* path) const;
    ModuleFlagRecord* FlagRecordFor(bool global);

    SobExecContext m_context;
    std::vector<std::unique_ptr<ModuleRecord>> m_modules;
    std::vector<CommandHandler> m_commands;
    std::vector<NamedSymbol> m_namedSymbols;
    VariableTable m_live;
    // The live area and its text pointer slots as script memory; the slots are read-only.
    ScriptMemoryRegistration m_liveArea;
    ScriptMemoryRegistration m_liveSlots;
    std::unique_ptr<VariableTable> m_save;
    std::unique_ptr<VariableTable> m_autoSave;
    bool m_initFilesLoaded = false;
    bool m_hasLibrary = false;
    std::uint8_t* m_libraryImage = nullptr;
    std::uint8_t* m_currentImage = nullptr;
    std::unique_ptr<ModuleFlagRecord[]> m_flagRecords;
    std::size_t m_flagRecordCount = 0;
    std::int32_t m_currentFlagRecord = -1;
    std::string m_saveFolder;
    std::vector<std::uint32_t> m_marked;
    std::string m_variableGroupFileName;
};
