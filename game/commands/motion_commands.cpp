#include "game/commands/motion_commands.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "effects/motion/motion_tasks.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_task_table.h"
#include "game/commands/device_command_services.h"
#include "game/commands/file_script_words.h"
#include "graphics/device/device_drawable.h"
#include "graphics/device/screen_device.h"
#include "graphics/sprites/drawable.h"

using command_args::Byte;
using command_args::HandleWord;
using command_args::Int;
using file_script_words::Text;

namespace {

#define MOTION_COMMAND(name, failure)                           \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

// ---- The real motion classes behind the seam ----

template <class Motion>
class RealMotion final : public ScriptMotion {
public:
    explicit RealMotion(Motion* motion) : m_motion(motion) {}
    ~RealMotion() override {
        if (!m_queued) m_motion->DeletingDestructor(xm::kDeleteMemory);
    }
    std::int32_t Parse(const char* text) override { return m_motion->Parse(text); }
    std::int32_t SetPoints(std::int32_t count, const std::int32_t* words) override {
        if constexpr (std::is_same_v<Motion, ValueMotion>) {
            return 1;
        } else {
            return m_motion->SetPoints(count, words);
        }
    }
    std::int32_t StartOnObject(TaskScheduler& scheduler, DeviceDrawable* object) override {
        if constexpr (std::is_same_v<Motion, PathMotion>) {
            return Queued(m_motion->StartOnObject(&scheduler, object));
        } else {
            return 1;
        }
    }
    std::int32_t StartOnSprite(TaskScheduler& scheduler, Drawable* sprite) override {
        if constexpr (std::is_same_v<Motion, PathMotion>) {
            return Queued(m_motion->StartOnSprite(&scheduler, sprite));
        } else {
            return Queued(m_motion->Start(&scheduler, sprite));
        }
    }
    ScheduledTask* Task() override { return m_motion; }

private:
    std::int32_t Queued(std::int32_t code) {
        m_queued = code == 0;
        return code;
    }

