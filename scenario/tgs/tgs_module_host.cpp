#include <cstring>

#include "framework/files/file_stream.h"
#include "game/interfaces/tgs_host.h"
#include "scenario/tgs/tgs_script.h"

namespace {

bool ReadThroughFileSystem(const std::string& path, TgsFileImage& image) {
    FileStream file;
    if (file.LoadFile(path.c_str()) != 0) return false;
    const std::uint8_t* data = static_cast<const std::uint8_t*>(file.Data());
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(data, data + (data ? file.Size() : 0));
    image.keeper = bytes;
    image.data = bytes->data();
    image.size = static_cast<std::uint32_t>(bytes->size());
    return true;
}

}  // namespace

TgsScript::TgsScript(TgsHost& host) : m_host(host), m_fileSource(ReadThroughFileSystem) {}

TgsScript::~TgsScript() { ReleaseModules(); }

std::unique_ptr<TgsModule> TgsScript::ReadModule(const std::string& name, int& code) {
    TgsFileImage image;
    if (!m_fileSource(m_flags.scriptFolder + name + ".TOB", image)) {
        code = kTgsFileMissing;
        return nullptr;
    }
    if (image.size < 4 || (std::memcmp(image.data, "TOB0", 4) != 0 && std::memcmp(image.data, "TOB1", 4) != 0)) {
        code = kTgsBadMagic;
        return nullptr;
    }
    std::unique_ptr<TgsModule> module(new TgsModule);
    if (m_flags.present) {
        const std::string upper = UpperCaseSjis(name);
        for (std::size_t i = 0; i < m_flags.entries.size(); ++i) {
            if (m_flags.entries[i]->name == upper) {
                module->tableIndex = static_cast<std::int32_t>(i);
                break;
            }
        }
        if (module->tableIndex < 0) {
            code = kTgsNotListed;
            return nullptr;
        }
    }
    if (!ParseTob(image.data, image.size, *module)) {
        code = kTgsDamagedModule;
        return nullptr;
    }
    module->keeper = image.keeper;
    module->image = image.data;
    module->size = image.size;
    module->name = name;
    m_host.RegisterMemory(module->image, module->size, true);
    code = kTgsLoaded;
    return module;
}

void TgsScript::Forget(std::unique_ptr<TgsModule>& module) {
    if (!module) return;
    m_host.UnregisterMemory(module->image);
    module.reset();
}

int TgsScript::LoadTob(const char* name, bool ontoStack) {
    int code = kTgsFileMissing;
    std::unique_ptr<TgsModule> module = ReadModule(name ? name : "", code);
    if (!module) return code;
    (ontoStack ? m_modules.callLoaded : m_modules.resident).push_back(std::move(module));
    return kTgsLoaded;
}

void TgsScript::SelectCurrent(TgsModule* module, std::int32_t index) {
    m_modules.current = module;
    m_modules.currentIndex = index;
    m_flags.current = module && module->tableIndex >= 0 && m_flags.present
                          ? m_flags.entries[static_cast<std::size_t>(module->tableIndex)].get()
                          : nullptr;
}

int TgsScript::StartScript(const char* name) {
    if (!m_modules.callLoaded.empty()) return 1;
    const int code = LoadTob(name, true);
    if (code != kTgsLoaded) return code + 1;
    SelectCurrent(m_modules.callLoaded.back().get(), -1);
    m_modules.pc = m_modules.current->Text();
    return 0;
}

int TgsScript::LoadModule(const char* name) { return LoadTob(name, false); }

int TgsScript::UnloadModule(const char* name) {
    auto& resident = m_modules.resident;
    if (resident.empty()) return 1;
    std::size_t index = resident.size() - 1;
    if (name) {
        index = resident.size();
        for (std::size_t i = 0; i < resident.size(); ++i) {
            if (EqualNoCaseSjis(resident[i]->name, name)) {
                index = i;
                break;
            }
        }
        if (index == resident.size()) return 2;
    }
    if (resident[index].get() == m_modules.current) return 3;
    for (std::uint32_t i = 0; i < m_modules.returnDepth; ++i) {
        if (m_modules.returns[i].module == static_cast<std::int32_t>(index)) return 3;
    }
    Forget(resident[index]);
    resident.erase(resident.begin() + static_cast<std::ptrdiff_t>(index));
    for (std::uint32_t i = 0; i < m_modules.returnDepth; ++i) {
        if (m_modules.returns[i].module > static_cast<std::int32_t>(index)) --m_modules.returns[i].module;
    }
    if (m_modules.currentIndex > static_cast<std::int32_t>(index)) --m_modules.currentIndex;
    return 0;
}

bool TgsScript::FindModule(const char* name) {
    for (std::size_t i = 0; i < m_modules.resident.size(); ++i) {
        if (EqualNoCaseSjis(m_modules.resident[i]->name, name)) {
            SelectCurrent(m_modules.resident[i].get(), static_cast<std::int32_t>(i));
            return true;
        }
    }
    if (LoadTob(name, true) != kTgsLoaded) return false;
    SelectCurrent(m_modules.callLoaded.back().get(), -1);
    return true;
}

