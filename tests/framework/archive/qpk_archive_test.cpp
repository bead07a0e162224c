#include "framework/archive/qpk_archive.h"
#include "framework/archive/qpk_archive_format.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/content/byte_words.h"
#include "tools/content/qpk_writer.h"
#include "tests/support/table_slots.h"
#include "tests/support/win_test_env.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::CallSlot;
using testsupport::PutWord;
using testsupport::QpkEntryOptions;
using testsupport::QpkWriter;
using testsupport::WordAt;

struct ArchiveRelease {
    void operator()(Archive* archive) const { ReleaseObject(archive); }
};
using ArchivePtr = std::unique_ptr<Archive, ArchiveRelease>;
struct StreamRelease {
    void operator()(ByteStream* stream) const { ReleaseObject(stream); }
};
using StreamPtr = std::unique_ptr<ByteStream, StreamRelease>;

// Destination of an extraction, with what the archive reported on the way.
struct Sink {
    Bytes bytes;
    std::vector<std::pair<int, int>> progress;
};

void* XM_CDECL SinkAllocate(std::uint32_t size, void* argument, void* block) {
    Sink* sink = static_cast<Sink*>(argument);
    sink->bytes.assign(size, 0xCC);
    return sink->bytes.data();
}

void XM_CDECL SinkProgress(std::int32_t done, std::int32_t total, void* argument) {
    static_cast<Sink*>(argument)->progress.emplace_back(done, total);
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Pattern(std::uint32_t size, std::uint32_t seed, bool compressible) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (std::uint32_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(compressible ? "abcdefgh"[(i / 7 + seed) % 8] + (i % 3) : random());
    return data;
}

Bytes WithPrefix(const std::string& prefix, const Bytes& body) {
    Bytes content = ToBytes(prefix);
    content.insert(content.end(), body.begin(), body.end());
    return content;
}

class QpkArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { ResetOptions(); }
    void TearDown() override { ResetOptions(); }

    static void ResetOptions() {
        QpkAssistFunc(0, 0);
        QpkAssistFunc(1, 0u, 0u);
    }

    ArchivePtr Open(const std::string& path, std::int32_t* code) {
        return ArchivePtr(m_format.Open(path.c_str(), INVALID_HANDLE_VALUE, code));
    }

    ArchivePtr WriteAndOpen(const QpkWriter& writer, const std::string& fileName = "DATA.QPK",
                            const QpkWriter::IndexEditor& edit = nullptr) {
        std::string path = m_folder.File(fileName);
        EXPECT_TRUE(writer.Write(path, edit));
        std::int32_t code = -100;
        ArchivePtr archive = Open(path, &code);
        EXPECT_EQ(0, code);
        return archive;
    }

    static std::int32_t Extract(Archive& archive, std::int32_t index, Bytes* out) {
        Sink sink;
        std::int32_t code = archive.ExtractByIndex(index, SinkAllocate, &sink, nullptr, nullptr);
        *out = sink.bytes;
        return code;
    }

    static Bytes ReadAll(ByteStream& stream) {
        Bytes all(stream.Size() + 16);
        std::uint32_t read = stream.Read(all.data(), static_cast<std::uint32_t>(all.size()));
        all.resize(read);
        return all;
    }

    QpkArchiveFormat m_format;
    testsupport::TempFolder m_folder;
};

struct OpenFailure {
    const char* what;
    Bytes file;
    std::int32_t code;
};

TEST_F(QpkArchiveTest, OpenRefusesWhatIsNoArchive) {
    const OpenFailure cases[] = {
        {"another magic", ToBytes("QPK2\x01\x02\x03\x04 and more bytes"), 1},
        {"a file shorter than the header", ToBytes("QPK1"), 7},
        {"an empty file", Bytes(), 7},
    };
    for (const OpenFailure& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = m_folder.File("BROKEN.QPK");
        ASSERT_TRUE(testsupport::WriteFile(path, c.file));
        std::int32_t code = -100;
        EXPECT_EQ(nullptr, Open(path, &code));
        EXPECT_EQ(c.code, code);
        // The file is not left open: it can be deleted at once.
        EXPECT_TRUE(DeleteFileA(path.c_str()));
    }
    std::int32_t code = -100;
    EXPECT_EQ(nullptr, Open(m_folder.File("MISSING.QPK"), &code));
    EXPECT_EQ(3, code);
    EXPECT_EQ(nullptr, m_format.Open(nullptr, INVALID_HANDLE_VALUE, &code));
    EXPECT_EQ(5, code);
}

