// ScriptCore: bulk operations on the variable tables and their serialised form.
#include <cstring>

#include "game/script/script_core.h"

namespace {

// Serialised blocks hold the variables of kinds 0 and 1 of the classes their selector names.
bool IsSerialized(const VariableEntry& entry, std::uint8_t selector) {
    if (entry.kind != kVariableInArea && entry.kind != kVariableTextPointer) {
        return false;
    }
    switch (selector) {
    case 0: return entry.attribute == 1;
    case 1: return entry.attribute == 2;
    default: return true;
    }
}

bool IsSelected(const VariableEntry& entry, std::uint32_t classSelector, std::uint32_t typeSelector) {
    if (classSelector >= 1 && classSelector <= 3 && entry.attribute != classSelector - 1) {
        return false;
    }
    return typeSelector < 1 || typeSelector > 3 || entry.kind == typeSelector - 1;
}

// The tables are built from one variable module, so entry i is the same variable in both.
void CopyVariable(const VariableTable& from, VariableTable& to, std::uint32_t index) {
    const std::uint8_t* source = from.Data(index);
    std::uint8_t* target = to.Data(index);
    if (source && target && source != target) {
        std::memmove(target, source, from.Entries()[index].size);
    }
}

// 0, or 1 when a table is missing.
int CopyVariables(const VariableTable* from, VariableTable* to, std::uint32_t classSelector,
                  std::uint32_t typeSelector) {
    if (!from || !to) {
        return 1;
    }
    const std::vector<VariableEntry>& entries = from->Entries();
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        if (IsSelected(entries[i], classSelector, typeSelector)) {
            CopyVariable(*from, *to, i);
        }
    }
    return 0;
}

}  // namespace

int ScriptCore::ClearVariables(std::uint32_t classSelector, std::uint32_t typeSelector) {
    const std::vector<VariableEntry>& entries = m_live.Entries();
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* data = m_live.Data(i);
        if (data && IsSelected(entries[i], classSelector, typeSelector)) {
            std::memset(data, 0, entries[i].size);
        }
    }
    return 0;
}

int ScriptCore::RestoreFromSaveCopy(std::uint32_t classSelector, std::uint32_t typeSelector) {
    return CopyVariables(m_save.get(), &m_live, classSelector, typeSelector);
}

int ScriptCore::StoreToAutoSaveCopy(std::uint32_t classSelector, std::uint32_t typeSelector) {
    return CopyVariables(&m_live, m_autoSave.get(), classSelector, typeSelector);
}

int ScriptCore::RestoreFromAutoSaveCopy(std::uint32_t classSelector, std::uint32_t typeSelector) {
    return CopyVariables(m_autoSave.get(), &m_live, classSelector, typeSelector);
}

std::int32_t ScriptCore::FindVariableIndex(std::uint32_t address) const {
    const std::vector<VariableEntry>& entries = m_live.Entries();
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        if (entries[i].address == address) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

int ScriptCore::StoreOneToAutoSaveCopy(std::uint32_t address) {
    if (!m_autoSave) {
        return 1;
    }
    const std::int32_t index = FindVariableIndex(address);
    if (index < 0) {
        return 2;
    }
    CopyVariable(m_live, *m_autoSave, static_cast<std::uint32_t>(index));
    return 0;
}

int ScriptCore::RestoreOneFromAutoSaveCopy(std::uint32_t address) {
    if (!m_autoSave) {
        return 1;
    }
    const std::int32_t index = FindVariableIndex(address);
    if (index < 0) {
        return 2;
    }
    CopyVariable(*m_autoSave, m_live, static_cast<std::uint32_t>(index));
    return 0;
}

int ScriptCore::MarkVariable(std::uint32_t address) {
    if (!m_autoSave) {
        return 1;
    }
    const std::int32_t index = FindVariableIndex(address);
    if (index < 0) {
        return 2;
    }
    m_marked.push_back(static_cast<std::uint32_t>(index));
    return 0;
}

std::uint32_t ScriptCore::SerializedVariablesSize(std::uint8_t selector, bool fromAutoSave) const {
    if (fromAutoSave && !m_autoSave) {
        return 0;
    }
    std::uint32_t size = 1;
    for (const VariableEntry& entry : m_live.Entries()) {
        if (IsSerialized(entry, selector)) {
            size += 1 + entry.size;
        }
    }
    return size;
}

int ScriptCore::SerializeVariables(std::uint8_t** cursor, std::uint8_t selector, bool fromAutoSave) const {
    if (!cursor || !*cursor) {
        return 1;
    }
    if (fromAutoSave && !m_autoSave) {
        return 2;
    }
    std::vector<std::uint8_t> block(1, selector);
    AppendSelectedVariables(selector, fromAutoSave, block);
    std::memcpy(*cursor, block.data(), block.size());
    *cursor += block.size();
    return 0;
}

int ScriptCore::DeserializeVariables(const std::uint8_t** cursor, const std::uint8_t* end) {
    if (!cursor || !*cursor || *cursor >= end) {
        return 1;
    }
    const std::uint8_t* in = *cursor + 1;
    if (RestoreSelectedVariables(**cursor, in, end) != 0) {
        return 1;
    }
    *cursor = in;
    return 0;
}

bool ScriptCore::CheckSerializedVariables(const std::uint8_t** cursor, const std::uint8_t* end) const {
    if (!cursor || !*cursor || *cursor >= end) {
        return false;
    }
    const std::uint8_t* after = MatchSelectedVariables(**cursor, *cursor + 1, end);
    if (!after) {
        return false;
    }
    *cursor = after;
    return true;
}

const std::uint8_t* ScriptCore::MatchSelectedVariables(std::uint8_t selector, const std::uint8_t* cursor,
                                                       const std::uint8_t* end) const {
    const std::vector<VariableEntry>& entries = m_live.Entries();
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        if (!IsSerialized(entries[i], selector)) {
            continue;
        }
        if (end - cursor < 1 || *cursor != entries[i].kind ||
            static_cast<std::uint32_t>(end - cursor - 1) < entries[i].size) {
            return nullptr;
        }
        cursor += 1 + entries[i].size;
    }
    return cursor;
}

int ScriptCore::RestoreSelectedVariables(std::uint8_t selector, const std::uint8_t*& cursor, const std::uint8_t* end) {
    // The whole block is checked before any variable changes, so a damaged block changes nothing.
    const std::uint8_t* const after = MatchSelectedVariables(selector, cursor, end);
    if (!after) {
        return 1;
    }
    const std::vector<VariableEntry>& entries = m_live.Entries();
    const std::uint8_t* in = cursor;
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        if (!IsSerialized(entries[i], selector)) {
            continue;
        }
        if (std::uint8_t* data = m_live.Data(i)) {
            std::memcpy(data, in + 1, entries[i].size);
        }
        in += 1 + entries[i].size;
    }
    cursor = after;
    return 0;
}

void ScriptCore::AppendSelectedVariables(std::uint8_t selector, bool fromAutoSave, std::vector<std::uint8_t>& out) const {
    const VariableTable& source = fromAutoSave && m_autoSave ? *m_autoSave : m_live;
    const std::vector<VariableEntry>& entries = m_live.Entries();
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        if (!IsSerialized(entries[i], selector)) {
            continue;
        }
        out.push_back(entries[i].kind);
        const std::uint8_t* data = source.Data(i);
        if (data) {
            out.insert(out.end(), data, data + entries[i].size);
        } else {
            out.resize(out.size() + entries[i].size, 0);
        }
    }
}
