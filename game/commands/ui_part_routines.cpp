#include "game/commands/ui_part_routines.h"

#include <initializer_list>

#include "game/commands/command_args.h"
#include "game/commands/command_services.h"
#include "scenario/interfaces/ui_part.h"

namespace {

// The live part a word names when its type is one of types, else null.
UiPartContent* FindPart(std::uint32_t word, std::initializer_list<std::int32_t> types,
                 std::int32_t* type) {
    UiPartLookup* const lookup = Services().parts;
    UiPartContent* const part = lookup ? lookup->FindPart(word) : nullptr;
    if (!part) return nullptr;
    *type = part->TypeCode();
    for (const std::int32_t served : types) {
        if (served == *type) return part;
    }
    return nullptr;
}

void FeedTextWindow(UiPartContent& window, const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        bool room = true;
        if (*p == '\r' || *p == '\n') {
            // A CR LF pair is one line break; LF CR is two.
            if (*p == '\r' && p[1] == '\n') ++p;
            room = window.NewLine();
        } else {
            room = window.PutChar(static_cast<std::uint8_t>(*p));
        }
        if (!room) return;
    }
}

}  // namespace

Drawable* GetPartSprite(std::uint32_t word, std::int32_t row) {
    std::int32_t type = 0;
    UiPartContent* const part = FindPart(word, {kUiTextButton, kUiCheck, kUiFrameButton, kUiTextBox,
                                         kUiImagePart, kUiSelectList, kUiTextWindow,
                                         kUiSobMessageWindow, kUiList},
                                  &type);
    if (!part) return nullptr;
    return type == kUiList ? part->RowObject(row) : part->PartSprite();
}

char* GetPartText(std::uint32_t word, std::int32_t row) {
    std::int32_t type = 0;
    UiPartContent* const part = FindPart(word, {kUiTextButton, kUiCheck, kUiTextBox, kUiTextWindow,
                                         kUiImagePart, kUiSelectList, kUiHitMap,
                                         kUiSobMessageWindow, kUiList},
                                  &type);
    if (!part) return nullptr;
    return type == kUiList ? part->RowText(row) : part->TextBuffer();
}

std::int32_t SetPartContent(std::uint32_t word, std::uint32_t value) {
    std::int32_t type = 0;
    UiPartContent* const part = FindPart(word, {kUiCheck, kUiTextBox, kUiSlider, kUiTextWindow,
                                         kUiSobMessageWindow, kUiSelectList, kUiHitMap},
                                  &type);
    if (!part) return -1;
    switch (type) {
        case kUiCheck:
            return part->SetCheckState(command_args::Bool(value));
        case kUiTextBox:
            part->SetText(command_args::Text(value));
            return 0;
        case kUiSlider:
            part->SetSliderValue(command_args::Int(value));
            return 0;
        case kUiTextWindow:
        case kUiSobMessageWindow:
            if (const char* text = command_args::Text(value)) FeedTextWindow(*part, text);
            return 0;
        default:  // select list, hit map
            part->Select(command_args::Int(value));
            return 0;
    }
}

std::int32_t GetPartState(std::uint32_t word) {
    std::int32_t type = 0;
    UiPartContent* const part =
        FindPart(word, {kUiCheck, kUiTextBox, kUiSlider, kUiList, kUiSelectList, kUiHitMap}, &type);
    if (!part) return -1;
    if (type == kUiCheck) {
        const std::int32_t state = part->CheckState();
        return state >= 3 && state != 6 ? 1 : 0;
    }
    return part->ValueWord();
}

std::int32_t SetPartFlag(std::uint32_t word, std::uint32_t flag) {
    std::int32_t type = 0;
    UiPartContent* const part = FindPart(word, {kUiTextButton, kUiCheck, kUiSlider}, &type);
    if (!part) return -1;
    part->SetTypeFlag(command_args::Bool(flag));
    return 0;
}

std::int32_t SetPartInputLock(std::uint32_t word, std::uint32_t flag) {
    std::int32_t type = 0;
    UiPartContent* const part = FindPart(
        word, {kUiCheck, kUiTextBox, kUiTextWindow, kUiList, kUiHitMap, kUiSobMessageWindow}, &type);
    if (!part) return -1;
    part->SetInputLock(command_args::Bool(flag));
    return 0;
}