    Motion* m_motion;
    bool m_queued = false;
};

class RealFactory final : public ScriptMotionFactory {
public:
    ScriptMotion* Create(ScriptMotionKind kind, const MotionSetup& s) override {
        const std::uint32_t* const o = s.options;
        switch (kind) {
            case ScriptMotionKind::kPath:
                return new RealMotion<PathMotion>(new PathMotion(s.segmentTime, s.delay, s.show, s.power, Byte(o[0]),
                                                                 o[1] != 0, o[2] != 0, Byte(o[3])));
            case ScriptMotionKind::kTrack:
                return new RealMotion<TrackMotion>(new TrackMotion(s.segmentTime, s.delay, s.show, s.power, Byte(o[0]),
                                                                   Byte(o[1]), o[2] != 0, o[3] != 0, o[4] != 0,
                                                                   Byte(o[5])));
            case ScriptMotionKind::kValue:
                return new RealMotion<ValueMotion>(
                    new ValueMotion(s.segmentTime, s.delay, s.show, s.power, o[0] != 0, o[1] != 0, o[2] != 0, Byte(o[3])));
        }
        return nullptr;
    }
};

RealFactory g_realFactory;
ScriptMotionFactory* g_factory = nullptr;

ScriptMotionFactory& Factory() { return g_factory ? *g_factory : g_realFactory; }

// ---- Words ----

// A decimal number; false for a null text, no number, or one that is not finite.
bool ReadNumber(const char* text, double* value) {
    if (!text) return false;
    char* end = nullptr;
    const double read = std::strtod(text, &end);
    if (end == text || !std::isfinite(read)) return false;
    *value = read;
    return true;
}

double Power(std::uint32_t word) {
    double power = 0.0;
    return ReadNumber(Text(word), &power) ? power : 0.0;
}

// count triples of words at the word, all in one region of script memory; null otherwise.
const std::int32_t* PointArray(std::uint32_t countWord, std::uint32_t arrayWord) {
    const std::int64_t count = Int(countWord);
    if (count <= 0) return nullptr;
    const std::int64_t bytes = count * 12;
    if (bytes > 0xFFFFFFFFll) return nullptr;
    return static_cast<const std::int32_t*>(file_script_words::ReadableBytes(arrayWord, static_cast<std::uint32_t>(bytes)));
}

DeviceDrawable* FindDrawable(std::uint32_t word) {
    ScreenDevice* const device = CommandScreenDevice();
    return device ? device->FindDrawable(word) : nullptr;
}

Drawable* FindSprite(std::uint32_t word) {
    ScreenDevice* const device = CommandScreenDevice();
    return device ? device->FindSpriteDrawable(word) : nullptr;
}

// Where the option group sits and what it holds: the first word 65535 leaves the defaults.
MotionSetup Setup(const std::uint32_t* w, std::uint32_t delayWord, std::uint32_t showWord) {
    MotionSetup setup;
    setup.segmentTime = w[1];
    setup.delay = delayWord;
    setup.show = showWord != 0;
    return setup;
}

// Path group: mode, flag, power text, loop flag, last flag.
MotionSetup PathSetup(const std::uint32_t* w, std::size_t at) {
    MotionSetup s = Setup(w, w[at - 2], w[at - 1]);
    const std::uint32_t* const g = w + at;
    if (g[0] == command_args::kGroupAbsent) {
        s.options[0] = 1;
        return s;
    }
    s.options[0] = Byte(g[0]);
    s.options[1] = g[1] != 0;
    s.power = Power(g[2]);
    s.options[2] = g[3] != 0;
    s.options[3] = Byte(g[4]);
    return s;
}

// Track group: option byte, option word, flag, flag, power text, flag, flag.
MotionSetup TrackSetup(const std::uint32_t* w, std::size_t at) {
    MotionSetup s = Setup(w, w[at - 2], w[at - 1]);
    const std::uint32_t* const g = w + at;
    if (g[0] == command_args::kGroupAbsent) {
        s.options[0] = 1;
        s.options[1] = 1;
        s.options[2] = 1;
        s.options[3] = 1;
        return s;
    }
    s.options[0] = Byte(g[0]);
    s.options[1] = Byte(g[1]);
    s.options[2] = g[2] != 0;
    s.options[3] = g[3] != 0;
    s.power = Power(g[4]);
    s.options[4] = g[5] != 0;
    s.options[5] = Byte(g[6]);
    return s;
}

// Value group: flag, flag, power text, flag, flag.
MotionSetup ValueSetup(const std::uint32_t* w, std::size_t at) {
    MotionSetup s = Setup(w, w[at - 2], w[at - 1]);
    const std::uint32_t* const g = w + at;
    if (g[0] == command_args::kGroupAbsent) {
        s.options[0] = 1;
        s.options[1] = 1;
        return s;
    }
    s.options[0] = g[0] != 0;
    s.options[1] = g[1] != 0;
    s.power = Power(g[2]);
    s.options[2] = g[3] != 0;
    s.options[3] = Byte(g[4]);
    return s;
}

// ---- The steps every command runs ----

struct Target {
    DeviceDrawable* object = nullptr;
    Drawable* sprite = nullptr;
    std::uint32_t word = 0;
};

template <class GivePoints>
std::uint32_t Run(ScriptMotionKind kind, const MotionSetup& setup, const Target& target, GivePoints givePoints) {
    TaskScheduler* const scheduler = CommandEffectScheduler();
    if (!scheduler || (!target.object && !target.sprite)) return 0;
    std::unique_ptr<ScriptMotion> motion(Factory().Create(kind, setup));
    if (!motion || givePoints(*motion) != 0) return 0;
    const std::int32_t code = target.object ? motion->StartOnObject(*scheduler, target.object)
                                            : motion->StartOnSprite(*scheduler, target.sprite);
    if (code != 0) return 0;
    ScheduledTask* const task = motion->Task();
    CommandTaskTable& tasks = CommandTasks();
    tasks.EnterTask(*scheduler, task);
    tasks.AddObject(task, target.word);
    tasks.AddObject(task, target.object ? HandleWord(target.object) : HandleWord(target.sprite));
    return HandleWord(task);
}

Target ObjectTarget(std::uint32_t word) { return Target{FindDrawable(word), nullptr, word}; }
Target SpriteTarget(std::uint32_t word) { return Target{nullptr, FindSprite(word), word}; }

auto ParseText(std::uint32_t word) {
    return [word](ScriptMotion& m) {
        const char* const text = Text(word);
        return text ? m.Parse(text) : 1;
    };
}

// The points of an array command, checked before anything is made.
template <class Start>
std::uint32_t WithPoints(std::uint32_t countWord, std::uint32_t arrayWord, Start start) {
    const std::int32_t* const points = PointArray(countWord, arrayWord);
    if (!points) return 0;
    return start([countWord, points](ScriptMotion& m) { return m.SetPoints(Int(countWord), points); });
}

// Layouts: target, segment time, text or count (and array), delay, show, group.
std::uint32_t CmdStartDrawablePathTextBody(std::uint32_t* w) {
    return Run(ScriptMotionKind::kPath, PathSetup(w, 5), ObjectTarget(w[0]), ParseText(w[2]));
}
std::uint32_t CmdStartDrawablePathPointsBody(std::uint32_t* w) {
    return WithPoints(w[2], w[3], [w](auto give) { return Run(ScriptMotionKind::kPath, PathSetup(w, 6), ObjectTarget(w[0]), give); });
}
std::uint32_t CmdStartSpritePathTextBody(std::uint32_t* w) {
    return Run(ScriptMotionKind::kPath, PathSetup(w, 5), SpriteTarget(w[0]), ParseText(w[2]));
}
std::uint32_t CmdStartSpritePathPointsBody(std::uint32_t* w) {
    return WithPoints(w[2], w[3], [w](auto give) { return Run(ScriptMotionKind::kPath, PathSetup(w, 6), SpriteTarget(w[0]), give); });
}
std::uint32_t CmdStartSpriteTrackTextBody(std::uint32_t* w) {
    return Run(ScriptMotionKind::kTrack, TrackSetup(w, 5), SpriteTarget(w[0]), ParseText(w[2]));
}
std::uint32_t CmdStartSpriteTrackPointsBody(std::uint32_t* w) {
    return WithPoints(w[2], w[3], [w](auto give) { return Run(ScriptMotionKind::kTrack, TrackSetup(w, 6), SpriteTarget(w[0]), give); });
}
std::uint32_t CmdStartValueMotionTextBody(std::uint32_t* w) {
    return Run(ScriptMotionKind::kValue, ValueSetup(w, 5), SpriteTarget(w[0]), ParseText(w[2]));
}

// drawable, mode (0 or 1), duration, scale text, second parameter text or 0.
std::uint32_t CmdStartSizeMotionBody(std::uint32_t* w) {
    if (w[0] == 0 || w[1] > 1) return 0;
    double scale = 0.0;
    if (!ReadNumber(Text(w[3]), &scale)) return 0;
    Drawable* const sprite = FindSprite(w[0]);
    if (!sprite) return 0;
    const double width = std::round(sprite->Width() * scale);
    const double height = std::round(sprite->Height() * scale);
    if (!(std::fabs(width) <= 2147483647.0) || !(std::fabs(height) <= 2147483647.0)) return 0;
    const std::uint8_t mode = (w[1] == 1 || scale >= 1.0) ? 1 : 2;

    MotionSetup setup;
    setup.segmentTime = w[2] / 2;
    setup.power = Power(w[4]);
    setup.options[0] = mode;
    setup.options[1] = mode;
    setup.options[2] = 1;
    setup.options[5] = 1;
    const std::int32_t points[6] = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 255,
                                    sprite->Width(), sprite->Height(), 255};
    return Run(ScriptMotionKind::kTrack, setup, Target{nullptr, sprite, w[0]},
               [&points](ScriptMotion& m) { return m.SetPoints(2, points); });
}

}  // namespace

ScriptMotionFactory& RealMotionFactory() { return g_realFactory; }
void SetScriptMotionFactory(ScriptMotionFactory* factory) { g_factory = factory; }

MOTION_COMMAND(CmdStartSizeMotion, 0)
MOTION_COMMAND(CmdStartDrawablePathText, 0)
MOTION_COMMAND(CmdStartDrawablePathPoints, 0)
MOTION_COMMAND(CmdStartSpritePathText, 0)
MOTION_COMMAND(CmdStartSpritePathPoints, 0)
MOTION_COMMAND(CmdStartSpriteTrackText, 0)
MOTION_COMMAND(CmdStartSpriteTrackPoints, 0)
MOTION_COMMAND(CmdStartValueMotionText, 0)