TEST_F(QpkArchiveTest, GivenHandleBelongsToTheArchiveOnlyAfterSuccess) {
    QpkWriter writer;
    writer.Add("x", ToBytes("content"));
    std::string good = m_folder.File("GOOD.QPK");
    std::string bad = m_folder.File("BAD.QPK");
    ASSERT_TRUE(writer.Write(good));
    ASSERT_TRUE(testsupport::WriteFile(bad, ToBytes("NOT AN ARCHIVE")));
    std::int32_t code = -100;
    HANDLE refused = testsupport::OpenForReading(bad);
    EXPECT_EQ(nullptr, m_format.Open(bad.c_str(), refused, &code));
    EXPECT_EQ(1, code);
    EXPECT_TRUE(CloseHandle(refused));

    HANDLE taken = testsupport::OpenForReading(good);
    // A handle that has been read from already: the archive reads from the file's start.
    char skipped[3];
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(taken, skipped, 3, &read, nullptr));
    ArchivePtr archive(m_format.Open(good.c_str(), taken, &code));
    ASSERT_NE(nullptr, archive);
    EXPECT_EQ(0, code);
    Bytes extracted;
    EXPECT_EQ(0, Extract(*archive, 0, &extracted));
    EXPECT_EQ(ToBytes("content"), extracted);
    archive.reset();
    // The archive closed the handle with itself: the file can be deleted now.
    EXPECT_TRUE(DeleteFileA(good.c_str()));
}

// One archive layout of the writer; every layout must read back the same entries.
struct Layout {
    const char* what;
    bool blockLayout;
    bool named;
    bool wideLinks;
    bool headScrambled;
    bool secondSize;
    std::string prefix;
    std::uint32_t hostFirst;
    std::uint32_t hostSecond;
    bool loadNames;
};

struct EntryCase {
    const char* name;
    Bytes body;  // after the prefix
    QpkEntryOptions options;
};

