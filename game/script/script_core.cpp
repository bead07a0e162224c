#include "game/script/script_core.h"

#include <cstring>
#include <new>

#include "framework/files/path_utilities.h"
#include "framework/files/shift_jis.h"
#include "game/script/script_address.h"
#include "game/script/script_files.h"
#include "game/script/sob_module_format.h"

namespace {

// The module name of a script path: the file name without its extension, upper-cased. The
// second byte of a two-byte character is not a letter to change.
std::string ModuleNameOf(const char* path) {
    char name[kPathCapacity];
    SplitPathPart(path, name, 0);
    StripExtension(name, nullptr);
    for (char* p = name; *p != '\0'; ++p) {
        if (IsShiftJisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;
        } else if (*p >= 'a' && *p <= 'z') {
            *p = static_cast<char>(*p - 'a' + 'A');
        }
    }
    return name;
}

}  // namespace

ScriptCore::ScriptCore() {
    SetStackSize(kDefaultStackWords);
    AddNamedSymbol("retTgsExp", &m_retTgsExp);
}

ScriptCore::~ScriptCore() {
    if (!m_variableGroupFileName.empty()) {
        WriteVariableGroups(nullptr);
    }
}

void ScriptCore::AddNamedSymbol(const char* /*name*/, std::uint32_t* address) {
    // Compiled modules name symbols by number; the name documents the entry only.
    m_namedSymbols.push_back({address, {0, 0}});
}

int ScriptCore::SetStackSize(std::uint32_t words) {
    return m_context.AllocateStack(words);
}

int ScriptCore::LoadInitFiles(const char* initName, const char* varName, const char* libName, bool keepSaveCopy,
                              bool keepAutoSaveCopy) {
    if (m_initFilesLoaded) {
        return kInitAlreadyLoaded;
    }
    m_initFilesLoaded = true;
    std::vector<std::uint8_t> file;
    if (initName && ReadWholeFile(initName, file)) {
        std::vector<SobInitRecord> records;
        if (!ParseSobInit(file.data(), file.size(), records)) {
            return kInitSobInitDamaged;
        }
        m_flagRecords.reset();
        m_flagRecordCount = 0;
        if (!records.empty()) {
            std::unique_ptr<ModuleFlagRecord[]> flagRecords(new (std::nothrow) ModuleFlagRecord[records.size()]);
            if (!flagRecords) {
                return kInitNoMemory;
            }
            for (std::size_t i = 0; i < records.size(); ++i) {
                ModuleFlagRecord& flags = flagRecords[i];
                flags.name = records[i].name;
                // An empty array (a count of 0) is allowed; only a failed allocation is an error.
                if (flags.readFlags.Create(records[i].readFlagCount) == 2 ||
                    flags.choiceFlags.Create(records[i].choiceFlagCount) == 2) {
                    return kInitNoMemory;
                }
            }
            m_flagRecords = std::move(flagRecords);
            m_flagRecordCount = records.size();
        }
    }
    if (varName && ReadWholeFile(varName, file)) {
        const int result = LoadUserVar(file, keepSaveCopy, keepAutoSaveCopy);
        if (result != kInitLoaded) {
            return result;
        }
    }
    if (libName && ReadWholeFile(libName, file)) {
        if (!HasMagic(file, "SOB2")) {
            return kInitLibraryBadMagic;
        }
        if (LinkModule(file.data() + 4, file.size() - 4, 0, true) != 0) {
            return kInitLibraryLinkFailed;
        }
        // Compiled modules reach the library through native addresses in its opcode words.
        if (m_context.UsesCompiled() && !CompileTopModule(m_context)) {
            PopModulesTo(m_modules.size() - 1);
            return kInitLibraryLinkFailed;
        }
    }
    return kInitLoaded;
}

int ScriptCore::LoadUserVar(const std::vector<std::uint8_t>& file, bool keepSaveCopy, bool keepAutoSaveCopy) {
    SobUserVarContents contents;
    switch (ParseSobUserVar(file.data(), file.size(), contents)) {
    case kUserVarOk:
        break;
    case kUserVarBadMagic:
        return kInitUserVarBadMagic;
    case kUserVarBadTerminator:
        return kInitUserVarBadTerminator;
    default:
        return kInitUserVarDamaged;
    }
    m_live.Build(contents.area, contents.areaSize, contents.definitions, contents.relocations);
    if (!m_liveArea.Reset(m_live.Area(), m_live.AreaSize(), true) ||
        !m_liveSlots.Reset(m_live.PointerSlots(), m_live.PointerSlotCount() * 4, false)) {
        return kInitNoMemory;
    }
    m_save.reset();
    m_autoSave.reset();
    auto buildCopy = [&contents](std::unique_ptr<VariableTable>& copy) {
        copy.reset(new (std::nothrow) VariableTable);
        if (copy) {
            copy->Build(contents.area, contents.areaSize, contents.definitions, contents.relocations);
        }
        return copy != nullptr;
    };
    if ((keepSaveCopy && !buildCopy(m_save)) || (keepAutoSaveCopy && !buildCopy(m_autoSave))) {
        return kInitNoMemory;
    }
    return kInitLoaded;
}

