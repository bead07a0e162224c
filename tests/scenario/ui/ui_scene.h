// A test group with named test parts: the journal outlives the group, the group the parts.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ui_test_group.h"

namespace testsupport {

struct UiScene {
    // Makes a part; inserts it at the end unless told not to.
    TestPart& Add(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width = 100,
                  std::int32_t height = 40, bool insert = true) {
        parts[name] = std::make_unique<TestPart>(journal, name, x, y, width, height);
        if (insert) group.InsertPart(parts[name].get(), -1);
        return *parts[name];
    }
    TestPart* Part(const std::string& name) { return parts[name].get(); }
    void Delete(const std::string& name) {
        deleted.push_back(parts[name].get());
        parts[name].reset();
    }
    // The journal since the last call.
    Journal Take() {
        Journal taken;
        taken.swap(journal);
        return taken;
    }
    // The group's own entries since the last call.
    Journal TakeGroup() {
        Journal taken;
        for (const std::string& entry : Take()) {
            if (entry.rfind("group.", 0) == 0) taken.push_back(entry);
        }
        return taken;
    }
    std::vector<std::string> Members() const {
        std::vector<std::string> names;
        for (UiPart* part : group.Members()) names.push_back(PartName(part));
        return names;
    }
    std::string Focused() const { return PartName(group.FocusedPart()); }
    std::string Hovered() const { return PartName(group.HoveredPart()); }

    Journal journal;
    UiTestGroup group{journal};
    std::map<std::string, std::unique_ptr<TestPart>> parts;
    std::vector<const UiPart*> deleted;
};

}  // namespace testsupport
