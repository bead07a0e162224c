#include "game/commands/memory_commands.h"

#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "framework/runtime/recursive_lock.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"

namespace {

using command_args::Int;

struct Block {
    std::unique_ptr<std::uint8_t[]> bytes;
    ScriptMemoryRegistration region;
};

// The script block set: address -> block, shared by every thread that runs scripts.
struct BlockSet {
    RecursiveLock lock;
    std::map<std::uint32_t, Block> blocks;
};

BlockSet& Blocks() {
    static BlockSet* set = new BlockSet;
    return *set;
}

std::uint32_t Allocate(std::uint32_t sizeWord, bool zeroed) {
    const std::int32_t size = Int(sizeWord);
    if (size <= 0) return 0;
    Block block;
    block.bytes.reset(zeroed ? new (std::nothrow) std::uint8_t[static_cast<std::uint32_t>(size)]()
                             : new (std::nothrow) std::uint8_t[static_cast<std::uint32_t>(size)]);
    if (!block.bytes) return 0;
    const std::uint32_t address = AddressOf(block.bytes.get());
    if (!block.region.Reset(block.bytes.get(), static_cast<std::uint32_t>(size), true)) return 0;
    BlockSet& set = Blocks();
    ScopedLock hold(set.lock);
    set.blocks[address] = std::move(block);
    return address;
}

std::uint32_t AllocateBlock(std::uint32_t* a) { return Allocate(a[0], false); }
std::uint32_t AllocateZeroedBlock(std::uint32_t* a) { return Allocate(a[0], true); }

std::uint32_t FreeBlock(std::uint32_t* a) {
    Block freed;
    {
        BlockSet& set = Blocks();
        ScopedLock hold(set.lock);
        const auto found = set.blocks.find(a[0]);
        if (a[0] == 0 || found == set.blocks.end()) return 0;
        freed = std::move(found->second);
        set.blocks.erase(found);
    }
    return 1;
}

// A count of bytes as the unsigned number it becomes: a negative count is past every region.
std::uint64_t Bytes(std::uint32_t count, std::uint32_t unit) { return std::uint64_t{count} * unit; }

bool WritableRange(std::uint32_t address, std::uint64_t size) {
    return size <= SIZE_MAX && script_memory::IsWritable(address, static_cast<std::size_t>(size));
}

std::uint32_t FillWords(std::uint32_t* a) {
    const std::uint64_t size = Bytes(a[2], 4);
    if (!WritableRange(a[0], size)) return 0;
    std::uint8_t* out = PointerAt<std::uint8_t>(a[0]);
    for (std::uint64_t i = 0; i < size; i += 4) std::memcpy(out + i, &a[1], 4);
    return 1;
}

std::uint32_t FillBytes(std::uint32_t* a) {
    const std::uint64_t size = Bytes(a[2], 1);
    if (!WritableRange(a[0], size)) return 0;
    std::memset(PointerAt<void>(a[0]), command_args::Byte(a[1]), static_cast<std::size_t>(size));
    return 1;
}

std::uint32_t CopyBytes(std::uint32_t* a) {
    const std::uint64_t size = Bytes(a[2], 1);
    if (!WritableRange(a[0], size) || !script_memory::IsReadable(a[1], static_cast<std::size_t>(size))) return 0;
    std::memmove(PointerAt<void>(a[0]), PointerAt<const void>(a[1]), static_cast<std::size_t>(size));
    return 1;
}

}  // namespace

std::uint32_t XM_CDECL CmdAllocateBlock(std::uint32_t* a) { return GuardedCommand<AllocateBlock, 0>(a); }
std::uint32_t XM_CDECL CmdAllocateZeroedBlock(std::uint32_t* a) { return GuardedCommand<AllocateZeroedBlock, 0>(a); }
std::uint32_t XM_CDECL CmdFreeBlock(std::uint32_t* a) { return GuardedCommand<FreeBlock, 0>(a); }
std::uint32_t XM_CDECL CmdFillWords(std::uint32_t* a) { return GuardedCommand<FillWords, 0>(a); }
std::uint32_t XM_CDECL CmdFillBytes(std::uint32_t* a) { return GuardedCommand<FillBytes, 0>(a); }
std::uint32_t XM_CDECL CmdCopyBytes(std::uint32_t* a) { return GuardedCommand<CopyBytes, 0>(a); }
