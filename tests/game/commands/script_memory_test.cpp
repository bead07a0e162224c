// Script memory, the bounded string writer and the script's formatter: what a script may name by
// address, and the two ways a command hands text back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/commands/script_formatter.h"
#include "game/commands/script_string_writer.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"
#include "tests/game/script/sob_snippet.h"

namespace {

// Two committed pages, the second made no-access: a text running to the end of the first page
// has nothing readable after it.
class PageEdge {
public:
    PageEdge() {
        m_base = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + 4096, 4096, PAGE_NOACCESS, &old);
    }
    ~PageEdge() { VirtualFree(m_base, 0, MEM_RELEASE); }
    // The address of the last `n` bytes before the no-access page.
    char* Tail(std::size_t n) { return m_base + 4096 - n; }

private:
    char* m_base;
};

// A buffer with guard bytes around the part registered as script memory.
class GuardedBuffer {
public:
    static constexpr std::size_t kGuard = 16;
    explicit GuardedBuffer(std::size_t size, bool writable = true) : m_bytes(size + 2 * kGuard, 0xEE), m_size(size) {
        m_registration.Reset(Data(), size, writable);
    }
    char* Data() { return reinterpret_cast<char*>(m_bytes.data() + kGuard); }
    std::uint32_t Address() { return AddressOf(Data()); }
    std::uint32_t End() { return Address() + static_cast<std::uint32_t>(m_size); }
    bool GuardsIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (m_bytes[i] != 0xEE || m_bytes[kGuard + m_size + i] != 0xEE) return false;
        }
        return true;
    }

private:
    std::vector<unsigned char> m_bytes;
    std::size_t m_size;
    ScriptMemoryRegistration m_registration;
};

