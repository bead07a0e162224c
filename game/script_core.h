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

#include "game/command_handler.h"
#include "game/sob_exec_context.h"
#include "game/sob_module_format.h"
#include "game/variable_table.h"

// One loaded module.
struct ModuleRecord {
    std::vector<std::uint32_t> image;  // words, so that the code is aligned for the machine
    std::uint32_t imageSize = 0;
    std::int32_t flagRecordIndex = -1;  // -1 without flag records
    std::uint32_t instructionSize = 0;

    std::uint8_t* ImageBytes() { return reinterpret_cast<std::uint8_t*>(image.data()); }
};

// Per module of SOB_INIT.DAT: the sizes of its text-read and choice flag arrays.
struct ModuleFlagRecord {
    std::string name;
    std::uint16_t readFlagCount = 0;
    std::uint16_t choiceFlagCount = 0;
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

    // Loads SCRIPT\<name>.SOB-style paths; context null = the core's own.
    virtual int LoadModule(const char* path, SobExecContext* context);
    virtual int UnloadModule();
    // The current module's image, or null.
    virtual std::uint8_t* CurrentCode();
    virtual int PushZero();
    virtual std::uint32_t Call(std::uint32_t address);

    void AddCommand(CommandHandler handler) { m_commands.push_back(handler); }
    void AddNamedSymbol(const char* name, std::uint32_t* address);
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
    const std::vector<ModuleFlagRecord>& FlagRecords() const { return m_flagRecords; }
    // Index of the current module's flag record, -1 when there is none.
    std::int32_t CurrentFlagRecord() const { return m_currentFlagRecord; }

    void SetSaveFolder(const char* folder) { m_saveFolder = folder ? folder : ""; }
    const std::string& SaveFolder() const { return m_saveFolder; }

    VariableTable& LiveVariables() { return m_live; }
    VariableTable* SaveCopy() { return m_save.get(); }
    VariableTable* AutoSaveCopy() { return m_autoSave.get(); }

protected:
    // Runs before a module is unloaded.
    virtual void BeforeUnload() {}

    // Frees module records from the top down to `keep` records and makes the new top current.
    void PopModulesTo(std::size_t keep);

    std::uint32_t m_retTgsExp = 0;

private:
    struct NamedSymbol {
        std::uint32_t* address;
        std::uint32_t reserved[2];
    };

    // Reads a whole file of the game; false when it cannot be read.
    static bool ReadGameFile(const char* name, std::vector<std::uint8_t>& bytes);
    int LoadUserVar(const std::vector<std::uint8_t>& file, bool keepSaveCopy, bool keepAutoSaveCopy);
    // Makes the top module's image and flag record current (none when only the library is left).
    void SelectTopModule();
    std::int32_t FindFlagRecord(const char* path) const;

    SobExecContext m_context;
    std::vector<std::unique_ptr<ModuleRecord>> m_modules;
    std::uint32_t m_stackWords = kDefaultStackWords;
    std::vector<CommandHandler> m_commands;
    std::vector<NamedSymbol> m_namedSymbols;
    VariableTable m_live;
    std::unique_ptr<VariableTable> m_save;
    std::unique_ptr<VariableTable> m_autoSave;
    bool m_initFilesLoaded = false;
    bool m_hasLibrary = false;
    std::uint8_t* m_libraryImage = nullptr;
    std::uint8_t* m_currentImage = nullptr;
    std::vector<ModuleFlagRecord> m_flagRecords;
    std::int32_t m_currentFlagRecord = -1;
    std::string m_saveFolder;
};