TEST_F(QpkArchiveTest, EveryLayoutReadsBackEveryKindOfEntry) {
    const Layout layouts[] = {
        {"plain named archive", false, true, false, false, true, "", 0, 0, false},
        {"block layout", true, true, false, false, true, "", 0, 0, true},
        {"32-bit links", false, true, true, false, true, "", 0, 0, true},
        {"scrambled heads with a prefix", false, true, false, true, true, "RIFF", 0, 0, true},
        {"no second size", false, true, false, true, false, "PX", 0, 0, false},
        {"unnamed", false, false, false, false, true, "", 0, 0, true},
        {"host words, everything on", true, true, true, true, true, "\x89PNG", 0x12345678, 0x9ABCDEF0, true},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        QpkAssistFunc(0, layout.loadNames ? 1 : 0);
        QpkAssistFunc(1, layout.hostFirst, layout.hostSecond);
        QpkWriter writer;
        writer.BlockLayout(layout.blockLayout).Named(layout.named).WideLinks(layout.wideLinks)
            .HeadScrambled(layout.headScrambled).SecondSize(layout.secondSize).Prefix(layout.prefix)
            .HostWords(layout.hostFirst, layout.hostSecond);
        std::vector<EntryCase> entries = {
            {"script\\main.sob", Pattern(5000, 1, false), {}},
            {"bgm\\title.ogg", Pattern(3000, 2, false), {false, true}},
            {"tiny.txt", ToBytes("abc"), {}},
            {"head.bin", Pattern(255, 3, false), {false, true}},
        };
        if (layout.secondSize) {
            entries.push_back({"packed.txt", Pattern(20000, 4, true), {true, false}});
            entries.push_back({"packed\\scrambled.txt", Pattern(9000, 5, true), {true, true}});
        }
        if (!layout.prefix.empty()) entries.push_back({"only-prefix", Bytes(), {}});
        for (const EntryCase& entry : entries) writer.Add(entry.name, WithPrefix(layout.prefix, entry.body), entry.options);
        ArchivePtr archive = WriteAndOpen(writer);
        ASSERT_NE(nullptr, archive);
        ASSERT_EQ(entries.size(), archive->EntryCount());
        EXPECT_EQ(layout.loadNames, archive->EntryTable() != nullptr);

        for (std::uint32_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE(entries[i].name);
            const Bytes expected = WithPrefix(layout.prefix, entries[i].body);
            const bool compressed = entries[i].options.compress;
            Bytes extracted;
            ASSERT_EQ(0, Extract(*archive, i, &extracted));
            EXPECT_EQ(expected, extracted);
            if (layout.named) {
                Sink sink;
                EXPECT_EQ(0, archive->ExtractByName(entries[i].name, SinkAllocate, &sink, SinkProgress, &sink));
                EXPECT_EQ(expected, sink.bytes);
                EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}), sink.progress);
            }
            std::int32_t code = -100;
            StreamPtr stream(archive->OpenStreamByIndex(i, &code));
            if (compressed) {
                EXPECT_EQ(nullptr, stream);
                EXPECT_EQ(-3, code);
            } else {
                ASSERT_NE(nullptr, stream);
                EXPECT_EQ(0, code);
                EXPECT_EQ(expected.size(), stream->Size());
                EXPECT_EQ(expected, ReadAll(*stream));
                EXPECT_TRUE(stream->IsEof());
            }
            if (layout.loadNames) {
                const char* name = nullptr;
                ArchiveEntryInfo* info = archive->EntryInfo(i, &name);
                ASSERT_NE(nullptr, info);
                char unnamed[16];
                std::snprintf(unnamed, sizeof unnamed, "%06u.DAT", i);
                EXPECT_STREQ(layout.named ? entries[i].name : unnamed, name);
                EXPECT_EQ(static_cast<std::int32_t>(i), info->index);
                EXPECT_EQ(expected.size(), info->unpackedSize);
                EXPECT_EQ(compressed, info->storedSize < info->unpackedSize);
                EXPECT_EQ(compressed ? 1 : 0, info->hasUnpackedSize);
                EXPECT_EQ(8, info->kind);
                EXPECT_EQ(entries[i].options.scramble ? 1 : 0, info->entryFlags);
                EXPECT_EQ(0, info->timeStamp);
                EXPECT_EQ(name, archive->EntryTable()[i].name);
                EXPECT_EQ(info, archive->EntryTable()[i].info);
                if (layout.blockLayout) {
                    EXPECT_EQ(0u, info->fileOffset % 2048);
                }
            }
        }
    }
}

TEST_F(QpkArchiveTest, NamesAreFoundWhateverTheirCaseButOnlyWhole) {
    QpkAssistFunc(0, 1);
    QpkWriter writer;
    writer.Add("Script\\Main.SOB", ToBytes("main module"));
    writer.Add("script\\main.sob2", ToBytes("second"));
    ArchivePtr archive = WriteAndOpen(writer);
    ASSERT_NE(nullptr, archive);
    struct Case {
        const char* name;
        std::int32_t index;
    } cases[] = {
        {"script\\main.sob", 0}, {"SCRIPT\\MAIN.SOB", 0}, {"sCrIpT\\mAiN.sOb", 0}, {"SCRIPT\\MAIN.SOB2", 1},
        {"script\\main.so", -1}, {"script\\", -1}, {"script\\main.sob\\", -1}, {"", -1}, {"main.sob", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.index >= 0, archive->Contains(c.name));
        ArchiveEntryInfo* info = archive->FindEntry(c.name);
        EXPECT_EQ(c.index, info ? info->index : -1);
        Sink sink;
        EXPECT_EQ(c.index >= 0 ? 0 : 3, archive->ExtractByName(c.name, SinkAllocate, &sink, nullptr, nullptr));
        std::int32_t code = -100;
        StreamPtr stream(archive->OpenStreamByName(c.name, &code));
        EXPECT_EQ(c.index >= 0 ? 0 : 3, code);
    }
    const char* name = nullptr;
    ASSERT_NE(nullptr, archive->EntryInfo(0, &name));
    EXPECT_STREQ("script\\main.sob", name);
    EXPECT_EQ(nullptr, archive->EntryInfo(2, &name));
    EXPECT_EQ(nullptr, archive->EntryInfo(-1, &name));
}

