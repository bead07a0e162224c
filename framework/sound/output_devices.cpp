#include "framework/sound/output_devices.h"

#include <cstring>
#include <new>

namespace {

OutputDevice* g_head = nullptr;

typedef BOOL(CALLBACK* EnumerateCallback)(GUID*, LPCSTR, LPCSTR, void*);
typedef HRESULT(WINAPI* DirectSoundEnumerateFunc)(EnumerateCallback, void*);

char* CopyText(const char* text) {
    if (!text) text = "";
    const std::size_t length = std::strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}

BOOL CALLBACK AppendDevice(GUID* guid, LPCSTR description, LPCSTR module, void* context) {
    auto** tail = static_cast<OutputDevice***>(context);
    OutputDevice* record = new (std::nothrow) OutputDevice{};
    if (!record) return TRUE;
    if (guid) {
        record->guid = *guid;
        record->guidPointer = &record->guid;
    }
    record->description = CopyText(description);
    record->module = CopyText(module);
    **tail = record;
    *tail = &record->next;
    return TRUE;
}

}  // namespace

void FreeOutputDevices() {
    while (g_head) {
        OutputDevice* next = g_head->next;
        delete[] g_head->description;
        delete[] g_head->module;
        delete g_head;
        g_head = next;
    }
}

const OutputDevice* OutputDevices() { return g_head; }

std::int32_t EnumerateOutputDevices() {
    FreeOutputDevices();
    HMODULE library = LoadLibraryA("dsound.dll");
    if (!library) return 1;
    auto enumerate = reinterpret_cast<DirectSoundEnumerateFunc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "DirectSoundEnumerateA")));
    if (!enumerate) {
        FreeLibrary(library);
        return 2;
    }
    OutputDevice** tail = &g_head;
    enumerate(AppendDevice, &tail);
    FreeLibrary(library);
    return g_head ? 0 : -1;
}
