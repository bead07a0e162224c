#include "game/commands/script_object_list.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "game/commands/script_object_lists.h"
#include "tests/support/command_doubles.h"

namespace {

// A member that counts how many of its kind are alive.
struct CountedMember {
    CountedMember() { ++Alive(); }
    ~CountedMember() { --Alive(); }
    static int& Alive() {
        static int alive = 0;
        return alive;
    }
    std::int32_t refCount = 0;
};

std::int32_t Loaded(CountedMember&) { return 0; }

class ScriptObjectListTest : public ::testing::Test {
protected:
    ScriptObjectListTest() { CountedMember::Alive() = 0; }
    ScriptObjectList<CountedMember> m_list;
};

TEST_F(ScriptObjectListTest, ASharedMemberStaysAliveForItsOtherHolder) {
    std::uint32_t word = 0;
    ASSERT_EQ(0, m_list.Add(&word, Loaded));
    CountedMember* const member = m_list.Find(word);
    ASSERT_NE(nullptr, member);
    EXPECT_EQ(word, testsupport::WordOf(member));
    member->refCount = 2;

    EXPECT_EQ(0, m_list.Remove(word));
    EXPECT_EQ(1, CountedMember::Alive());
    EXPECT_EQ(1, member->refCount);
    EXPECT_EQ(0, m_list.Count());
    EXPECT_EQ(2, m_list.Remove(word));  // the list forgot it
    EXPECT_EQ(1, m_list.Remove(0));
    delete member;  // the other holder's part
}

TEST_F(ScriptObjectListTest, AnUnsharedMemberIsDeleted) {
    std::uint32_t first = 0, second = 0;
    m_list.Add(&first, Loaded);
    m_list.Add(&second, Loaded);
    EXPECT_NE(first, second);
    EXPECT_EQ(0, m_list.Remove(first));
    EXPECT_EQ(1, CountedMember::Alive());
    EXPECT_EQ(second, testsupport::WordOf(m_list.Find(second)));
    m_list.Clear();
    EXPECT_EQ(0, CountedMember::Alive());
    m_list.Clear();  // empty: nothing changes
    EXPECT_EQ(0, m_list.Count());
}

TEST_F(ScriptObjectListTest, AFailedOrThrowingAddChangesNothing) {
    std::uint32_t kept = 0;
    m_list.Add(&kept, Loaded);
    struct Case {
        const char* name;
        std::int32_t (*setUp)(CountedMember&);
        std::int32_t result;
    };
    const Case cases[] = {
        {"the loader's code", [](CountedMember&) { return 5; }, 5},
        {"an exception", [](CountedMember&) -> std::int32_t { throw std::runtime_error("load"); }, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t word = 0xDEAD;
        EXPECT_EQ(c.result, m_list.Add(&word, c.setUp));
        EXPECT_EQ(0u, word);
        EXPECT_EQ(1, m_list.Count());
        EXPECT_EQ(1, CountedMember::Alive());
    }
}

TEST_F(ScriptObjectListTest, RemoveRefusesWordsThatNameNoMember) {
    std::uint32_t kept = 0;
    m_list.Add(&kept, Loaded);
    testsupport::NoAccessPage forged;
    forged.Revoke();
    ScriptObjectList<CountedMember> other;
    std::uint32_t otherWord = 0;
    other.Add(&otherWord, Loaded);
    std::uint32_t released = 0;
    m_list.Add(&released, Loaded);
    m_list.Remove(released);

    for (std::uint32_t word : {forged.Word(16), otherWord, released, kept + 4}) {
        EXPECT_EQ(2, m_list.Remove(word)) << word;
    }
    EXPECT_EQ(1, m_list.Count());
    EXPECT_NE(nullptr, other.Find(otherWord));
}

// The four lists of the program: the file list adds an unopened stream, and loads that fail
// leave their list as it was.
TEST(ScriptObjectLists, TheProgramsListsAddAndClear) {
    std::uint32_t stream = 0;
    ASSERT_EQ(0, AddFileStream(&stream));
    EXPECT_NE(nullptr, FileStreamList().Find(stream));
    std::uint32_t qag = 0xDEAD, qad = 0xDEAD;
    EXPECT_NE(0, AddQagAnimation(&qag, "no such file.qag", false));
    EXPECT_NE(0, AddQadAnimation(&qad, "no such file.qad"));
    EXPECT_EQ(0u, qag);
    EXPECT_EQ(0u, qad);
    EXPECT_EQ(0, QagList().Count());
    std::uint32_t cells = 0;
    EXPECT_EQ(3, AddCellImage(&cells, [](CellImage&) { return 3; }));
    EXPECT_EQ(0, CellImageList().Count());
    ClearScriptObjectLists();
    EXPECT_EQ(0, FileStreamList().Count());
    EXPECT_EQ(nullptr, FileStreamList().Find(stream));
}

}  // namespace
