#include "game/commands/save_commands.h"

#include <cstring>
#include <string>

#include "game/commands/app_routines.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/file_script_words.h"
#include "game/commands/script_string_writer.h"
#include "game/commands/surface_resolution.h"
#include "game/save/save_file_format.h"
#include "game/script/script_engine.h"
#include "game/script/script_memory.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/interfaces/graphics_object_lookup.h"

using command_args::Bool;
using command_args::Byte;
using command_args::Int;
using command_args::Result;

namespace L = SaveFileLayout;

namespace {

#define SAVE_COMMAND(name, failure)                                \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {         \
        return GuardedCommand<name##Body, failure>(arguments);     \
    }

// A frame-image name longer than this is no name.
constexpr std::size_t kFrameNameLimit = 259;

ScriptEngine* Engine() { return ScriptEngine::Current(); }

// The text at a word kept since an earlier command: only inside a registered region (memory
// the script may name now), to its terminator there; false when it is not.
bool RegionText(std::uint32_t word, std::size_t limit, std::string* text) {
    ScriptMemoryRegion region;
    std::size_t length = 0;
    if (word == 0 || !script_memory::Lookup(word, &region) || !script_memory::TextLength(word, &length, limit)) {
        return false;
    }
    text->assign(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(word)), length);
    return true;
}

// The comment switch: on while the word it names is non-zero; off when it names no readable word.
bool CommentSwitchOn(std::uint32_t word) {
    std::uint32_t value = 0;
    if (word == 0 || !script_memory::IsReadable(word, sizeof value)) return false;
    std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word)), sizeof value);
    return value != 0;
}

// A 32-bit picture of the image's pixels; no pixels when there is no 32-bit picture.
SavePicture PictureOf(Image* image) {
    SavePicture picture;
    if (!image || !image->Bits() || image->Depth() != 32 || image->Width() <= 0 || image->Height() <= 0) {
        return picture;
    }
    picture.bits = image->Bits();
    picture.width = image->Width();
    picture.height = image->Height();
    picture.pitch = image->Pitch();
    picture.bitsPerPixel = 32;
    return picture;
}

// The picture a save's thumbnail is taken from: for a screen that composites through a canvas,
// the whole canvas rendered into `work` (the back buffer's size; the overlay list only while
// APP_CFG byte 183 is 0); otherwise the surface's own image. No pixels when the word names no
// live image or screen.
SavePicture ScreenPicture(std::uint32_t surface, bool withOverlay, Image& work) {
    Canvas* canvas = nullptr;
    ScreenBuffer* const buffer = CanvasAndBackBufferOfScreen(surface, &canvas);
    Image* const target = buffer ? buffer->GetImage() : nullptr;
    if (canvas && target && canvas->Target() == target && target->Bits() &&
        work.Create(target->Width(), target->Height(), 32, 0) == 0 &&
        canvas->Render(&work, 2, -1, withOverlay) == 0) {
        return PictureOf(&work);
    }
    return PictureOf(ImageOfSurface(surface));
}

// The name of an existing slot's file: 0, or FormatSaveFileName's failure (3 when no file).
int ExistingSlot(ScriptEngine& engine, std::uint32_t bank, std::uint32_t slot, std::string* path) {
    return engine.Saves().FormatSaveFileName(path, Int(bank), Int(slot));
}

// Writes text into the script's buffer, at most `size` bytes with its terminator; nothing for
// a null or bad word.
void PutText(std::uint32_t word, const std::string& text, std::size_t size = SIZE_MAX) {
    if (word != 0) WriteScriptString(word, text, size);
}

// ---- Save parameters ----

std::uint32_t CmdSetSaveParametersBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    const std::uint16_t boot = static_cast<std::uint16_t>(w[0] & 0xFFFF);
    if (!engine || boot == 0) return 0;
    engine->SetBootNumber(boot);
    engine->SaveWords().title = w[1];
    engine->SaveWords().commentSwitch = w[2];
    engine->ClearMarkedVariables();
    return 1;
}

std::uint32_t CmdMarkVariableBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    if (w[0] == 0) return 0;
    if (engine) engine->MarkVariable(w[0]);
    return 1;
}

std::uint32_t CmdSetSaveThumbnailSourceBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    if (engine) {
        engine->SaveWords().thumbnailSurface = w[0];
        engine->SaveWords().frameName = w[1];
    }
    return 1;
}

// ---- Save files ----

std::uint32_t CmdSetLoadFileBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    std::string path;
    if (!engine || ExistingSlot(*engine, w[0], w[1], &path) != 0) return 1;
    SetPendingLoadFile(path.c_str());
    return 0;
}

std::uint32_t CmdWriteSaveBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    if (!engine) return 1;
    const ScriptEngine::SaveParameterWords words = engine->SaveWords();
    std::string title;
    std::string frameName;
    if (!RegionText(words.title, 0xFFFF, &title)) title.clear();
    if (!RegionText(words.frameName, kFrameNameLimit, &frameName)) frameName.clear();
    Image work;
    const bool withOverlay = engine->Saves().AppCfg()[SaveAppCfg::kNoFinalRender] == 0;
    engine->SetSaveSource(ScreenPicture(words.thumbnailSurface, withOverlay, work), frameName, title);
    engine->SetSaveCommentSwitch(CommentSwitchOn(words.commentSwitch));
    const std::int32_t result = engine->WriteSaveFile(Int(w[0]), Int(w[1]));
    // The picture is the surface's memory now: no pointer to it is kept past the write.
    engine->SetSaveSource(SavePicture(), "", "");
    engine->SetSaveCommentSwitch(true);
    return Result(result);
}

