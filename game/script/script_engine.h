// ScriptEngine: the script machine of one run, with the game's commands in its command table.
// The application creates it when the scripts start and deletes it at the end of the run.
//
// The engine owns the game's sound manager; whoever makes the engine hands in the scheduler that
// runs the sound fades (the application's first scheduler). The settings operations reach the
// message settings and their targets through SettingsServices, which the engine's owner fills.
//
// RegisterScriptEffects hands the shared generator to the "quake" and "zoomflip" screen filters
// (which the start-up registers with the transitions).
//
// Not in the program yet: the SOB message text (the save files go through SaveServices), the
// effect registration, the handlers of commands 3-808 other than the do-nothing one (they
// answer kCommandNotBuilt), and ending the application's pending v-sync and precise-wait
// requests at a restart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/sound/sound_manager.h"
#include "game/save/save_services.h"
#include "game/save/save_slots.h"
#include "game/script/script_engine_base.h"
#include "game/interfaces/script_settings_targets.h"
#include "game/script/tgs_engine_host.h"

class TaskScheduler;

class ScriptEngine : public ScriptEngineBase {
public:
    explicit ScriptEngine(TaskScheduler* soundFadeScheduler = nullptr);
    ~ScriptEngine() override;

    // The engine of the run (the last one made), which the commands serve; null when none.
    static ScriptEngine* Current() { return s_current; }

    // Starts MAIN again: "ScriptBootFlg" becomes +boot number when `argument` is non-zero and
    // -boot number when it is 0 (a return to the title). 0, or 1 when MAIN does not load.
    int RestartMain(std::uint32_t argument);
    void RegisterScriptEffects();

    // The player's message settings from APP_CFG.DAT, applied to a message window part (types 5
    // and 111), a list part (type 6), the given font (or, with none given, the global text font;
    // anti-aliased fonts only) with applyFont and the message history with applyHistory. With a
    // scenario frame the frame does all of it and its result is returned. Otherwise the result is
    // the settings-changed mark as it was on entry; with onlyIfChanged and the mark clear nothing
    // happens. clearMark clears the mark at the end.
    std::uint32_t ApplyMessageSettings(bool onlyIfChanged, bool clearMark, SettingsTextPart* window,
                                       SettingsTextPart* list, SettingsFont* font, bool applyFont, bool applyHistory);
    // The pop-up hints of the UI part group: shown or not, and their delay.
    void ApplyHintSettings();
    ScriptSettingsServices& SettingsServices() { return m_settings; }

    // The TGS frame's start parameters (command 794), copied by each new frame.
    std::uint32_t TgsStartParameter(int index) const { return index >= 0 && index < 6 ? m_tgsStart[index] : 0; }
    void SetTgsStartParameter(int index, std::uint32_t address) {
        if (index >= 0 && index < 6) m_tgsStart[index] = address;
    }
    // What the TGS frame uses of the engine and the application.
    TgsHost& Tgs() { return m_tgsHost; }

    std::uint16_t BootNumber() const { return m_bootNumber; }
    void SetBootNumber(std::uint16_t number) { m_bootNumber = number; }
    SoundManager& Sound() { return m_soundManager; }

    // Save files. The services (null: the program's own) are borrowed; the APP_CFG block is the
    // application's (null: defaults of the engine's own).
    void SetSaveServices(SaveServices* services);
    void SetAppCfg(std::uint8_t* bytes) { m_saveSlots.SetAppCfg(bytes); }
    // The save folder's slots, in the engine's save folder.
    SaveSlots& Saves();
    // What a save shows when there is no TGS frame: the screen, the frame-image name whose
    // "SYS_" image is the thumbnail, and the title. Set by commands.
    void SetSaveSource(const SavePicture& screen, const std::string& frameImage, const std::string& title);
    // The script words the save commands leave for the next save: the title text, the
    // comment-switch variable, the thumbnail's surface and the frame-image name. They are kept as
    // the script gave them (a script may rewrite the title later) and resolved when a save is
    // written, so nothing here points at memory that may be gone by then.
    struct SaveParameterWords {
        std::uint32_t title = 0;
        std::uint32_t commentSwitch = 0;
        std::uint32_t thumbnailSurface = 0;
        std::uint32_t frameName = 0;
    };
    SaveParameterWords& SaveWords() { return m_saveWords; }
    // Off: the next saves store no comment, whatever APP_CFG byte 180 says (on at the start).
    void SetSaveCommentSwitch(bool on) { m_saveCommentSwitch = on; }
    // The file a load from a negative bank reads.
    void SetLoadFileName(const std::string& path) { m_loadFileName = path; }

    // Writes DATAbbss.SAV, slot -1 the next slot of a rotating bank: 0; 1 no screen; 2 or 3 no
    // thumbnail; 5 the file cannot be written; 6 the snapshot failed; -1 another failure. The file
    // is built whole first and replaces the old one only once written whole; the rotation and
    // the marks of APP_CFG change only then.
    int WriteSaveFile(std::int32_t bank, std::int32_t slot);
    // -1 when no name can be formed, else ReadSaveFile.
    int LoadSaveSlot(std::int32_t bank, std::int32_t slot);
    // See SaveReadResult. Nothing of the game changes unless the whole snapshot restores.
    int ReadSaveFile(const std::string& path, std::uint32_t offset);
    int ReadSaveFileBytes(const std::uint8_t* file, std::size_t size, std::uint32_t offset);

    // The state snapshot: the class-1 variables; byte H; with H = 1 the history, u32 m and the
    // choice snapshot's m bytes; with a TGS frame its state. H is 1 when `withHistory` is asked
    // and APP_CFG byte 30 is set. False when a part cannot be saved.
    bool BuildStateSnapshot(bool withHistory, std::vector<std::uint8_t>& snapshot);
    // 0; 1 no data; 2 the variables do not match; 3 the history, the choice snapshot or the TGS
    // state do not read. Every part is read before anything changes.
    int RestoreStateSnapshot(const std::uint8_t* data, std::size_t size);

    // 0 taken; 1 the snapshot could not be built (the old one is gone all the same).
    int TakeChoiceSnapshot();
    // -1 without a choice snapshot, else RestoreStateSnapshot's result. The snapshot is taken out
    // of the engine before the restore (which replaces the engine's copy) and is freed after it,
    // whether it restored or not.
    int ReturnToChoice();
    void DropChoiceSnapshot();
    bool HasChoiceSnapshot() const { return m_hasChoiceSnapshot; }

private:
    // The 120 x 68 thumbnail: the "SYS_" image of the frame-image name when it loads and is big
    // enough, else the rendered screen. 0, 2 or 3.
    int MakeThumbnail(const SavePicture& screen, const std::string& frameImage, SaveThumbnailPixels& thumbnail);

    static ScriptEngine* s_current;

    SoundManager m_soundManager;
    ScriptSettingsServices m_settings;
    std::uint16_t m_bootNumber = 1;
    SaveServices* m_saveServices;
    SaveSlots m_saveSlots;
    SavePicture m_saveScreen;
    std::string m_saveFrameImage;
    std::string m_saveTitle;
    std::string m_loadFileName;
    SaveParameterWords m_saveWords;
    bool m_saveCommentSwitch = true;
    bool m_hasChoiceSnapshot = false;
    std::uint32_t m_tgsStart[6] = {};
    TgsEngineHost m_tgsHost{*this};
    std::vector<std::uint8_t> m_choiceSnapshot;
};
