// The game's start-up in the order of its steps: the formats and plug-ins it registers (read
// back from the hosts' lists), the base folder of the command line, the archives it mounts, the
// display bytes it fills and hands over; then the window-mode decision before the window, the
// devices after it, and what the exit reports. The test plug-ins are copied from beside the test
// program into the game's plugin folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "effects/objects/bg_anime_effect.h"
#include "framework/movie/movie_open.h"
#include "framework/sound/direct_sound_device.h"
#include "game/app/settings_records.h"
#include "game/script/script_files.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/screen_core.h"
#include "graphics/text/glyph_cache.h"
#include "tests/game/app/game_app_fixture.h"
#include "tests/support/fake_direct_sound.h"
#include "tools/content/qpk_writer.h"

namespace gameapptest {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace AC = SettingsFiles::AppCfg;
namespace B3 = SettingsFiles::Block3;

// The folder of the test program, where the build puts the plug-ins.
std::string BuiltFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void CopyBuilt(const std::string& built, const std::string& target) {
    ASSERT_TRUE(CopyFileA((BuiltFolder() + built).c_str(), target.c_str(), FALSE)) << built;
}

// Every family's test plug-in, and one refused variant of the image, archive and sound families.
void FillPluginFolder(const std::string& program) {
    CreateDirectoryA(program.c_str(), nullptr);
    CreateDirectoryA((program + "plugin").c_str(), nullptr);
    for (const char* name :
         {"test_image.GLL", "test_image_null_loader.GLL", "test_archive.ADL", "test_archive_null_decoder.ADL",
          "test_sound.SLL", "test_sound_null_object.SLL", "test_spi_image.SPI", "test_spi_archive.SPI",
          "test_effect.DCP", "test_transition.TCP"})
        CopyBuilt(name, program + "plugin\\" + name);
}

void WriteAppCfg(const GameFolder& game, const std::function<void(Bytes&)>& change) {
    Bytes block = testsupport::DefaultAppCfgBlock();
    change(block);
    testsupport::WriteFile(game.Game() + "SAVEDATA\\APP_CFG.DAT", testsupport::BuildAppCfgFile(block));
}

TEST(GameStartupSequence, RegistersFormatsPluginsAndEffectsInOrder) {
    const struct {
        const char* name;
        const char* kqvorbis;  // copied beside the program as kqvorbis.dll; empty: none
        bool ogg;
    } cases[] = {
        {"no kqvorbis.dll: silent", "", false},
        {"kqvorbis.dll: OGG first", "kqvorbis.dll", true},
        {"a kqvorbis.dll lacking an export: silent", "kqvorbis_no_read.dll", false},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("Order" + std::to_string(serial++));
        game.WriteFiles();
        FillPluginFolder(game.Game());
        if (*row.kqvorbis) CopyBuilt(row.kqvorbis, game.Game() + "kqvorbis.dll");
        GameApp app(game);
        Application& a = *app.app;
        ASSERT_EQ(0, a.Startup());
        EXPECT_TRUE(app.Boxes().empty());

        const auto& images = a.ImageLoaders().Records();
        ASSERT_EQ(4u, images.size()) << "ELG, BMP, the GLL, the SPI image adapter";
        EXPECT_EQ(2, images[0].type);
        EXPECT_EQ("ELG format", images[0].typeString);
        EXPECT_EQ(std::vector<std::string>{"ELG"}, images[0].extensions);
        EXPECT_EQ(1, images[1].type);
        EXPECT_EQ("Bitmap format", images[1].typeString);
        EXPECT_EQ(nullptr, images[0].library);
        EXPECT_NE(nullptr, images[2].library);
        EXPECT_EQ(5, images[3].type);

        const auto formats = a.FileSystem().Formats();
        ASSERT_EQ(3u, formats.size()) << "QPK, the ADL, the SPI archive adapter";
        EXPECT_EQ(1, formats[0].type);
        EXPECT_STREQ("QPK format", formats[0].typeString);
        EXPECT_EQ(nullptr, formats[0].library);
        EXPECT_NE(nullptr, formats[1].library);

        const auto& sounds = a.SoundDecoders().Records();
        ASSERT_EQ(row.ogg ? 2u : 1u, sounds.size());
        if (row.ogg) {
            EXPECT_EQ(2, sounds[0].type);
            EXPECT_STREQ("Ogg Vorbis format", sounds[0].typeString);
            EXPECT_EQ(std::vector<std::string>{"OGG"}, sounds[0].extensions);
        }
        EXPECT_NE(nullptr, sounds.back().module) << "the SLL comes after the built-in";

        // The effects' and transitions' plug-ins stay unloaded.
        EXPECT_TRUE(a.Transitions().Modules().empty());
        EXPECT_TRUE(a.Effects().Modules().empty());
        // The busy counter reaches the effects.
        ASSERT_NE(nullptr, g_effectBeginHook);
        ASSERT_NE(nullptr, g_effectEndHook);
        g_effectBeginHook();
        EXPECT_EQ(1, BusyCount());
        g_effectEndHook();
        EXPECT_EQ(0, BusyCount());
    }
}

TEST(GameStartupSequence, BuiltinTransitionsMakeTheirObjectsAndBuiltEffectsTheirs) {
    GameFolder game("Builtins");
    game.WriteFiles();
    GameApp app(game);
    Application& a = *app.app;
    ASSERT_EQ(0, a.Startup());
    const std::vector<std::pair<std::string, int>> transitions = {
        {"cross", 0}, {"rule", 0}, {"scroll", 0}, {"wave", 0}, {"mosaic", 1}, {"rotaxis", 1}, {"trans", 1}, {"tone", 2},
        {"quake", 2}, {"zoomflip", 1}, {"rotcenter", 1}, {"addsub", 0}, {"hblur", 1}, {"ripple", 0}};
    const struct {
        const char* name;
        int category;
        bool assist;
    } effects[] = {
        {"bg_zoom", 0, true},  {"bg_rot", 0, false},  {"bg_blur", 0, true},    {"bg_rast", 0, false},
        {"bg_haze", 0, false}, {"bg_loop", 0, false}, {"bg_cross", 0, false},  {"bg_panime", 0, true},
        {"sp_panime", 1, true}, {"bg_anime", 0, true},
    };
    const auto& t = a.Transitions().Entries();
    ASSERT_EQ(transitions.size(), t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(transitions[i].first, t[i].name);
        EXPECT_EQ(transitions[i].second, t[i].category) << t[i].name;
        TransCallback* made = a.Transitions().CreateByName(t[i].name);
        ASSERT_NE(nullptr, made) << t[i].name;
        EXPECT_STREQ(t[i].name, made->Name());
        EXPECT_EQ(transitions[i].second, made->Kind()) << t[i].name;
        ReleaseObject(made);
    }
    // The effects built so far, with their kinds.
    const std::map<std::string, std::int32_t> builtKinds = {
        {"sp_panime", 14001}, {"bg_zoom", 14000}, {"bg_rot", 14000},  {"bg_blur", 14000},
        {"bg_rast", 14000},   {"bg_haze", 14000}, {"bg_loop", 14000}, {"bg_cross", 14000},
        {"bg_panime", 14000}, {"bg_anime", 15000},
    };
    const auto& e = a.Effects().Entries();
    ASSERT_EQ(std::size(effects), e.size());
    for (std::size_t i = 0; i < e.size(); ++i) {
        SCOPED_TRACE(effects[i].name);
        EXPECT_STREQ(effects[i].name, e[i].name);
        EXPECT_EQ(effects[i].category, e[i].category);
        EXPECT_EQ(effects[i].assist, e[i].assist != nullptr);
        EXPECT_EQ(effects[i].assist, e[i].assist2 != nullptr);
        if (effects[i].assist) {
            EXPECT_NE(e[i].assist, e[i].assist2);
        }
        EffectObject* made = a.Effects().CreateByName(e[i].name);
        const auto built = builtKinds.find(e[i].name);
        if (built != builtKinds.end()) {
            ASSERT_NE(nullptr, made);
            EXPECT_STREQ(e[i].name, made->Name());
            EXPECT_EQ(built->second, made->Kind());
            EXPECT_EQ(effects[i].category, made->Category());
            ReleaseObject(made);
        } else {
            EXPECT_EQ(nullptr, made) << "not built yet";
        }
    }
    // An adapter takes any arguments and passes them on: a null screen has no buffer.
    using ThreeArguments = std::int32_t(XM_CDECL*)(std::int32_t, std::int32_t, std::int32_t);
    EXPECT_EQ(-1, reinterpret_cast<ThreeArguments>(a.Effects().FindAssistFunc("bg_zoom"))(0, 2, 3));
    // bg_anime's forwarder hands its words to the pointer form.
    using OneArgument = std::int32_t(XM_CDECL*)(std::int32_t);
    EXPECT_EQ(0, reinterpret_cast<OneArgument>(a.Effects().FindAssistFunc("bg_anime"))(7));
    EXPECT_TRUE(AnimeCatchUp());
    EXPECT_EQ(0, reinterpret_cast<OneArgument>(a.Effects().FindAssistFunc("bg_anime"))(0));
    EXPECT_FALSE(AnimeCatchUp());
}

// Settings files naming the game `title` in `folder` (with a trailing backslash).
void WriteGameFiles(const std::string& folder, const std::string& title) {
    testsupport::WriteFile(folder + "SCRIPT\\QL_APP.SYS", testsupport::BuildAppSysFile(testsupport::DefaultAppSysRecord()));
    testsupport::WriteFile(folder + "SCRIPT\\QL_APP.INF", testsupport::BuildAppInfFile(1, 0, 0, {title, "Product"}));
    testsupport::UserCfgBlocks user = testsupport::DefaultUserCfg();
    user.blocks[0][16] = 2;
    testsupport::WriteFile(folder + "USER.CFG", testsupport::BuildUserCfgFile(user));
}

TEST(GameStartupSequence, BaseFolderOfTheCommandLine) {
    const struct {
        const char* name;
        const char* line;  // %O the other folder, %M a missing one (no trailing backslash)
        bool other;
    } cases[] = {
        {"no argument", "", false},
        {"quoted folder with a blank", "/L \"%O\"", true},
        {"blanks before an unquoted folder", "/L   %O", true},
        {"lower case, no blank", "/l%O", true},
        {"blanks after the folder", "/L %O  ", true},
        {"an unclosed quote", "/L \"%O", true},
        {"a missing folder keeps the program folder", "/L \"%M\"", false},
        {"nothing after /L", "/L", false},
        {"another switch", "/X %O", false},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("ProgramGame" + std::to_string(serial++));
        game.WriteFiles();
        FillPluginFolder(game.Game());
        const std::string other = game.folder.File("My Game");
        WriteGameFiles(other + "\\", "OtherGame");
        std::string line = row.line;
        for (const auto& [mark, folder] : {std::pair<std::string, std::string>{"%O", other},
                                           {"%M", game.folder.File("missing")}}) {
            const std::size_t at = line.find(mark);
            if (at != std::string::npos) line.replace(at, 2, folder);
        }
        GameApp app(game);
        app.app->SetCommandLine(line.data());
        ASSERT_EQ(0, app.app->Startup());
        EXPECT_EQ(row.other ? other + "\\" : game.Game(), GetBaseDirectory());
        EXPECT_EQ(row.other ? "OtherGame" : game.title, app.app->Title());
        // The plug-in scans ran in the program folder before the base folder moved.
        EXPECT_EQ(4u, app.app->ImageLoaders().Records().size());
        app.app->SetCommandLine(nullptr);
    }
}

TEST(GameStartupSequence, MountsLetPatchesWin) {
    enum : unsigned { kPatch = 1, kPatch2 = 2, kPatch3 = 4, kScript = 8, kDamagedPatch2 = 16, kPlain = 32 };
    const struct {
        const char* name;
        unsigned files;
        const char* read;
        std::int32_t mounts;
    } cases[] = {
        {"every archive: PATCH3 over PATCH2 over PATCH over SCRIPT", kPatch | kPatch2 | kPatch3 | kScript, "patch3", 4},
        {"PATCH2 missing: PATCH3 never mounted", kPatch | kPatch3 | kScript, "patch", 2},
        {"PATCH missing: no PATCH%d tried", kPatch2 | kPatch3 | kScript, "script", 1},
        {"a damaged PATCH2 stops like a gap", kPatch | kDamagedPatch2 | kPatch3 | kScript, "patch", 2},
        {"a plain file beats every archive", kPatch | kPatch2 | kPatch3 | kScript | kPlain, "plain", 4},
        {"SCRIPT.QPK alone, its entries under SCRIPT\\", kScript, "script", 1},
        {"no archive", 0, nullptr, 0},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("Mounts" + std::to_string(serial++));
        game.WriteFiles();
        // The patches address their entries from the game folder, SCRIPT.QPK from SCRIPT\.
        const struct {
            unsigned bit;
            const char* file;
            const char* entry;
            const char* content;
        } archives[] = {
            {kPatch, "PATCH.QPK", "SCRIPT\\A.TXT", "patch"},
            {kPatch2, "PATCH2.QPK", "SCRIPT\\A.TXT", "patch2"},
            {kPatch3, "PATCH3.QPK", "SCRIPT\\A.TXT", "patch3"},
            {kScript, "SCRIPT.QPK", "A.TXT", "script"},
        };
        for (const auto& archive : archives) {
            if ((row.files & archive.bit) == 0) continue;
            testsupport::QpkWriter qpk;
            qpk.Add(archive.entry, archive.content);
            ASSERT_TRUE(qpk.Write(game.Game() + archive.file));
        }
        if (row.files & kDamagedPatch2) testsupport::WriteFile(game.Game() + "PATCH2.QPK", std::string("not an archive"));
        if (row.files & kPlain) testsupport::WriteFile(game.Game() + "SCRIPT\\A.TXT", std::string("plain"));
        GameApp app(game);
        ASSERT_EQ(0, app.app->Startup());
        EXPECT_TRUE(app.Boxes().empty());
        VirtualFileSystem& vfs = app.app->FileSystem();
        EXPECT_EQ(row.mounts, vfs.MountCount());
        for (std::int32_t i = 0; i < row.mounts; ++i) EXPECT_NE(nullptr, vfs.GetMountArchive(-2, i));
        std::vector<std::uint8_t> read;
        if (row.read == nullptr) {
            EXPECT_FALSE(ReadWholeFile("SCRIPT\\A.TXT", read));
            continue;
        }
        ASSERT_TRUE(ReadWholeFile("SCRIPT\\A.TXT", read));
        EXPECT_EQ(row.read, std::string(read.begin(), read.end()));
        EXPECT_FALSE(ReadWholeFile("A.TXT", read)) << "SCRIPT.QPK's entries are not in the game folder";
    }
}

TEST(GameStartupSequence, DisplayBytesFilledByWindowsVersion) {
    for (const DWORD major : {5u, 6u, 10u}) {
        for (const std::uint8_t value : {0, 1, 2}) {
            SCOPED_TRACE("Windows " + std::to_string(major) + ", bytes " + std::to_string(value));
            GameFolder game("DisplayBytes" + std::to_string(major) + "_" + std::to_string(value));
            game.WriteFiles();
            WriteAppCfg(game, [value](Bytes& b) {
                b[AC::kDirectDrawResolution] = value;
                b[AC::kEnlargedMethod] = value;
                b[AC::kEnlargedFlags] = 1;
                b[AC::kEnlargedFlags + 1] = 0;
                b[AC::kEnlargedFlags + 2] = 7;
                b[AC::kEnlargedFlags + 3] = 0;
            });
            GameApp app(game);
            app.parts.system.SetVersion(VER_PLATFORM_WIN32_NT, major, 1, 7600, "");
            app.Remake();
            Application& a = *app.app;
            ASSERT_EQ(0, a.Startup());
            const std::uint8_t filled = value != 0 ? value : (major == 6 ? 1 : 2);
            EXPECT_EQ(filled, a.AppCfg().bytes[AC::kDirectDrawResolution]);
            EXPECT_EQ(filled, a.AppCfg().bytes[AC::kEnlargedMethod]);
            EXPECT_EQ(filled == 2, a.Choices().enumerateThroughDirectDraw);
            EXPECT_EQ(filled, a.Choices().enlargedMethod);
            EXPECT_EQ(filled, a.MethodAtLoad());
            const bool flags[4] = {true, false, true, false};
            for (int i = 0; i < 4; ++i) EXPECT_EQ(flags[i], a.Choices().enlargedFlags[i]) << i;
        }
    }
}

TEST(GameStartupSequence, DisplaySettingsReachTheScreenDevice) {
    struct Row {
        const char* name;
        std::uint8_t resolution, throughDirectDraw, monitor, method, flags[4], depth;
        bool change, direct;
        std::uint8_t expectedDepth;
    };
    const Row rows[] = {
        {"defaults", 0, 1, 0, 1, {0, 1, 1, 0}, 32, false, false, 32},
        {"mode change through DirectDraw on monitor 2", 1, 2, 2, 3, {1, 0, 0, 1}, 16, true, true, 16},
        {"a depth that is no bit count", 0, 1, 0, 2, {0, 0, 0, 0}, 3, false, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GameFolder game(std::string("DisplaySettings") + row.name[0] + std::to_string(row.method));
        game.user.blocks[1][1] = row.depth;
        game.WriteFiles();
        WriteAppCfg(game, [&row](Bytes& b) {
            b[AC::kFullScreenResolution] = row.resolution;
            b[AC::kDirectDrawResolution] = row.throughDirectDraw;
            b[AC::kMonitor] = row.monitor;
            b[AC::kEnlargedMethod] = row.method;
            for (int i = 0; i < 4; ++i) b[AC::kEnlargedFlags + i] = row.flags[i];
        });
        GameApp app(game);
        ASSERT_EQ(0, app.app->Startup());
        const ScreenDisplaySettings& s = app.parts.screen.displaySettings;
        EXPECT_EQ(1, app.parts.screen.displaySettingsTaken);
        EXPECT_EQ(row.change, s.changeResolution);
        EXPECT_EQ(row.direct, s.throughDirectDraw);
        EXPECT_EQ(row.monitor, s.monitorChoice);
        EXPECT_EQ(row.method, s.enlargedMethod);
        EXPECT_EQ(row.flags[0] != 0, s.methodAlsoInWindow);
        EXPECT_EQ(row.flags[1] != 0, s.powerOfTwoTextures);
        EXPECT_EQ(row.flags[2] != 0, s.smoothScaling);
        EXPECT_EQ(row.flags[3] != 0, s.transferThroughDc);
        EXPECT_EQ(row.expectedDepth, s.depth);
        EXPECT_EQ(app.app->Settings().windowX, s.windowRect.left);
        EXPECT_EQ(app.app->Description().gameWidth, s.windowRect.right - s.windowRect.left);
    }
}

TEST(GameStartupSequence, OnExitResetsTheDisplayChoicesAndReportsFatalErrors) {
    const struct {
        const char* name;
        std::int32_t code;
        std::uint8_t fatal;
        bool reset;
        const char* message;
    } cases[] = {
        {"code 12 resets the display choices", kStartScreenModeFailed, 0, true, nullptr},
        {"another code keeps them", kStartDevicesFailed, 0, false, nullptr},
        {"fatal byte 1", 0, 1, false, "描画オブジェクトのリストアに失敗"},
        {"fatal byte 2", 0, 2, false, "画面モード切替に失敗"},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        GameFolder game("OnExit" + std::to_string(serial++));
        game.WriteFiles();
        GameApp app(game);
        Application& a = *app.app;
        ASSERT_EQ(0, a.Startup());
        for (int at : {42, 43, 46, 47, 62, 63, 66, 67}) a.UserCfg().block1[at] = 9;
        a.fatalError = row.fatal;
        a.BeforeExit(row.code);
        for (int at : {43, 46, 63, 66}) {
            EXPECT_EQ(row.reset ? 0 : 9, a.UserCfg().block1[at]) << at;
        }
        for (int at : {42, 47, 62, 67}) EXPECT_EQ(9, a.UserCfg().block1[at]) << at;
        if (row.message == nullptr) {
            EXPECT_TRUE(app.Boxes().empty());
        } else {
            ASSERT_EQ(1u, app.Boxes().size());
            EXPECT_EQ(row.message, app.Boxes()[0].text);
        }
    }
}

HRESULT NoDirectSound(IDirectSound** out) {
    *out = nullptr;
    return DSERR_NODRIVER;
}

// A game started through the framework's whole start-up with the fake screen and, unless asked
// otherwise, an in-memory DirectSound.
struct StartedGameWindow {
    GameFolder game;
    testsupport::FakeDirectSound sound;
    std::unique_ptr<GameApp> app;
    std::int32_t start = -1;
    StartedGameWindow(const std::string& title, const std::function<void(GameFolder&, GameApp&)>& prepare,
                      bool directSound = true)
        : game(title) {
        game.appSys[18] = 0;
        if (directSound) sound.Install();
        else SetDirectSoundFactory(NoDirectSound);
        app = std::make_unique<GameApp>(game);
        if (prepare) prepare(game, *app);
        game.WriteFiles();
        start = App().Initialize();
    }
    ~StartedGameWindow() {
        App().Exit(start);
        app.reset();
        testsupport::FakeDirectSound::Uninstall();
    }
    Application& App() { return *app->app; }
    std::vector<apptest::ShownBox>& Boxes() { return app->Boxes(); }
};

TEST(GameStartDevices, FailuresEndTheStartWithCode13) {
    const struct {
        const char* name;
        std::function<void(GameFolder&, GameApp&)> prepare;
        const char* message;
    } cases[] = {
        {"no keyboard or mouse", [](GameFolder& g, GameApp&) { g.user.blocks[0][16] = 9; }, "入力デバイスの初期化に失敗"},
        {"no action map", [](GameFolder&, GameApp& a) { a.sources.startup.failActionMap = true; a.Remake(); },
         "仮想入力デバイスの作成に失敗"},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        StartedGameWindow w("DeviceFailure" + std::to_string(serial++), row.prepare);
        EXPECT_EQ(kStartDevicesFailed, w.start);
        ASSERT_EQ(1u, w.Boxes().size());
        EXPECT_EQ(row.message, w.Boxes()[0].text);
        EXPECT_EQ(nullptr, w.App().Actions());
    }
}

TEST(GameStartDevices, DefaultBindingsAndTheSettingsBindings) {
    std::vector<std::string> applied;
    StartedGameWindow w("Bindings", [&applied](GameFolder&, GameApp& a) {
        a.sources.startup.applyKeyboardBindings = [&applied](ActionMap& map) {
            applied.push_back("keys " + std::to_string(map.BindingCount(0, 0)));
        };
        a.sources.startup.applyPadAndMouseBindings = [&applied](ActionMap&) { applied.push_back("pad and mouse"); };
        a.Remake();
    });
    ASSERT_EQ(0, w.start);
    ActionMap* map = w.App().Actions();
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(20u, map->ActionCount());
    const std::vector<std::vector<std::uint8_t>> keys = {{200}, {208}, {203}, {205}, {28, 156}, {1}};
    for (std::size_t action = 0; action < keys.size(); ++action) {
        SCOPED_TRACE(action);
        ASSERT_EQ(static_cast<std::int32_t>(keys[action].size()), map->BindingCount(action, 0));
        for (std::size_t i = 0; i < keys[action].size(); ++i) {
            std::uint8_t code = 0;
            ASSERT_EQ(0, map->GetBinding(action, 0, i, &code, nullptr));
            EXPECT_EQ(keys[action][i], code);
        }
        // No joystick was opened: the direction bindings were refused.
        EXPECT_EQ(static_cast<std::int32_t>(keys[action].size()), map->BindingCount(action, -1));
    }
    for (std::int32_t action = 6; action < 20; ++action) EXPECT_EQ(0, map->BindingCount(action, -1)) << action;
    EXPECT_EQ((std::vector<std::string>{"keys 1", "pad and mouse"}), applied) << "after the defaults, in order";
    EXPECT_TRUE(w.Boxes().empty());
}

TEST(GameStartDevices, CacheSizesAndDeviceOptions) {
    const struct {
        std::uint8_t cacheByte;
        std::int32_t megabytes;
        std::uint16_t glyphs;
        std::uint8_t canvas;
    } cases[] = {{0, -1, 512, 1}, {1, 0, 300, 0}, {2, 4, 1, 1}, {3, 8, 65535, 0}};
    const std::uint16_t savedGlyphs = GlyphCacheDefaultCapacity;
    const bool savedStrips = g_stripRedraw;
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE("cache byte " + std::to_string(row.cacheByte));
        StartedGameWindow w("CacheSizes" + std::to_string(serial++), [&row](GameFolder& g, GameApp&) {
            g.user.blocks[2][B3::kImageCache] = row.cacheByte;
            g.user.blocks[2][B3::kGlyphCache] = row.glyphs & 0xFF;
            g.user.blocks[2][B3::kGlyphCache + 1] = row.glyphs >> 8;
            g.user.blocks[2][B3::kScriptOption] = 1 - row.canvas;
            g.user.blocks[2][B3::kCanvasOption] = row.canvas;
        });
        ASSERT_EQ(0, w.start);
        MEMORYSTATUS memory = {};
        memory.dwLength = sizeof(memory);
        GlobalMemoryStatus(&memory);
        EXPECT_EQ(ImageLoaderHost::ChooseCacheLimit(row.megabytes, memory.dwTotalPhys),
                  w.App().ImageLoaders().Cache().Limit());
        EXPECT_EQ(row.glyphs, GlyphCacheDefaultCapacity);
        // Byte 16 decides; byte 14 (set the other way) does not reach the canvas.
        EXPECT_EQ(row.canvas != 0, g_stripRedraw);
        EXPECT_EQ(&w.App().ImageLoaders(), g_imageLoaderHost);
    }
    GlyphCacheDefaultCapacity = savedGlyphs;
    g_stripRedraw = savedStrips;
}

TEST(GameStartDevices, QmxglAndTheMovieDllsFromTheProgramFolder) {
    const std::string longFolder = "C:\\" + std::string(250, 'q');
    const std::vector<std::pair<std::string, std::string>> allMovieDlls = {
        {"DS_PRIM.DLL", "DS_PRIM.DLL"}, {"DS_SPRITE.DLL", "DS_SPRITE.DLL"}, {"DS_MOVIE.DLL", "DS_MOVIE.DLL"}};
    const struct {
        const char* name;
        const char* qmxgl;  // copied as qmxgl.dll; empty: none
        bool longFolder;
        std::uint8_t directShow;
        std::uint8_t sprites;  // block 1 byte 5
        std::uint8_t option;   // block 3 byte 8
        std::vector<std::pair<std::string, std::string>> movieDlls;  // built file, copied as
        bool bound;
        bool prim, sprite, window;  // holders kept
    } cases[] = {
        {"no qmxgl, no DirectShow", "", false, 0, 0, 0, allMovieDlls, false, false, false, false},
        {"qmxgl, DS_PRIM", "fake_qmxgl.dll", false, 1, 0, 1, allMovieDlls, true, true, false, true},
        {"a refusing qmxgl, DS_SPRITE", "fake_qmxgl_null.dll", false, 1, 1, 0, allMovieDlls, false, false, true, true},
        {"DS_PRIM of version 0x10000, DS_MOVIE missing", "", false, 1, 0, 1,
         {{"movie_variants\\prim_old_version\\DS_PRIM.DLL", "DS_PRIM.DLL"}}, false, false, false, false},
        {"DS_MOVIE without GetDllVersion", "", false, 1, 1, 1,
         {{"DS_SPRITE.DLL", "DS_SPRITE.DLL"}, {"movie_variants\\movie_no_version\\DS_MOVIE.DLL", "DS_MOVIE.DLL"}},
         false, false, true, false},
        {"names too long for a path count as absent", "", true, 1, 0, 1, {}, false, false, false, false},
    };
    const std::uint8_t savedOption = g_movieObjectOption;
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        testsupport::TempFolder program;
        if (*row.qmxgl) CopyBuilt(row.qmxgl, program.File("qmxgl.dll"));
        for (const auto& dll : row.movieDlls) CopyBuilt(dll.first, program.File(dll.second));
        const std::string folder = row.longFolder ? longFolder : program.Path();
        {
            StartedGameWindow w("ProgramDlls" + std::to_string(serial++), [&](GameFolder& g, GameApp& a) {
                g.user.blocks[2][B3::kDirectShow] = row.directShow;
                g.user.blocks[2][B3::kMovieOption] = row.option;
                g.user.blocks[0][5] = row.sprites;
                a.sources.startup.programFolder = folder;
                a.Remake();
            });
            ASSERT_EQ(0, w.start);
            EXPECT_TRUE(w.Boxes().empty());
            EXPECT_EQ(row.bound, w.App().PixelOps() != nullptr);
            EXPECT_EQ(w.App().PixelOps(), CurrentPixelOpLibrary());
            EXPECT_EQ(row.prim, w.App().PrimMovieDll() != nullptr);
            EXPECT_EQ(row.sprite, w.App().SpriteMovieDll() != nullptr);
            EXPECT_EQ(row.window, w.App().WindowMovieDll() != nullptr);
            const MoviePlugins& published = PublishedMoviePlugins();
            EXPECT_EQ(w.App().PrimMovieDll(), published.prim);
            EXPECT_EQ(w.App().SpriteMovieDll(), published.sprite);
            EXPECT_EQ(w.App().WindowMovieDll(), published.window);
            EXPECT_EQ(row.window, published.screen != nullptr);
            if (row.directShow) EXPECT_EQ(&w.App().FileSystem(), published.fileSystem);
            EXPECT_EQ(row.option, g_movieObjectOption);
        }
        // The holders go with the application, and with them the DLLs.
        EXPECT_EQ(nullptr, PublishedMoviePlugins().window);
        for (const char* name : {"DS_PRIM.DLL", "DS_SPRITE.DLL", "DS_MOVIE.DLL"})
            EXPECT_EQ(nullptr, GetModuleHandleA(name)) << name;
    }
    g_movieObjectOption = savedOption;
    EXPECT_EQ(nullptr, CurrentPixelOpLibrary()) << "the library goes with the application";
}

