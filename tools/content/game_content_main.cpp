// game_content.exe: makes game content from sources in the repository.
//   game_content sob0|sob2 <module source> <out.sob>
//   game_content settings sys|inf|user|appcfg|setup <field lines> <out>
//   game_content qpk <out.qpk> <name in archive>=<file>...
//   game_content pictures <background.elg> <sprite.elg>   (the sample game's two pictures)
#include <cstdio>
#include <stdexcept>
#include <string>

#include "tools/content/content_files.h"
#include "tools/content/content_tool.h"
#include "tools/content/demo_pictures.h"
#include "tools/content/qpk_writer.h"
#include "tools/content/sob_assembler.h"

namespace {

std::string Text(const std::string& path) {
    const std::vector<std::uint8_t> bytes = testsupport::ReadFile(path);
    if (bytes.empty()) throw std::runtime_error("cannot read " + path);
    return std::string(bytes.begin(), bytes.end());
}

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (!testsupport::WriteFile(path, bytes)) throw std::runtime_error("cannot write " + path);
}

int Usage() {
    std::fputs("usage: game_content sob0|sob2 <source> <out>\n"
               "       game_content settings sys|inf|user|appcfg|setup <lines> <out>\n"
               "       game_content qpk <out.qpk> <name>=<file>...\n"
               "       game_content pictures <background.elg> <sprite.elg>\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    try {
        if ((command == "sob0" || command == "sob2") && argc == 4) {
            const testsupport::SobModule module = testsupport::AssembleSob(Text(argv[2]));
            Save(argv[3], command == "sob0" ? module.Sob0() : module.Sob2());
        } else if (command == "settings" && argc == 5) {
            Save(argv[4], testsupport::BuildSettingsFromLines(argv[2], Text(argv[3])));
        } else if (command == "qpk" && argc >= 3) {
            testsupport::QpkWriter writer;
            for (int i = 3; i < argc; ++i) {
                const std::string entry = argv[i];
                const std::size_t equals = entry.find('=');
                if (equals == std::string::npos) return Usage();
                writer.Add(entry.substr(0, equals), testsupport::ReadFile(entry.substr(equals + 1)),
                           testsupport::QpkEntryOptions{true});
            }
            if (!writer.Write(argv[2])) throw std::runtime_error(std::string("cannot write ") + argv[2]);
        } else if (command == "pictures" && argc == 4) {
            Save(argv[2], testsupport::DemoBackgroundElg());
            Save(argv[3], testsupport::DemoSpriteElg());
        } else {
            return Usage();
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "game_content: %s\n", error.what());
        return 1;
    }
    return 0;
}