TEST_F(QpkArchiveTest, UnnamedArchiveIsReachedByIndexOnly) {
    QpkWriter writer;
    writer.Named(false);
    writer.Add("", ToBytes("first"));
    writer.Add("", ToBytes("second"));
    ArchivePtr archive = WriteAndOpen(writer);
    ASSERT_NE(nullptr, archive);
    EXPECT_FALSE(archive->Contains("000000.DAT"));
    EXPECT_EQ(nullptr, archive->EntryTable());
    EXPECT_EQ(nullptr, archive->EntryInfo(0, nullptr));
    Sink sink;
    EXPECT_EQ(3, archive->ExtractByName("000001.DAT", SinkAllocate, &sink, nullptr, nullptr));
    Bytes extracted;
    EXPECT_EQ(0, Extract(*archive, 1, &extracted));
    EXPECT_EQ(ToBytes("second"), extracted);
    EXPECT_EQ(3, Extract(*archive, 2, &extracted));
    EXPECT_EQ(3, Extract(*archive, -1, &extracted));
    std::int32_t code = -100;
    EXPECT_EQ(nullptr, archive->OpenStreamByIndex(2, &code));
    EXPECT_EQ(3, code);
}

TEST_F(QpkArchiveTest, ArchivesWithoutEntriesOpenEmpty) {
    QpkAssistFunc(0, 1);
    for (bool named : {true, false}) {
        SCOPED_TRACE(named ? "named" : "unnamed");
        QpkWriter writer;
        writer.Named(named).BlockLayout(!named);
        ArchivePtr archive = WriteAndOpen(writer);
        ASSERT_NE(nullptr, archive);
        EXPECT_EQ(0u, archive->EntryCount());
        EXPECT_FALSE(archive->Contains(""));
        Bytes extracted;
        EXPECT_EQ(3, Extract(*archive, 0, &extracted));
    }
}

TEST_F(QpkArchiveTest, BlockLayoutOffsetsCountBlocksOf2048Bytes) {
    QpkAssistFunc(0, 1);
    QpkWriter writer;
    writer.BlockLayout();
    writer.Add("a", Pattern(100, 1, false));
    writer.Add("b", Pattern(2049, 2, false));
    writer.Add("c", ToBytes("third entry"));
    std::uint32_t storedOffset = 0;
    ArchivePtr archive = WriteAndOpen(writer, "DATA.QPK", [&](Bytes& index, std::uint32_t&, const QpkWriter::IndexLayout& l) {
        const std::uint8_t* record = &index[l.recordsOffset + 2 * l.recordSize];
        storedOffset = record[1] | record[2] << 8 | record[3] << 16 | record[4] << 24;
    });
    ASSERT_NE(nullptr, archive);
    // The index fills block 0, "a" block 1, "b" blocks 2 and 3: "c" is stored as block 4.
    EXPECT_EQ(4u, storedOffset);
    EXPECT_EQ(4u * 2048, archive->EntryInfo(2, nullptr)->fileOffset);
    Bytes extracted;
    ASSERT_EQ(0, Extract(*archive, 2, &extracted));
    EXPECT_EQ(ToBytes("third entry"), extracted);
}

