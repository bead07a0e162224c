#include "framework/qpk_archive.h"
#include "framework/qpk_archive_format.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/qpk_writer.h"
#include "tests/support/win_test_env.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::QpkEntryOptions;
using testsupport::QpkWriter;

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

struct EntrySpec {
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
        std::vector<EntrySpec> specs = {
            {"script\\main.sob", Pattern(5000, 1, false), {}},
            {"bgm\\title.ogg", Pattern(3000, 2, false), {false, true}},
            {"tiny.txt", ToBytes("abc"), {}},
            {"head.bin", Pattern(255, 3, false), {false, true}},
        };
        if (layout.secondSize) {
            specs.push_back({"packed.txt", Pattern(20000, 4, true), {true, false}});
            specs.push_back({"packed\\scrambled.txt", Pattern(9000, 5, true), {true, true}});
        }
        if (!layout.prefix.empty()) specs.push_back({"only-prefix", Bytes(), {}});
        for (const EntrySpec& spec : specs) writer.Add(spec.name, WithPrefix(layout.prefix, spec.body), spec.options);
        ArchivePtr archive = WriteAndOpen(writer);
        ASSERT_NE(nullptr, archive);
        ASSERT_EQ(specs.size(), archive->EntryCount());
        EXPECT_EQ(layout.loadNames, archive->EntryTable() != nullptr);

        for (std::uint32_t i = 0; i < specs.size(); ++i) {
            SCOPED_TRACE(specs[i].name);
            const Bytes expected = WithPrefix(layout.prefix, specs[i].body);
            const bool compressed = specs[i].options.compress;
            Bytes extracted;
            ASSERT_EQ(0, Extract(*archive, i, &extracted));
            EXPECT_EQ(expected, extracted);
            if (layout.named) {
                Sink sink;
                EXPECT_EQ(0, archive->ExtractByName(specs[i].name, SinkAllocate, &sink, SinkProgress, &sink));
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
                EXPECT_STREQ(layout.named ? specs[i].name : unnamed, name);
                EXPECT_EQ(static_cast<std::int32_t>(i), info->index);
                EXPECT_EQ(expected.size(), info->unpackedSize);
                EXPECT_EQ(compressed, info->storedSize < info->unpackedSize);
                EXPECT_EQ(compressed ? 1 : 0, info->hasUnpackedSize);
                EXPECT_EQ(8, info->kind);
                EXPECT_EQ(specs[i].options.scramble ? 1 : 0, info->entryFlags);
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

}  // namespace
