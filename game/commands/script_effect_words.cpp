#include "game/commands/script_effect_words.h"

#include "game/commands/command_services.h"
#include "game/commands/command_task_table.h"
#include "game/commands/file_script_words.h"
#include "game/commands/script_object_lists.h"
#include "game/commands/surface_resolution.h"
#include "game/script/script_memory.h"
#include "graphics/interfaces/graphics_object_lookup.h"

namespace {

std::uint32_t WordOf(const void* object) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

}  // namespace

Sprite* XM_METHOD ScriptEffectWords::ImageSprite(std::uint32_t word) {
    GraphicsObjectLookup* const lookup = Services().graphics;
    Sprite* const sprite = lookup ? lookup->FindSprite(word) : nullptr;
    Record(sprite, word);
    return sprite;
}

ScreenBuffer* XM_METHOD ScriptEffectWords::ScreenBufferOf(std::uint32_t word) {
    ScreenBuffer* const buffer = BackBufferOfScreen(word);
    Record(buffer, word);
    if (buffer) Record(buffer, WordOf(buffer));
    return buffer;
}

QadAnimation* XM_METHOD ScriptEffectWords::Animation(std::uint32_t word) {
    QadAnimation* const animation = QadList().Find(word);
    Record(animation, word);
    return animation;
}

const char* XM_METHOD ScriptEffectWords::Text(std::uint32_t word) { return file_script_words::Text(word); }

void* XM_METHOD ScriptEffectWords::OutWord(std::uint32_t word, std::uint32_t bytes) {
    if (word == 0 || bytes == 0 || !script_memory::IsWritable(word, bytes)) return nullptr;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(word));
}

void ScriptEffectWords::Record(const void* object, std::uint32_t word) {
    if (object && m_task) CommandTasks().AddObject(m_task, word);
}

ScopedScriptEffectWords::ScopedScriptEffectWords(const ScheduledTask* task)
    : m_resolver(task), m_previous(InstallEffectWordResolver(&m_resolver)) {}

ScopedScriptEffectWords::~ScopedScriptEffectWords() { InstallEffectWordResolver(m_previous); }
