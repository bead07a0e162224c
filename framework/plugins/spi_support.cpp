#include "framework/plugins/spi_support.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

constexpr int kConfigDialogEntries = 64;

// The plug-in dialog behind each __cdecl entry; null while the entry is free.
void* volatile g_configDialogs[kConfigDialogEntries];

template <int N>
std::int32_t XM_CDECL CallConfigDialog(HWND parent, std::int32_t function) {
    return reinterpret_cast<SpiConfigurationDlgFunc>(g_configDialogs[N])(parent, function);
}

template <int... N>
constexpr std::array<GllConfigDlgFunc, sizeof...(N)> MakeConfigEntries(
    std::integer_sequence<int, N...>) {
    return {&CallConfigDialog<N>...};
}

const std::array<GllConfigDlgFunc, kConfigDialogEntries> kConfigEntries =
    MakeConfigEntries(std::make_integer_sequence<int, kConfigDialogEntries>());

}  // namespace

std::int32_t XM_STDCALL SpiProgressThunk(std::int32_t done, std::int32_t total, std::intptr_t pair) {
    const auto* progress = reinterpret_cast<const SpiProgressPair*>(pair);
    if (!progress || !progress->function) return 0;
    return progress->function(done, total, progress->argument);
}

HGLOBAL SpiTakeFixedBlock(HANDLE block) {
    if (!block) return nullptr;
    void* address = GlobalLock(block);
    if (!address) {
        GlobalFree(block);
        return nullptr;
    }
    if (address == block) {
        // A fixed block: locking it took no count, and its address is its handle.
        return block;
    }
    const SIZE_T size = GlobalSize(block);
    HGLOBAL fixed = size != 0 ? GlobalAlloc(GMEM_FIXED, size) : nullptr;
    if (fixed) std::memcpy(fixed, address, size);
    GlobalUnlock(block);
    GlobalFree(block);
    return fixed;
}

std::string SpiFieldText(const char* field, std::size_t fieldSize) {
    return std::string(field, strnlen(field, fieldSize));
}

std::string SpiPluginInfo(SpiGetPluginInfoFunc getPluginInfo, std::int32_t index) {
    char buffer[kSpiInfoBufferSize] = {};
    getPluginInfo(index, buffer, kSpiInfoBufferSize);
    return SpiFieldText(buffer, sizeof buffer);
}

GllConfigDlgFunc SpiClaimConfigDialog(SpiConfigurationDlgFunc dialog) {
    if (!dialog) return nullptr;
    for (int i = 0; i < kConfigDialogEntries; ++i) {
        if (InterlockedCompareExchangePointer(&g_configDialogs[i], reinterpret_cast<void*>(dialog),
                                              nullptr) == nullptr) {
            return kConfigEntries[i];
        }
    }
    return nullptr;
}

void SpiReleaseConfigDialog(GllConfigDlgFunc entry) {
    for (int i = 0; i < kConfigDialogEntries; ++i) {
        if (kConfigEntries[i] == entry) {
            InterlockedExchangePointer(&g_configDialogs[i], nullptr);
            return;
        }
    }
}
