// A game folder with a file system and an image-loader host, both published as the program's,
// for loading the stand-in SPI plug-ins (tests/plugins/spi_plugins).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "framework/images/image_loader_host.h"
#include "framework/plugins/spi_archive_plugin.h"
#include "framework/plugins/spi_image_decoder.h"
#include "framework/plugins/spi_plugin_loader.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/framework/vfs_test_fixture.h"

class SpiTestBase : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        g_imageLoaderHost = &m_images;
    }
    void TearDown() override {
        g_imageLoaderHost = nullptr;
        m_images.UnloadAll();
        VfsTestBase::TearDown();
        SpiSetOption(kNoEntryTable);
    }

    // Loads a built stand-in from beside the test program, both kinds allowed.
    std::int32_t LoadPlugin(const char* plugin) {
        return SpiLoadPlugin(plugintest::BinaryFile(plugin).c_str(), 1, 1);
    }

    SpiImageDecoder* ImageAdapter() {
        return static_cast<SpiImageDecoder*>(m_images.FindByType(kSpiImageType));
    }

    static constexpr std::int32_t kNoEntryTable[2] = {0, 0};

    ImageLoaderHost m_images;
};