TEST_F(QpkArchiveTest, StreamReadsAcrossTheHeadAndSeeksWithinTheEntry) {
    const std::string prefix = "HDR";
    const Bytes body = Pattern(1000, 7, false);
    const Bytes content = WithPrefix(prefix, body);
    QpkWriter writer;
    writer.HeadScrambled().Prefix(prefix);
    writer.Add("voice.ogg", content, {false, true});
    ArchivePtr archive = WriteAndOpen(writer);
    ASSERT_NE(nullptr, archive);
    std::int32_t code = -100;
    StreamPtr stream(archive->OpenStreamByName("voice.ogg", &code));
    ASSERT_NE(nullptr, stream);
    // The stream has its own file handle: it outlives the archive.
    archive.reset();

    const std::uint32_t headEnd = 3 + 256;
    struct Read {
        const char* what;
        std::function<std::int32_t(ByteStream&)> seek;
        std::uint32_t position;
        std::uint32_t count;
    } reads[] = {
        {"prefix into the head", [](ByteStream& s) { return s.SeekSet(0); }, 0, 10},
        {"across the end of the head", [&](ByteStream& s) { return s.SeekSet(headEnd - 5); }, headEnd - 5, 20},
        {"from the file part back into the head",
         [&](ByteStream& s) { s.SeekSet(headEnd + 40); return s.SeekCur(-60); }, headEnd - 20, 30},
        {"past the end is cut", [](ByteStream& s) { return s.SeekEnd(7); }, 996, 50},
        {"seek past the end stops at the size", [](ByteStream& s) { return s.SeekSet(5000); }, 1003, 10},
        {"seek before the start stops at 0", [](ByteStream& s) { s.SeekSet(4); return s.SeekCur(-10); }, 0, 4},
        {"end distance beyond the size gives 0", [](ByteStream& s) { return s.SeekEnd(2000); }, 0, 5},
    };
    for (const Read& r : reads) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(0, r.seek(*stream));
        EXPECT_EQ(r.position, stream->Tell());
        Bytes buffer(r.count);
        std::uint32_t expectedCount = std::min<std::uint32_t>(r.count, 1003 - r.position);
        EXPECT_EQ(expectedCount, stream->Read(buffer.data(), r.count));
        buffer.resize(expectedCount);
        EXPECT_EQ(Bytes(content.begin() + r.position, content.begin() + r.position + expectedCount), buffer);
        EXPECT_EQ(r.position + expectedCount, stream->Tell());
    }
    EXPECT_EQ(0, stream->SeekEnd(0));
    EXPECT_TRUE(stream->IsEof());
    Bytes buffer(4);
    EXPECT_EQ(0u, stream->Read(buffer.data(), 4));
    EXPECT_EQ(nullptr, stream->Detach(1));
}

TEST_F(QpkArchiveTest, HostWordsMustMatchTheOnesTheArchiveWasWrittenWith) {
    QpkWriter writer;
    writer.HostWords(0xCAFEF00D, 0x0BADBEEF);
    writer.Add("x", ToBytes("secret"));
    std::string path = m_folder.File("GAME.QPK");
    ASSERT_TRUE(writer.Write(path));
    std::int32_t code = -100;
    ArchivePtr wrong = Open(path, &code);
    EXPECT_NE(0, code);
    EXPECT_EQ(nullptr, wrong);

    ArchiveOptionRecord option = {1, {0xCAFEF00D, 0x0BADBEEF}};
    EXPECT_EQ(0, m_format.Assist(option));
    ArchivePtr right = Open(path, &code);
    ASSERT_NE(nullptr, right);
    EXPECT_TRUE(right->Contains("x"));

    // The key also comes from the archive's file name: a renamed archive does not open.
    std::string renamed = m_folder.File("OTHER.QPK");
    ASSERT_TRUE(CopyFileA(path.c_str(), renamed.c_str(), FALSE));
    EXPECT_EQ(nullptr, Open(renamed, &code));
    EXPECT_NE(0, code);
}

TEST_F(QpkArchiveTest, OptionsOutsideZeroAndOneAreRefused) {
    const std::int32_t record[3] = {2, 1, 1};
    EXPECT_EQ(5, QpkSetOption(record));
    EXPECT_EQ(5, QpkAssistFunc(-1));
    EXPECT_EQ(-2, m_format.Reserved());
}

TEST_F(QpkArchiveTest, ExtractionNeedsAnAllocatorThatDelivers) {
    QpkWriter writer;
    writer.Add("x", ToBytes("content"));
    ArchivePtr archive = WriteAndOpen(writer);
    ASSERT_NE(nullptr, archive);
    EXPECT_EQ(5, archive->ExtractByIndex(0, nullptr, nullptr, nullptr, nullptr));
    auto refuse = [](std::uint32_t, void*, void*) -> void* { return nullptr; };
    EXPECT_EQ(8, archive->ExtractByIndex(0, refuse, nullptr, nullptr, nullptr));
    EXPECT_EQ(-2, archive->ExtractToFileByIndex(0, m_folder.File("out").c_str(), nullptr, nullptr));
    EXPECT_EQ(-2, archive->ExtractToFileByName("x", m_folder.File("out").c_str(), nullptr, nullptr));
    Bytes extracted;
    EXPECT_EQ(0, Extract(*archive, 0, &extracted));
}