TEST(ScriptMemory, LooksUpTheRegionOfAnAddressUpToItsEnd) {
    GuardedBuffer buffer(64);
    ScriptMemoryRegion region;
    ASSERT_TRUE(script_memory::Lookup(buffer.Address(), &region));
    EXPECT_EQ(region.start, buffer.Address());
    EXPECT_EQ(region.end, buffer.End());
    EXPECT_TRUE(region.writable);
    EXPECT_TRUE(script_memory::Lookup(buffer.End() - 1, nullptr));
    EXPECT_FALSE(script_memory::Lookup(buffer.End(), nullptr));
    EXPECT_FALSE(script_memory::Lookup(buffer.Address() - 1, nullptr));
    EXPECT_FALSE(script_memory::Lookup(0, nullptr));

    EXPECT_EQ(script_memory::WritableRoom(buffer.Address() + 60), 4u);
    EXPECT_TRUE(script_memory::IsWritable(buffer.Address() + 60, 4));
    EXPECT_FALSE(script_memory::IsWritable(buffer.Address() + 61, 4));
    EXPECT_TRUE(script_memory::WriteWord(buffer.Address() + 60, 0x01020304u));
    EXPECT_FALSE(script_memory::WriteWord(buffer.Address() + 61, 7));
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(ScriptMemory, ReadOnlyRegionsAreNoDestinationAndDroppedRegionsAreGone) {
    std::uint32_t address;
    {
        GuardedBuffer readOnly(32, false);
        address = readOnly.Address();
        EXPECT_TRUE(script_memory::IsReadable(address, 32));
        EXPECT_FALSE(script_memory::IsReadable(address, 33));
        EXPECT_FALSE(script_memory::IsWritable(address, 1));
        EXPECT_EQ(script_memory::WritableRoom(address), 0u);
        EXPECT_FALSE(script_memory::WriteWord(address, 1));
    }
    EXPECT_FALSE(script_memory::Lookup(address, nullptr));
}

TEST(ScriptMemory, TheLinkerAndTheStackRegisterTheirMemory) {
    std::uint32_t image;
    std::uint32_t stack;
    {
        sobtest::Snippet snippet("ret\n.data\nword: .word 1");
        ASSERT_TRUE(snippet.Linked());
        image = AddressOf(snippet.Image());
        stack = AddressOf(snippet.Context().StackBase());
        ScriptMemoryRegion region;
        ASSERT_TRUE(script_memory::Lookup(image, &region));
        EXPECT_TRUE(region.writable);
        EXPECT_EQ(region.end - region.start, snippet.Module().image.size());
        ASSERT_TRUE(script_memory::Lookup(stack, &region));
        EXPECT_EQ(region.end - region.start, ScriptCore::kDefaultStackWords * 4);
        snippet.Core().UnloadModule();
        EXPECT_FALSE(script_memory::Lookup(image, nullptr));
    }
    EXPECT_FALSE(script_memory::Lookup(stack, nullptr));
}

TEST(ScriptMemory, ATextEndsInsideItsRegionOrOnCommittedPages) {
    GuardedBuffer buffer(8);
    std::memcpy(buffer.Data(), "abc\0defg", 8);
    std::size_t length = 99;
    EXPECT_TRUE(script_memory::TextLength(buffer.Address(), &length));
    EXPECT_EQ(length, 3u);
    // "defg" runs to the region's end: the guard byte after it does not count as readable.
    EXPECT_FALSE(script_memory::TextLength(buffer.Address() + 4, &length));
    EXPECT_FALSE(script_memory::TextLength(0, &length));

    PageEdge edge;
    std::memcpy(edge.Tail(4), "xyz", 4);
    EXPECT_TRUE(script_memory::TextLength(AddressOf(edge.Tail(4)), &length));
    EXPECT_EQ(length, 3u);
    std::memcpy(edge.Tail(4), "wxyz", 4);
    EXPECT_FALSE(script_memory::TextLength(AddressOf(edge.Tail(4)), &length));
    EXPECT_FALSE(script_memory::TextLength(AddressOf(edge.Tail(0)), &length));
    // The limit counts the text without its terminator.
    std::memcpy(edge.Tail(4), "xyz", 4);
    EXPECT_TRUE(script_memory::TextLength(AddressOf(edge.Tail(4)), &length, 3));
    EXPECT_FALSE(script_memory::TextLength(AddressOf(edge.Tail(4)), &length, 2));

    std::memcpy(edge.Tail(6), L"ab", 6);
    EXPECT_TRUE(script_memory::WideTextLength(AddressOf(edge.Tail(6)), &length));
    EXPECT_EQ(length, 2u);
    std::memcpy(edge.Tail(4), L"ab", 4);
    EXPECT_FALSE(script_memory::WideTextLength(AddressOf(edge.Tail(4)), &length));
}

TEST(ScriptMemory, ReadableExtentStopsAtTheRegionOrThePageEdge) {
    GuardedBuffer buffer(40);
    EXPECT_EQ(script_memory::ReadableExtent(buffer.Address() + 8, 1000), 32u);
    EXPECT_EQ(script_memory::ReadableExtent(buffer.Address() + 8, 10), 10u);
    PageEdge edge;
    EXPECT_EQ(script_memory::ReadableExtent(AddressOf(edge.Tail(12)), 1000), 12u);
    EXPECT_EQ(script_memory::ReadableExtent(AddressOf(edge.Tail(0)), 1000), 0u);
    EXPECT_EQ(script_memory::ReadableExtent(0, 1000), 0u);
}

TEST(ScriptMemory, TheScenarioCheckAnswersFromTheRegions) {
    std::uint32_t address;
    {
        GuardedBuffer buffer(16);
        address = buffer.Address();
        EXPECT_EQ(ProgramScriptMemory().WritableBytes(address + 12, 4), buffer.Data() + 12);
        EXPECT_EQ(ProgramScriptMemory().WritableBytes(address + 13, 4), nullptr);
        GuardedBuffer readOnly(16, false);
        EXPECT_EQ(ProgramScriptMemory().WritableBytes(readOnly.Address(), 4), nullptr);
    }
    EXPECT_EQ(ProgramScriptMemory().WritableBytes(address, 4), nullptr) << "a dropped region";
}

TEST(ScriptMemory, ArgumentWordsStayInTheBlocksOwnRegion) {
    GuardedBuffer block(16);
    const std::uint32_t* words = PointerAt<const std::uint32_t>(block.Address());
    EXPECT_EQ(script_memory::ArgumentWords(words, 2, 100), 2u);
    EXPECT_EQ(script_memory::ArgumentWords(words, 2, 1), 1u);
    EXPECT_EQ(script_memory::ArgumentWords(words, 4, 100), 0u) << "the word after the region is another's";
    EXPECT_EQ(script_memory::ArgumentWords(words, 6, 100), 0u);
    PageEdge edge;
    const std::uint32_t* unregistered = reinterpret_cast<const std::uint32_t*>(edge.Tail(12));
    EXPECT_EQ(script_memory::ArgumentWords(unregistered, 1, 100), 2u);
    EXPECT_EQ(script_memory::ArgumentWords(unregistered, 3, 100), 0u);
}

struct WriterCase {
    const char* name;
    std::string text;
    std::size_t bufferSize;
    std::size_t sizeLimit;
    std::int32_t result;
    std::string written;
};

TEST(ScriptStringWriter, CutsAtTheRoomOrTheGivenSizeAtAWholeCharacter) {
    const WriterCase cases[] = {
        {"fits", "abc", 8, SIZE_MAX, 3, "abc"},
        {"cut to the room", "abcdefgh", 4, SIZE_MAX, 3, "abc"},
        {"cut to the given size", "abcdefgh", 8, 3, 2, "ab"},
        {"a room of one holds the terminator", "abc", 1, SIZE_MAX, 0, ""},
        {"a double-byte character is not split", "a\x83\x41", 3, SIZE_MAX, 1, "a"},
        {"a double-byte character that fits stays", "a\x83\x41", 4, SIZE_MAX, 3, "a\x83\x41"},
        {"a trail byte that looks like a backslash", "\x95\x5C", 2, SIZE_MAX, 0, ""},
        {"empty text", "", 4, SIZE_MAX, 0, ""},
        {"given size 0 writes nothing", "abc", 8, 0, -1, "\xEE"},
    };
    for (const WriterCase& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedBuffer buffer(c.bufferSize);
        std::memset(buffer.Data(), 0xEE, c.bufferSize);
        EXPECT_EQ(WriteScriptString(buffer.Address(), c.text, c.sizeLimit), c.result);
        EXPECT_EQ(std::string(buffer.Data(), c.written.size()), c.written);
        if (c.result >= 0) {
            EXPECT_EQ(buffer.Data()[c.result], '\0');
        }
        EXPECT_TRUE(buffer.GuardsIntact());
    }
}

TEST(ScriptStringWriter, RefusesDestinationsOutsideWritableScriptMemory) {
    GuardedBuffer readOnly(16, false);
    EXPECT_EQ(WriteScriptString(readOnly.Address(), std::string("abc")), -1);
    EXPECT_EQ(readOnly.Data()[0], '\xEE');
    char unregistered[16] = "zzz";
    EXPECT_EQ(WriteScriptString(AddressOf(unregistered), std::string("abc")), -1);
    EXPECT_STREQ(unregistered, "zzz");
    EXPECT_EQ(WriteScriptString(0, std::string("abc")), -1);
    GuardedBuffer buffer(8);
    EXPECT_EQ(WriteScriptString(buffer.End(), std::string("abc")), -1);
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(ScriptStringWriter, CopiesWithinOneBufferWhenSourceAndDestinationOverlap) {
    GuardedBuffer buffer(16);
    std::memcpy(buffer.Data(), "0123456789", 11);
    EXPECT_EQ(WriteScriptString(buffer.Address() + 2, buffer.Data(), 10), 10);
    EXPECT_STREQ(buffer.Data(), "010123456789");
}

struct FormatCase {
    const char* name;
    const char* format;
    std::vector<std::uint32_t> words;
    bool accepted;
    std::string text;
};

std::uint32_t TextWord(const char* text) { return AddressOf(text); }

TEST(ScriptFormatter, FollowsTheDocumentedConversions) {
    static const char kName[] = "Sora";
    static const char kKana[] = "\x83\x41\x83\x43";  // two double-byte characters
    static const wchar_t kWide[] = L"Wide";
    const FormatCase cases[] = {
        {"plain text and %%", "100%% sure", {}, true, "100% sure"},
        {"signed decimal", "%d|%i", {static_cast<std::uint32_t>(-42), 7}, true, "-42|7"},
        {"INT_MIN", "%d", {0x80000000u}, true, "-2147483648"},
        {"unsigned", "%u", {0xFFFFFFFFu}, true, "4294967295"},
        {"hex both cases", "%x %X", {0xBEEFu, 0xBEEFu}, true, "beef BEEF"},
        {"# prefixes every hex value", "%#x %#X %#x", {255, 255, 0}, true, "0xff 0XFF 0x0"},
        {"width pads on the left", "[%5d]", {42}, true, "[   42]"},
        {"- pads on the right", "[%-5d]", {42}, true, "[42   ]"},
        {"0 pads after the sign", "[%05d]", {static_cast<std::uint32_t>(-42)}, true, "[-0042]"},
        {"0 is ignored with -", "[%-05d]", {42}, true, "[42   ]"},
        {"0 after the hex prefix", "[%#06x]", {0x1F}, true, "[0x001f]"},
        {"precision is the least digit count", "[%6.4d]", {42}, true, "[  0042]"},
        {"h takes the low 16 bits, signed for d", "%hd %hu %hx", {0x1FFFFu, 0x1FFFFu, 0x12345u}, true,
         "-1 65535 2345"},
        {"l changes nothing on numbers", "%ld %lu", {static_cast<std::uint32_t>(-3), 3}, true, "-3 3"},
        {"a byte string", "<%s>", {TextWord(kName)}, true, "<Sora>"},
        {"string width and precision", "[%6.2s]", {TextWord(kName)}, true, "[    So]"},
        {"precision never splits a character", "[%.3s]", {TextWord(kKana)}, true, "[\x83\x41]"},
        {"a null string", "%s", {0}, true, "(null)"},
        {"a wide string by S and by ls", "%S %ls", {AddressOf(kWide), AddressOf(kWide)}, true, "Wide Wide"},
        {"hs is a byte string", "%hS", {TextWord(kName)}, true, "Sora"},
        {"characters", "%c%C%hC%lc", {'a', 'B', 'c', 'D'}, true, "aBcD"},
        {"a character 0 ends the text", "ab%cde", {0}, true, "ab"},
        {"a double-byte character in the format", "\x83\x25%d", {1}, true, "\x83\x25" "1"},
        {"float refused", "%f", {0}, false, ""},
        {"%n refused", "%n", {0}, false, ""},
        {"%p refused", "%p", {0}, false, ""},
        {"star refused", "%*d", {3, 4}, false, ""},
        {"I64 refused", "%I64d", {1, 0}, false, ""},
        {"a lone % at the end refused", "abc%", {}, false, ""},
        {"a word past the block refused", "%d %d", {1}, false, ""},
        {"a bad conversion after the text refused", "%d%q", {1, 2}, false, ""},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "stale";
        EXPECT_EQ(FormatScriptText(c.format, c.words.data(), c.words.size(), 1024, out), c.accepted);
        EXPECT_EQ(out, c.text);
    }
}

TEST(ScriptFormatter, StopsAtTheLimitAndRefusesUnreadableStrings) {
    std::string out;
    const std::uint32_t huge[] = {1};
    EXPECT_TRUE(FormatScriptText("%999999999d", huge, 1, 16, out));
    EXPECT_EQ(out, std::string(15, ' ') + " ");
    PageEdge edge;
    std::memcpy(edge.Tail(3), "abc", 3);
    const std::uint32_t unterminated[] = {AddressOf(edge.Tail(3))};
    EXPECT_FALSE(FormatScriptText("%s", unterminated, 1, 1024, out));
    const std::uint32_t noAccess[] = {AddressOf(edge.Tail(0))};
    EXPECT_FALSE(FormatScriptText("%s", noAccess, 1, 1024, out));
}

}  // namespace
