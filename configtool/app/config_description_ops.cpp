// The settings description operations of the application: loading a description into the item
// list and the tree, applying the developer overrides, and the developer-mode save.
#include <cstring>
#include <new>

#include "configtool/app/atomic_file.h"
#include "configtool/app/config_message.h"
#include "configtool/app/config_tool_app.h"
#include "configtool/dialogs/config_tree.h"
#include "configtool/settings/config_messages.h"
#include "framework/files/file_stream.h"

void ConfigToolApp::ClearConfigItems() {
    m_items.clear();
    m_groups.clear();
    m_itemTreeItems.clear();
    m_groupTreeItems.clear();
    m_adapterItemIndex = -1;
    m_deviceItemIndex = -1;
    m_deviceTreeItem = nullptr;
}

std::int32_t ConfigToolApp::LoadConfigDescription() {
    ClearConfigItems();
    m_shownEditorType = -1;
    FileStream file;
    const std::string name = m_developerMode ? m_toolFolder + kFullDescriptionName : kPlayerDescriptionName;
    if (file.LoadFile(name.c_str()) != 0) return 1;
    DescriptionReader magic(file.Data(), file.Size());
    if (!magic.ReadMagic(ConfigFileMagic::kDescription0) && !magic.ReadMagic(ConfigFileMagic::kDescription2)) {
        ShowConfigMessage(ConfigMessages::kBadFile, 1);
        return 2;
    }
    HWND tree = Tree();
    TreeView_DeleteAllItems(tree);
    std::int32_t result = 0;
    try {
        ReadConfigDescription(file.Data(), file.Size(), m_groups, m_items);
        BuildTree();
    } catch (const ConfigMessageError& error) {
        ShowConfigMessage(error.text, 1);
        result = 4;
    } catch (const std::bad_alloc&) {
        result = -1;
    }
    if (result != 0) {
        ClearConfigItems();
        TreeView_DeleteAllItems(tree);
        return result;
    }
    if (HTREEITEM first = TreeView_GetRoot(tree)) TreeView_EnsureVisible(tree, first);
    return 0;
}

void ConfigToolApp::BuildTree() {
    HWND tree = Tree();
    m_itemTreeItems.assign(m_items.size(), nullptr);
    for (const ConfigGroup& group : m_groups) {
        HTREEITEM groupItem = ConfigTree::Insert(tree, TVI_ROOT, group.title, -1, m_developerMode ? 0 : -1);
        m_groupTreeItems.push_back(groupItem);
        for (std::size_t index : group.items) {
            ConfigItem& item = *m_items[index];
            std::string label;
            if (IsDeviceType(item.type)) {
                // Their choices come from the device list; a developer sees the name alone, a
                // player nothing until the list has been read.
                if (m_developerMode) {
                    item.choices.assign(1, std::string());
                    label = FormatItemText(item);
                }
            } else {
                label = FormatItemText(item);
            }
            m_itemTreeItems[index] = ConfigTree::Insert(tree, groupItem, label, static_cast<LPARAM>(index),
                                                        m_developerMode ? item.treeState + 1 : -1);
        }
        TreeView_Expand(tree, groupItem, TVE_EXPAND);
    }
}

void ConfigToolApp::RelabelItem(std::size_t index) {
    HTREEITEM treeItem = ItemTreeItem(index);
    if (!treeItem) return;
    ConfigTree::SetText(Tree(), treeItem, FormatItemText(*m_items[index]));
}

ConfigItem* ConfigToolApp::ItemOf(HTREEITEM treeItem, std::size_t* index) {
    if (!treeItem) return nullptr;
    const LPARAM param = ConfigTree::Param(Tree(), treeItem);
    if (param < 0 || static_cast<std::size_t>(param) >= m_items.size()) return nullptr;
    if (index) *index = static_cast<std::size_t>(param);
    return m_items[static_cast<std::size_t>(param)].get();
}

