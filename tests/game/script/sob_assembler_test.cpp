#include "tools/content/sob_assembler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Words(std::initializer_list<std::uint32_t> words) {
    Bytes bytes;
    for (std::uint32_t word : words) {
        testsupport::AppendWord(bytes, word);
    }
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(SobAssembler, ModuleFileLayout) {
    const testsupport::SobModule module = testsupport::AssembleSob(
        "push 5   ; a comment\n"
        "ret\n"
        ".data\n"
        "x: .word x, var:2, cmd:7, sym:1, lib:16\n"
        ".text \"ab\"\n");
    const Bytes image = Join({Words({8, 5, 1, 0, 0, 0, 0, 0}), {'a', 'b', 0, 0}});
    const Bytes section = Words({1, 16, 2,    // variables
                                 1, 20, 7,    // commands
                                 1, 24, 1,    // named symbols
                                 1, 28, 16,   // function library
                                 1, 12, 12,   // internal
                                 0});
    const Bytes expected = Join({{'S', 'O', 'B', '0'}, Words({static_cast<std::uint32_t>(section.size())}), section,
                                 Words({12, static_cast<std::uint32_t>(image.size())}), image});
    EXPECT_EQ(expected, module.Sob0());
    Bytes library = expected;
    library[3] = '2';
    EXPECT_EQ(library, module.Sob2());
}

TEST(SobAssembler, TableJumpEndsItsTableAndRawOpcodes) {
    const testsupport::SobModule module = testsupport::AssembleSob("jtab 1, t\nt: op 47, -1\n");
    EXPECT_EQ(Words({7, 1, 0, 0xFFFFFFFFu, 47, 0xFFFFFFFFu}), module.image);
    EXPECT_EQ(16u, module.Label("t"));
}

TEST(SobAssembler, TailLinesGoToTheEndOfTheImage) {
    const testsupport::SobModule module = testsupport::AssembleSob(
        "push a\n.tail\na: .word b\n.endtail\nret\n.data\nb: .word 9\n.tail\n.text \"x\"\n.endtail\n");
    EXPECT_EQ(Words({8, 0, 1, 9, 0, 'x'}), module.image);
    EXPECT_EQ(12u, module.instructionSize);
    EXPECT_EQ(16u, module.Label("a"));
    EXPECT_EQ(12u, module.Label("b"));
    ASSERT_EQ(2u, module.fixups[testsupport::kSobFixInternal].size());
    EXPECT_EQ(4u, module.fixups[testsupport::kSobFixInternal][0].at);
    EXPECT_EQ(16u, module.fixups[testsupport::kSobFixInternal][0].value);
    EXPECT_EQ(16u, module.fixups[testsupport::kSobFixInternal][1].at);
    EXPECT_EQ(12u, module.fixups[testsupport::kSobFixInternal][1].value);
}

TEST(SobAssembler, TextEscapes) {
    const testsupport::SobModule module = testsupport::AssembleSob(".text \"\\x83\\x41\\\"\\x5c\\xZ\"\n");
    const std::vector<std::uint8_t> expected = {0x83, 0x41, '"', 0x5C, 'x', 'Z', 0, 0};
    EXPECT_EQ(expected, module.image);
}

TEST(SobAssembler, VariableModuleAndInitFileLayouts) {
    testsupport::SobUserVar vars;
    EXPECT_EQ(0u, vars.AddNumber(1, 7));
    EXPECT_EQ(1u, vars.AddText(1, 2, 6, "ab"));
    vars.relocations.push_back({8, 4});
    const Bytes expected = Join({{'S', 'O', 'B', '1'}, Words({12, 7}), {'a', 'b', 0, 0, 0, 0, 0, 0},
                                 Words({2}), {0, 1}, Words({0, 4}), {1, 2}, Words({4, 6}), Words({1, 8, 4, 0})});
    EXPECT_EQ(expected, vars.Bytes());
    EXPECT_EQ((Bytes{2, 0, 5, 'M', 'A', 'I', 'N', 0, 0x2C, 0x01, 2, 0, 3, 'E', 'N', 'D', 1, 0, 0, 0}),
              testsupport::SobInitFile({{"MAIN", 300, 2}, {"END", 1, 0, false}}));
}

TEST(SobAssembler, MistakesNameTheirLine) {
    for (const char* source : {"push\n", "nope 1\n", "jmp missing\n", "x: ret\nx: ret\n", ".word cmd:x\n", ".tail\nret\n",
                               ".endtail\n", ".tail\n.data\n.endtail\n"}) {
        EXPECT_THROW(testsupport::AssembleSob(source), std::invalid_argument) << source;
    }
}

}  // namespace