std::size_t Record(const QpkWriter::IndexLayout& layout, std::uint32_t entry) {
    return layout.recordsOffset + entry * layout.recordSize;
}

// Replaces the trie by `trie`, keeping the records behind it.
void ReplaceTrie(Bytes& index, std::uint32_t& descriptor, const QpkWriter::IndexLayout& layout, const Bytes& trie) {
    Bytes rebuilt(index.begin(), index.begin() + layout.trieOffset);
    PutWord(rebuilt, layout.linkWidthOffset + 1, static_cast<std::uint32_t>(trie.size()));
    rebuilt.insert(rebuilt.end(), trie.begin(), trie.end());
    rebuilt.insert(rebuilt.end(), index.begin() + layout.recordsOffset, index.end());
    index = rebuilt;
    descriptor = (descriptor & 0xFF000000u) | static_cast<std::uint32_t>(index.size());
}

// Forty nodes, each with two records that both lead to the next one: 2^40 names.
Bytes SharedNodeTrie() {
    Bytes trie;
    for (int i = 0; i < 40; ++i) {
        const std::uint8_t node[] = {2, 'x', 3, 0, 'y', 0, 0};
        trie.insert(trie.end(), node, node + sizeof node);
    }
    const std::uint8_t last[] = {1, 0, 0, 0};
    trie.insert(trie.end(), last, last + sizeof last);
    return trie;
}

struct Corruption {
    const char* what;
    bool blockLayout;
    bool wideLinks;
    QpkWriter::IndexEditor edit;
    std::uint32_t cutBytes;  // removed from the end of the file
    std::int32_t openCode;
    std::uint32_t entry;     // with an archive that opens: the entry that the corruption hits
    std::int32_t extractCode;
    std::int32_t streamCode;
};

