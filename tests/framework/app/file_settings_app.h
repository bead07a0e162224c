// A test application whose start-up reads the description and the player settings from files,
// as the game's start-up does: SCRIPT\QL_APP.SYS and USER.CFG in the program folder (the base
// directory when the object is made). Only the fields that the framework uses are taken; a
// missing or short file fails the start-up (result 1).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/framework/app/app_test_fixture.h"

namespace apptest {

class FileSettingsApp : public TestApp {
public:
    using TestApp::TestApp;
    std::int32_t Startup() override;

private:
    bool LoadDescription(const std::vector<std::uint8_t>& file);
    bool LoadSettings(const std::vector<std::uint8_t>& file);
};

}  // namespace apptest