TEST(GameStartDevices, DirectSoundFailureWarnsOnceByTheCheckBox) {
    const struct {
        const char* name;
        bool directSound;
        std::uint8_t warn;
        bool checked;
        bool asked;
        std::uint8_t after;
    } cases[] = {
        {"DirectSound works", true, 1, true, false, 1},
        {"failure, warning off", false, 0, true, false, 0},
        {"failure, box left clear", false, 1, false, true, 1},
        {"failure, box checked", false, 1, true, true, 0},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> shown;
        StartedGameWindow w("NoSound" + std::to_string(serial++), [&](GameFolder& g, GameApp& a) {
            g.user.blocks[2][B3::kWarnNoSound] = row.warn;
            a.sources.startup.messageWithCheckBox = [&](const char* text, bool checked) {
                EXPECT_FALSE(checked);
                shown.push_back(text);
                return row.checked;
            };
            a.Remake();
        }, row.directSound);
        ASSERT_EQ(0, w.start) << "a failed DirectSound only warns";
        ASSERT_EQ(row.asked ? 1u : 0u, shown.size());
        if (row.asked) {
            EXPECT_EQ(0u, shown[0].find("サウンドカードが正常に接続されていないか\n"));
        }
        EXPECT_EQ(row.after, w.App().UserCfg().block3[B3::kWarnNoSound]);
    }
}

