#include "effects/objects/effect_base.h"

#include <cstdlib>
#include <string>

#include "effects/interfaces/effect_word_resolver.h"
#include "graphics/sprites/canvas.h"  // completes the screen core's members
#include "graphics/surfaces/screen_core.h"

namespace {

SubtractiveRandom* g_effectRandom = nullptr;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t XM_CDECL EffectBase::SetupV(TaskScheduler* scheduler, ScreenBuffer* target, ...) {
    va_list words;
    va_start(words, target);
    const std::int32_t* params = reinterpret_cast<const std::int32_t*>(words);
    va_end(words);
    return Setup(scheduler, target, params);
}

void XM_METHOD EffectBase::OnCreated() {
    if (m_busyState != 1 || !g_effectBeginHook) return;
    g_effectBeginHook();
    m_busyState = 2;
}

EffectBase::~EffectBase() {
    if (m_busyState == 2 && g_effectEndHook) g_effectEndHook();
    m_busyState = 0;
}

SubtractiveRandom* EffectRandom() { return g_effectRandom; }
void SetEffectRandom(SubtractiveRandom* generator) { g_effectRandom = generator; }

double ReadEffectReal(std::int32_t word, double absent) {
    // Through the resolver: a script's word is checked before it is read.
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(word));
    if (!text) return absent;
    // Only the accepted form is handed to strtod (which would also take "inf", "nan" and
    // hexadecimal text).
    std::string accepted;
    const char* p = text;
    if (*p == '+' || *p == '-') accepted += *p++;
    bool digits = false;
    while (IsDigit(*p)) accepted += *p++, digits = true;
    if (*p == '.') {
        accepted += *p++;
        while (IsDigit(*p)) accepted += *p++, digits = true;
    }
    if (!digits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        std::string exponent = "e";
        if (*q == '+' || *q == '-') exponent += *q++;
        if (IsDigit(*q)) {
            while (IsDigit(*q)) exponent += *q++;
            accepted += exponent;
        }
    }
    return std::strtod(accepted.c_str(), nullptr);
}
