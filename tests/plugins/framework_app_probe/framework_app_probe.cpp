// framework_app_probe <title> <box file>: starts the tests' application with the given title as
// a single instance and ends with the start-up's result (an application that did start is
// ended at once). The boxes it would have shown are appended to <box file>, one text a line,
// so that the starting test sees them without a real box appearing.
#include <windows.h>

#include <fstream>

#include "tests/framework/app/app_test_fixture.h"

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    apptest::AppParts parts;
    std::int32_t result = 0;
    {
        apptest::TestApp app(parts);
        app.title = argv[1];
        app.Description().singleInstance = 1;
        result = app.Initialize();
        if (result == 0) app.Exit(0);
    }
    if (!parts.platform.boxes.empty()) {
        std::ofstream file(argv[2], std::ios::binary | std::ios::app);
        for (const apptest::ShownBox& box : parts.platform.boxes) file << box.text << "\n";
    }
    return result;
}