TEST(GameStartDevices, WindowPlacedWhenNoMonitorHoldsIt) {
    const struct {
        const char* name;
        std::uint8_t remember;
        POINT expected;  // -1: centred in the 1024 x 768 work area
    } cases[] = {
        {"centred in the work area", 0, {-1, -1}},
        {"at the stored position", 1, {37, 41}},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        StartedGameWindow w("Placed" + std::to_string(serial++), [&row](GameFolder& g, GameApp& a) {
            g.appSys[SettingsFiles::AppSys::kScreenModePolicy] = 2;
            g.user.blocks[1][0] = 2;
            const std::int32_t x = 37, y = 41;
            std::memcpy(&g.user.blocks[1][2], &x, 4);
            std::memcpy(&g.user.blocks[1][6], &y, 4);
            WriteAppCfg(g, [&row](Bytes& b) { b[AC::kRememberPosition] = row.remember; });
            // The only monitor is smaller than the window.
            a.parts.display.monitors.clear();
            a.parts.display.devices.clear();
            a.parts.display.AddMonitor({0, 0, 200, 150});
            a.sources.startup.probeScreenMode = [] { return 0; };
            a.Remake();
        });
        ASSERT_EQ(0, w.start);
        Application& a = w.App();
        EXPECT_EQ(0, a.monitorFits);
        EXPECT_EQ(3, a.ScreenModeAtLoad());
        EXPECT_EQ(2, a.Settings().screenMode) << "the work area is wide enough for a window";
        RECT outer = {};
        GetWindowRect(a.MainWindow().Handle(), &outer);
        POINT expected = row.expected;
        if (expected.x < 0) {
            expected.x = (1024 - (outer.right - outer.left)) / 2;
            expected.y = (768 - (outer.bottom - outer.top)) / 2;
        }
        EXPECT_EQ(expected.x, outer.left);
        EXPECT_EQ(expected.y, outer.top);
    }
}