int ScriptCore::LinkModule(const std::uint8_t* bytes, std::size_t length, std::int32_t flagRecordIndex, bool isLibrary) {
    SobModuleBody body;
    if (!ParseSobModuleBody(bytes, length, body) || body.terminator != 0) {
        return 1;
    }
    // Every number is checked before anything changes, so a refused module leaves no trace.
    const std::size_t limits[kFixupListCount] = {
        m_live.Entries().size(), m_commands.size(), m_namedSymbols.size(),
        m_hasLibrary ? m_modules.front()->imageSize + std::size_t{1} : 0, body.imageSize + std::size_t{1}};
    for (int list = 0; list < kFixupListCount; ++list) {
        for (const SobFixup& fixup : body.fixups[list]) {
            if (fixup.value >= limits[list]) {
                return 1;
            }
        }
    }
    std::unique_ptr<ModuleRecord> record(new (std::nothrow) ModuleRecord);
    if (!record) {
        return 1;
    }
    record->image.assign((static_cast<std::size_t>(body.imageSize) + 3) / 4, 0);
    record->imageSize = body.imageSize;
    record->instructionSize = body.instructionSize;
    record->flagRecordIndex = m_flagRecordCount == 0 ? -1 : flagRecordIndex;
    std::uint8_t* const image = record->ImageBytes();
    if (body.imageSize != 0) {
        std::memcpy(image, body.image, body.imageSize);
    }
    for (int list = 0; list < kFixupListCount; ++list) {
        for (const SobFixup& fixup : body.fixups[list]) {
            std::uint32_t word = 0;
            switch (list) {
            case kFixupVariable: word = m_live.Entries()[fixup.value].address; break;
            case kFixupCommand: word = AddressOf(reinterpret_cast<void*>(m_commands[fixup.value])); break;
            case kFixupSymbol: word = AddressOf(m_namedSymbols[fixup.value].address); break;
            case kFixupLibrary: word = AddressOf(m_libraryImage + fixup.value); break;
            default: word = AddressOf(image + fixup.value); break;
            }
            std::memcpy(image + fixup.at, &word, sizeof(word));
        }
    }
    // Compiled scripts store into their own operands: the image is writable script memory.
    if (body.imageSize != 0 && !record->region.Reset(image, body.imageSize, true)) {
        return 1;
    }
    m_modules.push_back(std::move(record));
    if (isLibrary) {
        m_hasLibrary = true;
        m_libraryImage = image;
    }
    SelectTopModule();
    return 0;
}

std::int32_t ScriptCore::FindFlagRecord(const char* path) const {
    const std::string name = ModuleNameOf(path);
    for (std::size_t i = 0; i < m_flagRecordCount; ++i) {
        if (m_flagRecords[i].name == name) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

int ScriptCore::LoadModule(const char* path, SobExecContext* context) {
    std::vector<std::uint8_t> file;
    if (!path || !ReadWholeFile(path, file)) {
        return kModuleFileMissing;
    }
    if (!HasMagic(file, "SOB0")) {
        return kModuleBadFile;
    }
    std::int32_t flagRecord = -1;
    if (m_flagRecordCount != 0) {
        flagRecord = FindFlagRecord(path);
        if (flagRecord < 0) {
            return kModuleBadFile;
        }
    }
    if (LinkModule(file.data() + 4, file.size() - 4, flagRecord, false) != 0) {
        return kModuleLinkFailed;
    }
    SobExecContext& target = context ? *context : m_context;
    // A module that does not compile is refused like one that does not link.
    if (target.UsesCompiled() && !CompileTopModule(target)) {
        PopModulesTo(m_modules.size() - 1);
        return kModuleLinkFailed;
    }
    // A context whose stack is full cannot take the module's 0 mark: the module goes again.
    if (target.PushZero() != 0) {
        PopModulesTo(m_modules.size() - 1);
        return kModuleLinkFailed;
    }
    target.SetPc(AddressOf(m_modules.back()->ImageBytes()));
    return kModuleLoaded;
}

bool ScriptCore::CompileTopModule(SobExecContext& context) {
    ModuleRecord& module = *m_modules.back();
    std::unique_ptr<CompiledCode> code(new (std::nothrow) CompiledCode(context.BoundFields()));
    if (!code || code->Compile(AddressOf(module.ImageBytes()), module.instructionSize) != 0) {
        return false;
    }
    module.compiled = std::move(code);
    return true;
}

int ScriptCore::UnloadModule() {
    BeforeUnload();
    if (!m_modules.empty()) {
        PopModulesTo(m_modules.size() - 1);
    }
    return 0;
}

void ScriptCore::PopModulesTo(std::size_t keep) {
    while (m_modules.size() > keep) {
        if (m_hasLibrary && m_modules.size() == 1) {
            m_hasLibrary = false;
            m_libraryImage = nullptr;
        }
        m_modules.pop_back();
    }
    SelectTopModule();
}

void ScriptCore::SelectTopModule() {
    const bool onlyLibrary = m_hasLibrary && m_modules.size() == 1;
    m_currentImage = m_modules.empty() || onlyLibrary ? nullptr : m_modules.back()->ImageBytes();
    // A record linked without flag records already holds -1.
    m_currentFlagRecord = m_modules.empty() ? -1 : m_modules.back()->flagRecordIndex;
}

std::uint8_t* ScriptCore::CurrentCode() {
    return m_currentImage;
}

int ScriptCore::PushZero() {
    return m_context.PushZero();
}

std::uint32_t ScriptCore::Call(std::uint32_t address) {
    return m_context.Call(address);
}