void TgsScript::PopCallLoaded() {
    if (m_modules.callLoaded.empty()) return;
    if (m_modules.current == m_modules.callLoaded.back().get()) SelectCurrent(nullptr, -1);
    Forget(m_modules.callLoaded.back());
    m_modules.callLoaded.pop_back();
}

TgsMove TgsScript::Target(const std::string* label, std::int64_t offset, std::uint8_t*& target) {
    TgsModule* module = m_modules.current;
    if (!module) return TgsMove::kFailed;
    if (label) {
        offset = FindLabel(*module, label->c_str());
        if (offset < 0) return TgsMove::kFailed;
    }
    if (offset < 0 || offset >= module->textSize) return TgsMove::kDamaged;
    target = module->Text() + offset;
    return TgsMove::kDone;
}

TgsMove TgsScript::Call(const std::string* module, const std::string* label, std::int32_t offset,
                        std::uint8_t*& target) {
    if (!m_modules.current || !m_modules.pc) return TgsMove::kFailed;
    if (m_modules.returnDepth >= TgsModuleSet::kReturnDepth) return TgsMove::kDamaged;
    TgsReturnEntry& entry = m_modules.returns[m_modules.returnDepth++];
    entry.module = module ? m_modules.currentIndex : -2;
    entry.offset = static_cast<std::uint32_t>(m_modules.pc - m_modules.current->Text());
    if (module && !FindModule(module->c_str())) return TgsMove::kFailed;
    return Target(label, offset, target);
}

TgsMove TgsScript::Jump(const std::string* module, const std::string* label, std::int32_t offset,
                        std::uint8_t*& target) {
    if (module) {
        if (m_modules.currentIndex == -1) PopCallLoaded();
        if (!FindModule(module->c_str())) return TgsMove::kFailed;
    }
    return Target(label, offset, target);
}

TgsMove TgsScript::Return(const std::string* module, const std::string* label, std::int32_t offset,
                          std::uint8_t*& target) {
    if (m_modules.returnDepth == 0) return TgsMove::kFailed;
    const TgsReturnEntry entry = m_modules.returns[--m_modules.returnDepth];
    if (entry.module != -2) {
        if (m_modules.currentIndex == -1) PopCallLoaded();
        if (entry.module == -1) {
            if (m_modules.callLoaded.empty()) return TgsMove::kFailed;
            SelectCurrent(m_modules.callLoaded.back().get(), -1);
        } else {
            if (entry.module < 0 || static_cast<std::size_t>(entry.module) >= m_modules.resident.size()) {
                return TgsMove::kFailed;
            }
            SelectCurrent(m_modules.resident[static_cast<std::size_t>(entry.module)].get(), entry.module);
        }
    }
    if (module) {
        if (m_modules.currentIndex == -1) PopCallLoaded();
        if (!FindModule(module->c_str())) return TgsMove::kFailed;
    }
    std::int64_t target64 = offset;
    if (!label) {
        if (offset == 0) target64 = entry.offset;
        if (offset == -1) target64 = 0;
    }
    return Target(label, target64, target);
}

static const std::string* Optional(const char* text, std::string& holder) {
    if (!text) return nullptr;
    holder = text;
    return &holder;
}

std::uint8_t* TgsScript::CallLabel(const char* module, const char* label, std::int32_t offset) {
    std::string m, l;
    std::uint8_t* target = nullptr;
    if (Call(Optional(module, m), Optional(label, l), offset, target) != TgsMove::kDone) return nullptr;
    m_modules.pc = target;
    return target;
}

std::uint8_t* TgsScript::JumpLabel(const char* module, const char* label, std::int32_t offset) {
    std::string m, l;
    std::uint8_t* target = nullptr;
    if (Jump(Optional(module, m), Optional(label, l), offset, target) != TgsMove::kDone) return nullptr;
    m_modules.pc = target;
    return target;
}

std::uint8_t* TgsScript::ReturnFromCall(const char* module, const char* label, std::int32_t offset) {
    std::string m, l;
    std::uint8_t* target = nullptr;
    if (Return(Optional(module, m), Optional(label, l), offset, target) != TgsMove::kDone) return nullptr;
    m_modules.pc = target;
    return target;
}

std::int64_t TgsScript::FindLabel(const TgsModule& module, const char* name) const {
    if (!name) return -1;
    for (const auto& label : module.labels) {
        if (label.first == name) return label.second;
    }
    return -1;
}

std::int64_t TgsScript::FindNumberedLabel(const TgsModule& module, std::uint32_t n) const {
    return n < module.lines.size() ? static_cast<std::int64_t>(module.lines[n]) : -1;
}

void TgsScript::ReleaseModules() {
    for (auto& module : m_modules.callLoaded) Forget(module);
    for (auto& module : m_modules.resident) Forget(module);
    m_modules.callLoaded.clear();
    m_modules.resident.clear();
    SelectCurrent(nullptr, -1);
    m_modules.returnDepth = 0;
    m_modules.pc = nullptr;
    m_operands.top = 0;
}
