// ScriptEffectWords: the effect word resolver that the effect commands (218-221) install around
// each call into an effect. It checks every word an effect reads from a script's parameter
// block: sprites against the screen device's sprites, screens against its surfaces (giving the
// back buffer), QAD animations against the script's animation list, texts and out words by the
// script memory's rules. Each object it resolves for a task it enters in the command task table,
// so that deleting the object cancels the task first.
#pragma once

#include <cstdint>

#include "effects/interfaces/effect_word_resolver.h"
#include "framework/interfaces/deleting_destructor.h"

class ScheduledTask;

class ScriptEffectWords final : public WithDeletingDestructor<ScriptEffectWords, EffectWordResolver> {
public:
    // task: the entered task the resolved objects are recorded for, or null.
    explicit ScriptEffectWords(const ScheduledTask* task) : m_task(task) {}
    ~ScriptEffectWords() = default;

    Sprite* XM_METHOD ImageSprite(std::uint32_t word) override;
    ScreenBuffer* XM_METHOD ScreenBufferOf(std::uint32_t word) override;
    QadAnimation* XM_METHOD Animation(std::uint32_t word) override;
    const char* XM_METHOD Text(std::uint32_t word) override;
    void* XM_METHOD OutWord(std::uint32_t word, std::uint32_t bytes) override;

private:
    void Record(const void* object, std::uint32_t word);

    const ScheduledTask* m_task;
};

// Installs a ScriptEffectWords for the task for its lifetime, then puts back the resolver that
// was installed before.
class ScopedScriptEffectWords {
public:
    explicit ScopedScriptEffectWords(const ScheduledTask* task);
    ~ScopedScriptEffectWords();
    ScopedScriptEffectWords(const ScopedScriptEffectWords&) = delete;
    ScopedScriptEffectWords& operator=(const ScopedScriptEffectWords&) = delete;

private:
    ScriptEffectWords m_resolver;
    EffectWordResolver* m_previous;
};