TEST_F(QpkArchiveTest, MalformedArchivesGiveClearCodes) {
    using Layout = QpkWriter::IndexLayout;
    // With the names "a", "b" and "c" the trie is laid out as: root {3 records of 3 bytes},
    // then the nodes of "a" at 10, "b" at 14 and "c" at 18, each {1, end of name, entry index}.
    // With 32-bit links the root record of "a" still keeps its link at offset 2.
    const std::size_t kRootLinkOfA = 2;
    const std::size_t kEntryIndexOfC = 20;
    const Corruption cases[] = {
        {"block layout with n = 0", false, false,
         [](Bytes&, std::uint32_t& d, const Layout&) { d = (d & 0xFF000000u) | kQpkBlockLayout << 24; }, 0, 1, 0, 0, 0},
        {"block layout index of 4 GB and more (wraps to 2040 bytes in 32 bits)", false, false,
         [](Bytes&, std::uint32_t& d, const Layout&) { d = (d & 0xFF000000u) | kQpkBlockLayout << 24 | 0x200001; },
         0, 7, 0, 0, 0},
        {"index longer than the file", false, false,
         [](Bytes&, std::uint32_t& d, const Layout&) { d = (d & 0xFF000000u) | 0xFFFFFF; }, 0, 7, 0, 0, 0},
        {"index shorter than one word", false, false,
         [](Bytes&, std::uint32_t& d, const Layout&) { d = (d & 0xFF000000u) | 3; }, 0, 1, 0, 0, 0},
        {"prefix longer than the index", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { index[l.prefixLengthOffset] = 255; }, 0, 1, 0, 0, 0},
        {"trie longer than the index", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { PutWord(index, l.linkWidthOffset + 1, 0xFFFFFFF0u); },
         0, 1, 0, 0, 0},
        {"entry count beyond the records", false, false, [](Bytes& index, std::uint32_t&, const Layout&) { PutWord(index, 0, 4); },
         0, 1, 0, 0, 0},
        {"entry count whose records wrap 32 bits", false, false,
         [](Bytes& index, std::uint32_t&, const Layout&) { PutWord(index, 0, 330382100u); }, 0, 1, 0, 0, 0},
        {"trie link past the trie", false, false,
         [&](Bytes& index, std::uint32_t&, const Layout& l) {
             EXPECT_EQ(6, index[l.trieOffset + kRootLinkOfA]);
             index[l.trieOffset + kRootLinkOfA] = 0xFF;
             index[l.trieOffset + kRootLinkOfA + 1] = 0xFF;
         },
         0, 1, 0, 0, 0},
        {"32-bit trie link that wraps around", false, true,
         [&](Bytes& index, std::uint32_t&, const Layout& l) {
             EXPECT_EQ(10u, WordAt(index, l.trieOffset + kRootLinkOfA));
             PutWord(index, l.trieOffset + kRootLinkOfA, 0xFFFFFFF0u);
         },
         0, 1, 0, 0, 0},
        {"trie entry index beyond the entry count", false, false,
         [&](Bytes& index, std::uint32_t&, const Layout& l) {
             EXPECT_EQ(2, index[l.trieOffset + kEntryIndexOfC]);
             index[l.trieOffset + kEntryIndexOfC] = 3;
         },
         0, 1, 0, 0, 0},
        {"trie whose links share nodes", false, false,
         [](Bytes& index, std::uint32_t& d, const Layout& l) { ReplaceTrie(index, d, l, SharedNodeTrie()); }, 0, 1, 0, 0, 0},
        {"flag bits without meaning are ignored", false, false,
         [](Bytes&, std::uint32_t& d, const Layout&) { d |= 0xF0000000u; }, 0, 0, 2, 0, 0},
        {"unpacked size smaller than the prefix", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { PutWord(index, Record(l, 2) + 9, 1); }, 0, 0, 2, 12, 12},
        {"stored size 0", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) {
             PutWord(index, Record(l, 0) + 9, WordAt(index, Record(l, 0) + 5));
             PutWord(index, Record(l, 0) + 5, 0);
         },
         0, 0, 0, 2, -3},
        // Both sizes 0 leave no room for the prefix either; the empty entry is what is reported.
        {"stored and unpacked size 0", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) {
             PutWord(index, Record(l, 0) + 5, 0);
             PutWord(index, Record(l, 0) + 9, 0);
         },
         0, 0, 0, 2, -3},
        {"compressed data that ends early", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) {
             PutWord(index, Record(l, 1) + 5, WordAt(index, Record(l, 1) + 5) / 2);
         },
         0, 0, 1, 12, -3},
        {"compressed entry no longer than the prefix", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { PutWord(index, Record(l, 1) + 9, 2); }, 0, 0, 1, 12, -3},
        {"entry offset beyond the file", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { PutWord(index, Record(l, 2) + 1, 0x7FFFFFF0u); }, 0, 0, 2, 7,
         7},
        {"entry running past the end of the file", false, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { PutWord(index, Record(l, 2) + 5, 100000); }, 0, 0, 2, 7, 7},
        {"block offset beyond 4 GB (wraps to block 1 in 32 bits)", true, false,
         [](Bytes& index, std::uint32_t&, const Layout& l) { PutWord(index, Record(l, 2) + 1, 0x200001u); }, 0, 0, 2, 7,
         7},
        {"archive file cut short", false, false, nullptr, 10, 0, 2, 7, 7},
    };
    const std::string prefix = "PF";
    const Bytes contents[] = {WithPrefix(prefix, Pattern(600, 1, false)), WithPrefix(prefix, Pattern(5000, 2, true)),
                              WithPrefix(prefix, Pattern(100, 3, false))};
    for (const Corruption& c : cases) {
        SCOPED_TRACE(c.what);
        QpkWriter writer;
        writer.Prefix(prefix).BlockLayout(c.blockLayout).WideLinks(c.wideLinks);
        writer.Add("a", contents[0]);
        writer.Add("b", contents[1], {true, false});
        writer.Add("c", contents[2]);
        std::string path = m_folder.File("BROKEN.QPK");
        Bytes file = writer.Build(path, c.edit);
        file.resize(file.size() - c.cutBytes);
        ASSERT_TRUE(testsupport::WriteFile(path, file));

        std::int32_t code = -100;
        ArchivePtr archive = Open(path, &code);
        EXPECT_EQ(c.openCode, code);
        if (c.openCode != 0) {
            EXPECT_EQ(nullptr, archive);
            continue;
        }
        ASSERT_NE(nullptr, archive);
        Bytes extracted;
        EXPECT_EQ(c.extractCode, Extract(*archive, c.entry, &extracted));
        StreamPtr stream(archive->OpenStreamByIndex(c.entry, &code));
        EXPECT_EQ(c.streamCode, code);
        EXPECT_EQ(c.streamCode == 0, stream != nullptr);
        // Nothing else is lost: the other entries still read.
        for (std::uint32_t i = 0; i < 3; ++i) {
            if (i == c.entry && c.extractCode != 0) continue;
            SCOPED_TRACE(i);
            EXPECT_EQ(0, Extract(*archive, i, &extracted));
            EXPECT_EQ(contents[i], extracted);
        }
    }
}