TEST(GameStartDevices, FailedProbeLeavesAWindowOnly) {
    StartedGameWindow w("ProbeFails", [](GameFolder& g, GameApp& a) {
        g.appSys[SettingsFiles::AppSys::kScreenModePolicy] = 2;
        g.user.blocks[1][0] = 1;  // the player chose full screen
        a.sources.startup.probeScreenMode = [] { return 1; };
        a.Remake();
    });
    ASSERT_EQ(0, w.start);
    Application& a = w.App();
    EXPECT_EQ(0, a.Description().screenMode);
    EXPECT_EQ(2, a.Settings().screenMode);
    EXPECT_EQ(0, a.windowFlags & 4) << "full screen is no longer allowed";
    EXPECT_FALSE(w.app->parts.screen.Called("ChangeMode full"));
}

TEST(GameStartDevices, DrawingMethodSettledAfterTheStart) {
    const struct {
        const char* name;
        DWORD major;
        bool methodChanged;
        std::uint8_t fatal;
        std::uint8_t method;  // APP_CFG byte 160 after the start
        std::uint8_t flag;    // byte 161
    } cases[] = {
        {"nothing changed", 10, false, 0, 3, 1},
        {"the framework changed the method in window mode", 10, true, 0, 2, 0},
        {"a failed mode switch on Windows 6", 6, false, 2, 1, 0},
        {"a failed mode switch on Windows 10", 10, false, 2, 2, 0},
        {"a failed mode switch on Windows 5", 5, false, 2, 2, 0},
    };
    int serial = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        StartedGameWindow w("Method" + std::to_string(serial++), [&row](GameFolder& g, GameApp& a) {
            WriteAppCfg(g, [](Bytes& b) {
                b[AC::kEnlargedMethod] = 3;
                b[AC::kEnlargedFlags] = 1;
            });
            a.parts.system.SetVersion(VER_PLATFORM_WIN32_NT, row.major, 1, 7600, "");
            // What the screen device and the framework would do between Startup and StartDevices.
            a.sources.startup.probeScreenMode = [&a, &row] {
                if (row.methodChanged) a.app->Choices().enlargedMethod = 2;
                a.app->fatalError = row.fatal;
                return 0;
            };
            a.Remake();
        });
        ASSERT_EQ(0, w.start);
        EXPECT_EQ(row.method, w.App().AppCfg().bytes[AC::kEnlargedMethod]);
        EXPECT_EQ(row.flag, w.App().AppCfg().bytes[AC::kEnlargedFlags]);
        EXPECT_EQ(0, w.App().fatalError);
    }
}

}  // namespace
}  // namespace gameapptest