std::uint32_t CmdReadSaveBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    if (!engine) return Result(-1);
    if (Int(w[0]) < 0) return Result(engine->ReadSaveFile(PendingLoadFile(), 0));
    std::string path;
    if (ExistingSlot(*engine, w[0], w[1], &path) != 0) return Result(-1);
    return Result(engine->ReadSaveFile(path, 0));
}

std::uint32_t CmdGetSaveCaptionBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    std::string path;
    if (!engine || ExistingSlot(*engine, w[1], w[2], &path) != 0) return Result(-1);
    if (w[0] == 0 || script_memory::WritableRoom(w[0]) == 0) return 1;
    std::string caption;
    const int result = engine->Saves().FormatSaveSlotCaption(&caption, Int(w[1]), Int(w[2]), Byte(w[3]));
    if (result == 0) PutText(w[0], caption);
    return Result(result);
}

// The stored comment laid out for display: at most four lines of 34 bytes, joined by CR LF.
std::string LaidOutComment(const char* stored) {
    const std::string wrapped = WrapSaveComment(stored);
    std::string out;
    for (char c : wrapped) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::uint32_t CmdReadSaveHeaderBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    std::string path;
    if (!engine || ExistingSlot(*engine, w[0], w[1], &path) != 0) return Result(-1);
    // The thumbnail goes only into a live 32-bit software image that holds 120 x 68 pixels.
    Image* image = nullptr;
    SavePicture picture;
    if (w[2] != 0) {
        GraphicsObjectLookup* const lookup = Services().graphics;
        image = lookup ? lookup->FindImage(w[2]) : nullptr;
        picture = PictureOf(image);
        if (picture.width < L::kThumbnailWidth || picture.height < L::kThumbnailHeight) picture = SavePicture();
    }
    char title[L::kTitleSize] = "";
    char comment[L::kCommentSize] = "";
    std::string date;
    const int result = engine->Saves().ReadSaveSlotInfo(Int(w[0]), Int(w[1]), w[2] != 0 ? &picture : nullptr,
                                                        title, comment, false, nullptr, &date);
    if (result != 0) return Result(result);
    if (image) {
        image->MarkChanged(RECT{0, 0, L::kThumbnailWidth, L::kThumbnailHeight});
    }
    PutText(w[3], std::string(title, strnlen(title, sizeof title)), L::kTitleSize);
    if (w[4] != 0) {
        const std::string stored(comment, strnlen(comment, sizeof comment));
        if (stored.empty()) {
            const std::size_t room = script_memory::WritableRoom(w[4]);
            std::memset(reinterpret_cast<void*>(static_cast<std::uintptr_t>(w[4])), 0, room < 4 ? room : 4);
        } else {
            PutText(w[4], Bool(w[6]) ? LaidOutComment(stored.c_str()) : stored, L::kCommentSize);
        }
    }
    PutText(w[5], date);
    return 0;
}

std::uint32_t CmdWriteSaveCommentBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    std::string path;
    if (!engine || ExistingSlot(*engine, w[0], w[1], &path) != 0) return Result(-1);
    const char* const text = file_script_words::Text(w[2]);
    if (!text) return 0;
    return Result(engine->Saves().RewriteSaveComment(Int(w[0]), Int(w[1]), text));
}

std::uint32_t CmdCopySaveBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    if (!engine) return 1;
    return Result(engine->Saves().CopySaveFile(Int(w[0]), Int(w[1]), Int(w[2]), Int(w[3])));
}

std::uint32_t CmdDeleteSaveBody(std::uint32_t* w) {
    ScriptEngine* const engine = Engine();
    if (!engine) return 1;
    return Result(engine->Saves().DeleteSaveFile(Int(w[0]), Int(w[1])));
}

// ---- The choice snapshot ----

std::uint32_t CmdTakeChoiceSnapshotBody(std::uint32_t*) {
    ScriptEngine* const engine = Engine();
    return engine ? Result(engine->TakeChoiceSnapshot()) : 1;
}

std::uint32_t CmdRestoreChoiceSnapshotBody(std::uint32_t*) {
    ScriptEngine* const engine = Engine();
    return engine ? Result(engine->ReturnToChoice()) : Result(-1);
}

std::uint32_t CmdHasChoiceSnapshotBody(std::uint32_t*) {
    ScriptEngine* const engine = Engine();
    return engine && engine->HasChoiceSnapshot() ? 1 : 0;
}

std::uint32_t CmdDropChoiceSnapshotBody(std::uint32_t*) {
    if (ScriptEngine* const engine = Engine()) engine->DropChoiceSnapshot();
    return 0;
}

}  // namespace

SAVE_COMMAND(CmdSetSaveParameters, 0)
SAVE_COMMAND(CmdMarkVariable, 1)
SAVE_COMMAND(CmdSetSaveThumbnailSource, 1)
SAVE_COMMAND(CmdSetLoadFile, 1)
SAVE_COMMAND(CmdWriteSave, -1)
SAVE_COMMAND(CmdReadSave, 2)
SAVE_COMMAND(CmdGetSaveCaption, 2)
SAVE_COMMAND(CmdReadSaveHeader, 2)
SAVE_COMMAND(CmdWriteSaveComment, 1)
SAVE_COMMAND(CmdCopySave, 3)
SAVE_COMMAND(CmdDeleteSave, 2)
SAVE_COMMAND(CmdTakeChoiceSnapshot, 1)
SAVE_COMMAND(CmdRestoreChoiceSnapshot, -1)
SAVE_COMMAND(CmdHasChoiceSnapshot, 0)
SAVE_COMMAND(CmdDropChoiceSnapshot, 0)
