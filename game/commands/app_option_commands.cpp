#include "game/commands/app_option_commands.h"

#include <cstring>
#include <string>

#include "game/app/application.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/script_string_writer.h"
#include "game/interfaces/settings_files.h"
#include "game/script/script_address.h"
#include "game/script/script_engine.h"
#include "game/script/script_memory.h"

const char kGameIdentifier[] = "SORAHANE";

std::function<void(std::uint32_t)>& GlyphCacheDefaultSink() {
    static std::function<void(std::uint32_t)> sink;
    return sink;
}

namespace {

using command_args::Byte;
using command_args::Int;
using command_args::Result;

constexpr std::uint32_t kFirstFeatureOption = 7;
constexpr std::uint32_t kScreenModeFeatureOption = 11;
constexpr std::size_t kFaceSize = 32;

struct BadWord {};

std::uint16_t Half(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }
void SetHalf(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

bool PolicyAllowsSwitching(Application& app) {
    return app.AppSys().bytes[SettingsFiles::AppSys::kScreenModePolicy] != 0;
}

std::uint32_t SetAppOption(std::uint32_t* a) {
    Application* const app = Application::Current();
    if (!app) return 0;
    UserCfgRecords& cfg = app->UserCfg();
    PlayerSettings& settings = app->Settings();
    const std::uint32_t index = a[0];
    const std::uint8_t byte = Byte(a[1]);
    switch (index) {
    case 0:
        cfg.block2[10] = byte;
        settings.placeCursorAfterSwitch = byte;
        break;
    case 1:
        cfg.block3[5] = byte;
        app->FrameRate().SetSkipEnabled(byte != 0);
        break;
    case 2:
        cfg.block2[13] = byte;
        settings.repaintWhileInactive = byte;
        break;
    case 3:
        SetHalf(cfg.block2 + 11, a[1]);
        settings.menuRevealDelay = static_cast<std::uint16_t>(a[1] & 0xFFFF);
        break;
    case 4: cfg.block3[7] = byte; break;
    case 5: cfg.block3[9] = byte; break;
    case 6:
        SetHalf(cfg.block3 + 11, a[1]);
        if (GlyphCacheDefaultSink()) GlyphCacheDefaultSink()(a[1] & 0xFFFF);
        break;
    case 7: case 8: case 9: case 10: case 11:
        app->EnableMenuItem(index - kFirstFeatureOption, byte != 0);
        break;
    case 12: app->SetInstallInfo(byte); break;
    default: break;
    }
    return 0;
}

std::uint32_t GetAppOption(std::uint32_t* a) {
    Application* const app = Application::Current();
    if (!app) return 0;
    const UserCfgRecords& cfg = app->UserCfg();
    const std::uint32_t index = a[0];
    switch (index) {
    case 0: return cfg.block2[10];
    case 1: return cfg.block3[5];
    case 2: return cfg.block2[13];
    case 3: return Half(cfg.block2 + 11);
    case 4: return cfg.block3[7];
    case 5: return cfg.block3[9];
    case 6: return Half(cfg.block3 + 11);
    case 7: case 8: case 9: case 10: case 11:
        if (index == kScreenModeFeatureOption && !PolicyAllowsSwitching(*app)) return 0;
        return app->Feature(index - kFirstFeatureOption);
    case 12: return app->InstallInfo();
    case 13: return cfg.block3[14];
    default: return 0;
    }
}

std::uint32_t GetAppString(std::uint32_t* a) {
    Application* const app = Application::Current();
    std::string text;
    bool none = false;
    switch (a[0]) {
    case 0: text = kGameIdentifier; break;
    case 1: text = app ? app->InstallSourcePath() : std::string(); break;
    case 2: text = app ? app->SaveFolder() : std::string(); break;
    case 3: none = true; break;
    default: return Result(-1);
    }
    if (a[2] == 0) return none ? 0 : static_cast<std::uint32_t>(text.size() + 1);
    if (WriteScriptString(a[1], text, a[2]) < 0) throw BadWord{};
    return 0;
}

// Items per group, then the (offset, kind) of each. Group 0 item 7 is the one item that exists
// without a field.
const SettingField kGroup0[] = {{3, kSettingByte},  {4, kSettingByte},  {5, kSettingByte},  {6, kSettingByte},
                                {7, kSettingByte},  {8, kSettingByte},  {9, kSettingByte},  {0, kSettingNone},
                                {10, kSettingByte}, {11, kSettingByte}, {12, kSettingByte}, {13, kSettingByte},
                                {14, kSettingByte}, {15, kSettingByte}, {16, kSettingByte}, {20, kSettingInt32}};
const SettingField kGroup1[] = {{24, kSettingByte}, {25, kSettingByte}, {26, kSettingByte},
                                {27, kSettingByte}, {28, kSettingByte}, {29, kSettingByte},
                                {30, kSettingByte}, {32, kSettingInt32}, {31, kSettingByte}};
const SettingField kGroup2[] = {{36, kSettingFace}, {68, kSettingByte}, {69, kSettingByte},
                                {70, kSettingByte}, {71, kSettingByte}, {72, kSettingByte},
                                {73, kSettingByte}, {74, kSettingByte}, {76, kSettingInt32}};
const SettingField kGroup3[] = {{81, kSettingByte},   {83, kSettingByte},   {84, kSettingByte},
                                {85, kSettingByte},   {86, kSettingByte},   {92, kSettingInt32},
                                {96, kSettingInt32},  {100, kSettingInt32}, {104, kSettingInt32},
                                {108, kSettingByte},  {109, kSettingByte},  {110, kSettingByte},
                                {111, kSettingByte},  {112, kSettingByte},  {113, kSettingByte},
                                {87, kSettingByte},   {82, kSettingByte},   {88, kSettingInt32}};
const SettingField kGroup6[] = {{172, kSettingByte}, {173, kSettingByte}, {158, kSettingByte}, {159, kSettingByte},
                                {166, kSettingByte}, {168, kSettingInt32}, {167, kSettingByte}};

}  // namespace

SettingField SettingFieldOf(std::uint32_t group, std::uint32_t item) {
    auto from = [item](const SettingField* fields, std::size_t count) {
        return item < count ? fields[item] : SettingField{0, kSettingNone};
    };
    switch (group) {
    case 0: return from(kGroup0, std::size(kGroup0));
    case 1: return from(kGroup1, std::size(kGroup1));
    case 2: return from(kGroup2, std::size(kGroup2));
    case 3: return from(kGroup3, std::size(kGroup3));
    case 4:
        // Items 0 and 1, then sixteen keyboard assignments.
        if (item == 0) return {130, kSettingByte};
        if (item == 1) return {131, kSettingByte};
        return item < 18 ? SettingField{static_cast<std::uint8_t>(114 + item - 2), kSettingByte} : SettingField{};
    case 5:
        if (item == 0) return {132, kSettingByte};
        if (item <= 5) return {static_cast<std::uint8_t>(149 + item - 1), kSettingByte};
        return item < 22 ? SettingField{static_cast<std::uint8_t>(133 + item - 6), kSettingByte} : SettingField{};
    case 6: return from(kGroup6, std::size(kGroup6));
    case 7: return item == 0 ? SettingField{186, kSettingByte} : SettingField{};
    case 8: return item < 5 ? SettingField{static_cast<std::uint8_t>(187 + item), kSettingByte} : SettingField{};
    default: return SettingField{};
    }
}

namespace {

std::uint32_t SetSettingValue(std::uint32_t* a) {
    const std::uint32_t group = a[0];
    const std::uint32_t item = Byte(a[1]);
    if (group > 8) return 0;
    if (group == 0 && item == 7) return 1;
    const SettingField field = SettingFieldOf(group, item);
    if (field.kind == kSettingNone) return group <= 5 ? Result(-1) : 0;
    Application* const app = Application::Current();
    if (!app) return 0;
    std::uint8_t* const at = app->AppCfg().bytes + field.offset;
    switch (field.kind) {
    case kSettingByte: *at = Byte(a[2]); break;
    case kSettingInt32: std::memcpy(at, &a[2], 4); break;
    default: {
        std::string face;
        if (!ReadScriptText(a[2], &face)) throw BadWord{};
        const std::size_t kept = WholeCharacterPrefix(face.data(), face.size(), kFaceSize - 1);
        std::memcpy(at, face.data(), kept);
        at[kept] = '\0';
        break;
    }
    }
    return 0;
}

std::uint32_t GetSettingValue(std::uint32_t* a) {
    const SettingField field = SettingFieldOf(a[0], a[1]);
    Application* const app = Application::Current();
    if (field.kind == kSettingNone || !app) return 0;
    const std::uint8_t* const at = app->AppCfg().bytes + field.offset;
    switch (field.kind) {
    case kSettingByte: return *at;
    case kSettingInt32: {
        std::uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
    }
    default: return AddressOf(at);
    }
}

// "？？？" in Shift-JIS.
const char kUnknownVoiceText[] = "\x81\x48\x81\x48\x81\x48";

std::uint32_t SetVoiceEntryValue(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return Result(-1);
    std::vector<VoiceEntry>& voices = engine->Voices().voices;
    const std::int32_t index = Int(a[0]);
    if (index < 0 || static_cast<std::size_t>(index) >= voices.size()) return Result(-1);
    VoiceEntry& entry = voices[static_cast<std::size_t>(index)];
    switch (a[1]) {
    case 0: entry.volume = Int(a[2]); return 0;
    case 1: entry.enabled = Byte(a[2]); return 0;
    case 2: entry.marker = Byte(a[2]); return 0;
    default: return Result(-1);
    }
}

std::uint32_t GetVoiceEntryValue(std::uint32_t* a) {
    ScriptEngine* const engine = ScriptEngine::Current();
    if (!engine) return 0;
    const VoiceTable& table = engine->Voices();
    const std::int32_t index = Int(a[0]);
    if (index < 0 || static_cast<std::size_t>(index) >= table.voices.size()) {
        return static_cast<std::uint32_t>(table.voices.size());
    }
    const VoiceEntry& entry = table.voices[static_cast<std::size_t>(index)];
    const std::uint32_t second = entry.hasSecondText ? AddressOf(entry.secondText.c_str()) : 0;
    switch (a[1]) {
    case 0: return Result(entry.volume);
    case 1: return entry.enabled;
    case 2: return entry.marker;
    case 3: return AddressOf(entry.fileName.c_str());
    case 4: return second;
    case 5:
        if (entry.marker == 0) return AddressOf(entry.fileName.c_str());
        return second != 0 ? second : AddressOf(kUnknownVoiceText);
    case 6:
        for (const VoiceName& name : table.names) {
            if (name.voice == static_cast<std::uint32_t>(index)) return AddressOf(name.name.c_str());
        }
        return 0;
    default: return 0;
    }
}

}  // namespace

std::uint32_t XM_CDECL CmdSetAppOption(std::uint32_t* a) { return GuardedCommand<SetAppOption, 0>(a); }
std::uint32_t XM_CDECL CmdGetAppOption(std::uint32_t* a) { return GuardedCommand<GetAppOption, 0>(a); }
std::uint32_t XM_CDECL CmdGetAppString(std::uint32_t* a) {
    return GuardedCommand<GetAppString, kFailWithScriptFault>(a);
}
std::uint32_t XM_CDECL CmdSetSettingValue(std::uint32_t* a) {
    return GuardedCommand<SetSettingValue, kFailWithScriptFault>(a);
}
std::uint32_t XM_CDECL CmdGetSettingValue(std::uint32_t* a) { return GuardedCommand<GetSettingValue, 0>(a); }
std::uint32_t XM_CDECL CmdSetVoiceEntryValue(std::uint32_t* a) { return GuardedCommand<SetVoiceEntryValue, -1>(a); }
std::uint32_t XM_CDECL CmdGetVoiceEntryValue(std::uint32_t* a) { return GuardedCommand<GetVoiceEntryValue, 0>(a); }
