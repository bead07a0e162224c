#include "graphics/device/device_drawable.h"

#include <new>

#include "graphics/device/direct3d_device.h"

DeviceDrawable::~DeviceDrawable() {
    if (m_list) m_list->Remove(this);
}

DeviceDrawableList::~DeviceDrawableList() { Clear(); }

void DeviceDrawableList::Link(Node* node, bool afterEquals) {
    Node* last = nullptr;
    for (Node* at = m_head; at; at = at->next) {
        if (afterEquals ? at->priority < node->priority : at->priority <= node->priority) break;
        last = at;
    }
    node->previous = last;
    node->next = last ? last->next : m_head;
    if (node->next) node->next->previous = node;
    if (last) {
        last->next = node;
    } else {
        m_head = node;
    }
}

void DeviceDrawableList::Unlink(Node* node) {
    if (node->previous) {
        node->previous->next = node->next;
    } else {
        m_head = node->next;
    }
    if (node->next) node->next->previous = node->previous;
    node->previous = node->next = nullptr;
}

DeviceDrawableList::Node* DeviceDrawableList::Find(const DeviceDrawable* drawable) const {
    for (Node* node = m_head; node; node = node->next) {
        if (node->drawable == drawable) return node;
    }
    return nullptr;
}

std::int32_t DeviceDrawableList::Insert(DeviceDrawable* drawable, std::uint32_t priority, std::uint8_t group,
                                        bool afterEquals) {
    if (!drawable) return 1;
    if (drawable->m_list) return 2;
    Node* node = new (std::nothrow) Node{drawable, nullptr, nullptr, priority, group};
    if (!node) return 3;
    drawable->m_list = this;
    Link(node, afterEquals);
    return 0;
}

std::int32_t DeviceDrawableList::InsertAfterEquals(DeviceDrawable* drawable, std::uint32_t priority,
                                                   std::uint8_t group) {
    return Insert(drawable, priority, group, true);
}

std::int32_t DeviceDrawableList::InsertBeforeEquals(DeviceDrawable* drawable, std::uint32_t priority,
                                                    std::uint8_t group) {
    return Insert(drawable, priority, group, false);
}

void DeviceDrawableList::Remove(DeviceDrawable* drawable) {
    Node* node = Find(drawable);
    if (!node) return;
    Unlink(node);
    drawable->m_list = nullptr;
    delete node;
}

void DeviceDrawableList::RemovePriority(std::uint32_t priority) {
    Node* node = m_head;
    while (node && node->priority != priority) node = node->next;
    while (node && node->priority == priority) {
        Node* next = node->next;
        Unlink(node);
        node->drawable->m_list = nullptr;
        delete node;
        node = next;
    }
}

void DeviceDrawableList::RemoveGroup(std::uint8_t group) {
    for (Node* node = m_head; node;) {
        Node* next = node->next;
        if (node->group == group) {
            Unlink(node);
            node->drawable->m_list = nullptr;
            delete node;
        }
        node = next;
    }
}

bool DeviceDrawableList::Reprioritise(DeviceDrawable* drawable, std::uint32_t priority, bool onlyIfChanged,
                                      bool afterEquals) {
    if (!drawable) return false;
    Node* node = Find(drawable);
    if (!node) return false;
    if (onlyIfChanged && node->priority == priority) return false;
    Unlink(node);
    node->priority = priority;
    Link(node, afterEquals);
    return true;
}

bool DeviceDrawableList::ReprioritiseAfter(DeviceDrawable* drawable, std::uint32_t priority, bool onlyIfChanged) {
    return Reprioritise(drawable, priority, onlyIfChanged, true);
}

bool DeviceDrawableList::ReprioritiseBefore(DeviceDrawable* drawable, std::uint32_t priority, bool onlyIfChanged) {
    return Reprioritise(drawable, priority, onlyIfChanged, false);
}

void DeviceDrawableList::SetEnabled(bool enabled, std::int64_t priority, std::int32_t group) {
    for (Node* node = m_head; node; node = node->next) {
        if (priority != -1 && node->priority != static_cast<std::uint32_t>(priority)) continue;
        if (group != -1 && node->group != static_cast<std::uint8_t>(group)) continue;
        node->drawable->SetEnabled(enabled);
    }
}

void DeviceDrawableList::Clear() {
    while (m_head) {
        Node* node = m_head;
        m_head = node->next;
        node->drawable->m_list = nullptr;
        delete node;
    }
}

std::int32_t DeviceDrawableList::Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) {
    IDirect3DDevice7* scene = device ? device->Device() : nullptr;
    if (scene && FAILED(scene->BeginScene())) return -1;
    std::int32_t result = 0;
    for (Node* node = m_head; node && result == 0; node = node->next)
        result = node->drawable->Draw(target, area, device);
    if (scene) scene->EndScene();
    return result;
}

std::int32_t DeviceDrawableList::RestoreAll() {
    std::int32_t first = 0;
    for (Node* node = m_head; node; node = node->next) {
        const std::int32_t restored = node->drawable->RestoreContent();
        if (restored && !first) first = restored;
    }
    return first;
}
