// A game folder in a temporary folder, made the base directory, with a VirtualFileSystem that
// knows the QPK format and is published as the program's file system.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "framework/files/global_alloc_block.h"
#include "framework/files/path_utilities.h"
#include "framework/archive/qpk_archive_format.h"
#include "framework/files/virtual_file_system.h"
#include "tools/content/qpk_writer.h"
#include "tests/support/win_test_env.h"

class VfsTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedBase = GetBaseDirectory();
        ASSERT_EQ(0, SetBaseDirectory(m_folder.File("game\\").c_str()));
        ASSERT_TRUE(CreateDirectoryA(GetBaseDirectory(), nullptr));
        ASSERT_EQ(0, m_vfs.RegisterBuiltinDecoder(new QpkArchiveFormat, QpkArchiveFormat::kExtensions,
                                                  QpkArchiveFormat::kTypeString, 0, QpkAssistFunc,
                                                  QpkSetOption, nullptr));
        g_virtualFileSystem = &m_vfs;
    }
    void TearDown() override {
        g_virtualFileSystem = nullptr;
        m_vfs.RemoveAllMounts();
        m_vfs.UnloadAllAdl();
        SetBaseDirectory(m_savedBase.c_str());
    }

    static std::string LowerCase(std::string text) {
        if (!text.empty()) CharLowerA(&text[0]);
        return text;
    }

    // Path of `relative` under the game folder.
    std::string Game(const std::string& relative) const { return m_folder.File("game\\" + relative); }

    // The whole content of `name` as LoadFile delivers it, or "<code n>".
    std::string Load(const char* name, std::string* resolved = nullptr) {
        GlobalBlock pair;
        char path[kPathCapacity] = "";
        const std::int32_t code = m_vfs.LoadFile(name, GlobalAllocBlock, GlobalFreeBlock, &pair, path);
        if (code != 0) return "<code " + std::to_string(code) + ">";
        std::string text(static_cast<const char*>(pair.block), pair.size);
        GlobalFreeBlock(&pair);
        if (resolved) *resolved = path;
        return text;
    }

    // The whole content of `name` read through OpenFile, or "<code n>".
    std::string Stream(const char* name, bool allowExtraction = false) {
        std::int32_t code = -99;
        ByteStream* stream = m_vfs.OpenFile(name, nullptr, &code, allowExtraction);
        if (!stream) return "<code " + std::to_string(code) + ">";
        std::string text(stream->Size(), '\0');
        const std::uint32_t read = text.empty() ? 0 : stream->Read(&text[0], stream->Size());
        text.resize(read);
        ReleaseObject(stream);
        return text;
    }

    testsupport::TempFolder m_folder;
    VirtualFileSystem m_vfs;
    std::string m_savedBase;
};