TEST_F(QpkArchiveTest, TwoThreadsExtractFromOneArchiveAtOnce) {
    QpkWriter writer;
    std::vector<Bytes> contents;
    for (std::uint32_t i = 0; i < 8; ++i) {
        contents.push_back(Pattern(2000 + i * 300, i, i % 2 == 0));
        writer.Add("entry" + std::to_string(i), contents.back(), {i % 2 == 0, false});
    }
    ArchivePtr archive = WriteAndOpen(writer);
    ASSERT_NE(nullptr, archive);
    auto work = [&](std::uint32_t start, int* mismatches) {
        for (int round = 0; round < 300; ++round) {
            for (std::uint32_t k = 0; k < contents.size(); ++k) {
                std::uint32_t i = (start + k) % contents.size();
                Bytes extracted;
                if (Extract(*archive, i, &extracted) != 0 || extracted != contents[i]) ++*mismatches;
            }
        }
    };
    int first = 0;
    int second = 0;
    std::thread other(work, 3, &second);
    work(0, &first);
    other.join();
    EXPECT_EQ(0, first);
    EXPECT_EQ(0, second);
}

TEST_F(QpkArchiveTest, ArchiveAndFormatKeepTheSharedTableLayout) {
    QpkWriter writer;
    writer.Add("x", ToBytes("content"));
    std::string path = m_folder.File("DATA.QPK");
    ASSERT_TRUE(writer.Write(path));
    auto* format = new QpkArchiveFormat;
    void* decoder = static_cast<ArchiveDecoder*>(format);
    std::int32_t code = -100;
    void* archive = CallSlot<Archive*, const char*, HANDLE, std::int32_t*>(decoder, 1, path.c_str(),
                                                                           INVALID_HANDLE_VALUE, &code);
    ASSERT_NE(nullptr, archive);
    EXPECT_EQ(0, code);
    EXPECT_EQ(-2, CallSlot<std::int32_t>(decoder, 3));
    EXPECT_EQ(0, reinterpret_cast<std::int32_t*>(archive)[1]);
    static_cast<Archive*>(archive)->AddHolder();
    EXPECT_EQ(1, reinterpret_cast<std::int32_t*>(archive)[1]);
    EXPECT_EQ(1u, CallSlot<std::uint32_t>(archive, 1));
    EXPECT_TRUE((CallSlot<bool, const char*>(archive, 3, "X")));
    Sink sink;
    EXPECT_EQ(0, (CallSlot<std::int32_t, std::int32_t, ArchiveAllocator, void*, ArchiveProgress, void*>(
                     archive, 7, 0, SinkAllocate, &sink, nullptr, nullptr)));
    EXPECT_EQ(ToBytes("content"), sink.bytes);
    ByteStream* stream =
        CallSlot<ByteStream*, std::int32_t, std::int32_t*>(archive, 11, 0, &code);
    ASSERT_NE(nullptr, stream);
    EXPECT_EQ(7u, stream->Size());
    ReleaseObject(stream);
    EXPECT_EQ(-2, CallSlot<std::int32_t>(archive, 12));
    EXPECT_EQ(-2, CallSlot<std::int32_t>(archive, 13));
    CallSlot<void*, std::uint32_t>(archive, 0, xm::kDeleteMemory);
    CallSlot<void*, std::uint32_t>(decoder, 0, xm::kDeleteMemory);
}

}  // namespace