void ConfigToolApp::ApplyOverride(std::size_t index, std::uint8_t treeState, std::int32_t value,
                                  const std::string* text) {
    ConfigItem& item = *m_items[index];
    HTREEITEM treeItem = ItemTreeItem(index);
    HWND tree = Tree();
    if (treeState != item.treeState) {
        item.treeState = treeState;
        if (treeItem) ConfigTree::SetStateImage(tree, treeItem, treeState + 1);
    }
    bool changed = false;
    if (item.type == ConfigText) {
        if (text && *text != item.text) {
            item.text = *text;
            changed = true;
        }
    } else if (value != item.value) {
        item.value = value;
        changed = true;
    }
    if (changed) RelabelItem(index);
}

std::int32_t ConfigToolApp::LoadDeveloperOverrides() {
    if (!m_developerMode || m_items.empty()) return 1;
    FileStream file;
    if (file.LoadFile(kOverridesName) != 0) return 2;
    OverrideReader overrides(file.Data(), file.Size());
    if (!overrides.Open()) return 3;
    auto find = [this](std::uint8_t record, std::uint32_t offset, std::uint8_t width, std::uint8_t type) {
        for (std::size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i]->MatchesKey(record, offset, width, type)) return i;
        throw ConfigMessageError{ConfigMessages::kUnknownOverrideItem};
    };
    try {
        ConfigOverride record;
        while (overrides.Next(record)) {
            const std::size_t index = find(record.record, record.offset, record.width, record.type);
            ApplyOverride(index, record.treeState, record.value, &record.text);
        }
        // The player description holds the states and values of the items shown to players.
        FileStream defaults;
        DescriptionReader reader(nullptr, 0);
        if (defaults.LoadFile(kPlayerDescriptionName) == 0) reader = DescriptionReader(defaults.Data(), defaults.Size());
        if (!reader.ReadMagic(ConfigFileMagic::kDescription2))
            throw ConfigMessageError{ConfigMessages::kDefaultsLoadFailed};
        const std::uint32_t groupCount = reader.Word();
        for (std::uint32_t g = 0; g < groupCount; ++g) {
            reader.SkipString();
            const std::uint32_t itemCount = reader.Word();
            for (std::uint32_t i = 0; i < itemCount; ++i) {
                ConfigItem fields;
                ReadDescriptionItem(reader, fields, false);
                if (fields.type == ConfigText && fields.choices.size() > 1)
                    throw ConfigMessageError{ConfigMessages::kBadDefaultString};
                const std::size_t index = find(fields.record, fields.offset, fields.width, fields.type);
                ApplyOverride(index, fields.treeState, fields.defaultValue, &fields.text);
            }
        }
    } catch (const ConfigMessageError& error) {
        ShowConfigMessage(error.text, 1);
        return 4;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return 0;
}

void ConfigToolApp::SyncTreeStates() {
    // The check boxes change the state images; the items follow them here as well as when the
    // tree paints, so that a save never misses a click.
    HWND tree = Tree();
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        ConfigItem& item = *m_items[i];
        HTREEITEM treeItem = ItemTreeItem(i);
        if (!treeItem || item.treeState == kFixedHidden) continue;
        const int image = ConfigTree::StateImage(tree, treeItem);
        if (image == 1 || image == 2) item.treeState = static_cast<std::uint8_t>(image - 1);
    }
}

bool ConfigToolApp::WriteOrComplain(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (WriteFileAtomically(path, bytes)) return true;
    ShowConfigMessage(ConfigMessages::kCannotOpenForWriting, 1);
    return false;
}

std::int32_t ConfigToolApp::SaveConfigDescription() {
    if (m_groups.empty() && m_items.empty()) {
        ShowConfigMessage(ConfigMessages::kNothingToSave, 1);
        return 1;
    }
    SyncTreeStates();
    CreateDirectoryA(BasePath("SCRIPT").c_str(), nullptr);
    std::vector<const ConfigItem*> treeOrder;
    for (const ConfigGroup& group : m_groups)
        for (std::size_t index : group.items) treeOrder.push_back(m_items[index].get());
    if (!WriteOrComplain(BasePath(kOverridesName), BuildOverrideFile(treeOrder))) return 2;
    if (!WriteOrComplain(BasePath(kPlayerDescriptionName), BuildPlayerDescription(m_groups, m_items))) return 2;
    std::int32_t result = WriteItemsToRecords();
    if (result != 0) return 2 + result;
    result = SaveUserCfg();
    if (result != 0) return 4 + result;
    return 0;
}
