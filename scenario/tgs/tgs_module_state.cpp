#include "game/interfaces/tgs_host.h"
#include "scenario/tgs/tgs_script.h"

namespace {

bool WriteNames(ByteCursor& cursor, const std::vector<std::unique_ptr<TgsModule>>& modules) {
    if (!cursor.WriteU32(static_cast<std::uint32_t>(modules.size()))) return false;
    for (const auto& module : modules) {
        const std::uint32_t length = static_cast<std::uint32_t>(module->name.size() + 1);
        const std::uint8_t half[2] = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)};
        if (!cursor.WriteBytes(half, 2) || !cursor.WriteBytes(module->name.c_str(), length)) return false;
    }
    return true;
}

bool ReadNames(ByteCursor& cursor, std::vector<std::string>& names) {
    std::uint32_t count = 0;
    if (!cursor.ReadU32(count) || count > cursor.Remaining() / 3) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t half[2];
        if (!cursor.ReadBytes(half, 2)) return false;
        const std::uint32_t length = half[0] | (static_cast<std::uint32_t>(half[1]) << 8);
        if (length == 0 || length > cursor.Remaining() || cursor.Position()[length - 1] != 0) return false;
        names.emplace_back(reinterpret_cast<const char*>(cursor.Position()));
        cursor.Skip(length);
    }
    return true;
}

}  // namespace

std::uint32_t TgsScript::StateSize() {
    std::uint32_t size = 4 + 4 + 4 + 8 * m_modules.returnDepth + 4 + 4;
    for (const auto& module : m_modules.callLoaded) size += 2 + static_cast<std::uint32_t>(module->name.size() + 1);
    for (const auto& module : m_modules.resident) size += 2 + static_cast<std::uint32_t>(module->name.size() + 1);
    return size;
}

int TgsScript::SaveState(ByteCursor* cursor) {
    if (!cursor || !m_modules.current || !m_modules.pc) return 1;
    if (cursor->Remaining() < StateSize()) return 4;
    WriteNames(*cursor, m_modules.callLoaded);
    WriteNames(*cursor, m_modules.resident);
    cursor->WriteU32(m_modules.returnDepth);
    for (std::uint32_t i = 0; i < m_modules.returnDepth; ++i) {
        cursor->WriteI32(m_modules.returns[i].module);
        cursor->WriteU32(m_modules.returns[i].offset);
    }
    cursor->WriteI32(m_modules.currentIndex);
    cursor->WriteU32(static_cast<std::uint32_t>(m_modules.pc - m_modules.current->Text()));
    return 0;
}

int TgsScript::LoadState(ByteCursor* cursor) {
    if (!cursor) return 1;
    std::vector<std::string> callNames;
    std::vector<std::string> residentNames;
    std::uint32_t depth = 0;
    TgsReturnEntry returns[TgsModuleSet::kReturnDepth];
    std::int32_t currentIndex = 0;
    std::uint32_t pcOffset = 0;
    if (!ReadNames(*cursor, callNames) || !ReadNames(*cursor, residentNames) || !cursor->ReadU32(depth) ||
        depth > TgsModuleSet::kReturnDepth) {
        return 4;
    }
    for (std::uint32_t i = 0; i < depth; ++i) {
        if (!cursor->ReadI32(returns[i].module) || !cursor->ReadU32(returns[i].offset)) return 4;
    }
    if (!cursor->ReadI32(currentIndex) || !cursor->ReadU32(pcOffset)) return 4;

    // Everything is built aside and takes the place of the old modules only when it all loads.
    std::vector<std::unique_ptr<TgsModule>> callLoaded;
    std::vector<std::unique_ptr<TgsModule>> resident;
    auto discard = [&](int code) {
        for (auto& module : callLoaded) Forget(module);
        for (auto& module : resident) Forget(module);
        return code;
    };
    for (const std::string& name : callNames) {
        int code = 0;
        callLoaded.push_back(ReadModule(name, code));
        if (!callLoaded.back()) return discard(2);
    }
    for (const std::string& name : residentNames) {
        int code = 0;
        resident.push_back(ReadModule(name, code));
        if (!resident.back()) return discard(2);
    }
    TgsModule* current = nullptr;
    if (currentIndex == -1 && !callLoaded.empty()) current = callLoaded.back().get();
    if (currentIndex >= 0 && static_cast<std::size_t>(currentIndex) < resident.size()) {
        current = resident[static_cast<std::size_t>(currentIndex)].get();
    }
    if (!current) return discard(3);
    if (pcOffset >= current->textSize) return discard(4);
    std::uint32_t largest = 0;
    for (const auto& module : callLoaded) largest = module->textSize > largest ? module->textSize : largest;
    for (const auto& module : resident) largest = module->textSize > largest ? module->textSize : largest;
    for (std::uint32_t i = 0; i < depth; ++i) {
        const std::int32_t index = returns[i].module;
        if (index < -2 || (index == -1 && callLoaded.empty()) ||
            (index >= 0 && static_cast<std::size_t>(index) >= resident.size())) {
            return discard(3);
        }
        if (returns[i].offset >= largest) return discard(4);
    }

    ReleaseModules();
    m_modules.callLoaded.swap(callLoaded);
    m_modules.resident.swap(resident);
    for (std::uint32_t i = 0; i < depth; ++i) m_modules.returns[i] = returns[i];
    m_modules.returnDepth = depth;
    SelectCurrent(current, currentIndex);
    m_modules.pc = current->Text() + pcOffset;
    m_operands.top = 0;
    return 0;
}
