// Motion tasks: timed tasks on the second scheduler that move a sprite or a device drawable
// through key points. PathMotion changes position (or a sprite's source offset) and opacity,
// straight or along a natural cubic spline; TrackMotion changes a sprite's drawn size, keeping
// an edge or the centre in place; ValueMotion changes a sprite's angle, zoom and opacity.
//
// Point 0 is the target's own state when the motion starts; the points given are 1..n. The
// motion keeps a plain pointer to its target: an owner deleting the target cancels the motion
// first. Queued motions belong to the scheduler (slot 0 deletes them).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"

class DeviceDrawable;
class Drawable;

enum MotionKind : std::int32_t {
    kPathMotionOnObject = 12000,
    kTrackMotionOnObject = 12001,
    kValueMotionOnObject = 12002,
    kPathMotionOnSprite = 12003,
    kTrackMotionOnSprite = 12005,
    kValueMotionOnSprite = 12007,
};

// The clock, points and lifecycle the three motions share.
class MotionTask : public ScheduledTask {
public:
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override;
    void XM_METHOD Pause(std::uint32_t now) override;
    void XM_METHOD Resume(std::uint32_t now) override;

    bool Running() const { return m_running != 0; }
    std::uint8_t BusyMode() const { return m_busyMode; }
    std::int32_t PointCount() const { return m_pointCount; }
    // Point i: the two values and the byte.
    double First(std::int32_t i) const { return m_points[2 * i]; }
    double Second(std::int32_t i) const { return m_points[2 * i + 1]; }
    std::uint8_t Byte(std::int32_t i) const { return m_bytes[i]; }

protected:
    MotionTask(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
               double exponent, bool loop, std::uint8_t busyMode);
    // Frees the points and counts a counted motion out of the busy counter.
    ~MotionTask();

    // Values between point s and s + 1 at fraction f.
    virtual void XM_METHOD ApplyAt(std::int32_t s, double f) = 0;
    // The last point exactly.
    virtual void XM_METHOD ApplyLast() = 0;
    virtual void XM_METHOD ShowTarget(bool visible) = 0;
    virtual void XM_METHOD Prepare() {}

    // "(a,b,c)" groups; 0, 1 no text, 2 empty or no "(", or fewer than minimum points.
    std::int32_t ParseGroups(const char* text, std::int32_t minimum, bool realSecond);
    // count triples of words; 1 for a count below minimum (at least 1), negative, too large for
    // the arrays, or no array, with nothing allocated.
    std::int32_t SetWordPoints(std::int32_t count, const std::int32_t* words, std::int32_t minimum);
    // Sizes the arrays for given points plus point 0; false (nothing kept) when they cannot be.
    bool Allocate(std::int32_t given);
    // The tail of every start. 0 queued; -2 segmentTime 0 (final state set); 2 the scheduler
    // refused it.
    std::int32_t Launch(TaskScheduler* scheduler);
    void ApplyFinal();
    // Opacity between s and s + 1.
    std::uint8_t OpacityAt(std::int32_t s, double f) const;
    static bool InMainList(Drawable* sprite);

    DeviceDrawable* m_object = nullptr;
    Drawable* m_sprite = nullptr;
    std::uint8_t m_mainListFlag = 0;
    std::uint8_t m_running = 0;
    std::uint8_t m_busyMode;
    std::uint32_t m_segmentTime;
    std::uint32_t m_startDelay;
    double m_exponent;
    std::int32_t m_pointCount = 0;
    std::vector<double> m_points;
    std::vector<std::uint8_t> m_bytes;
    std::uint8_t m_showDuring;
    std::uint8_t m_loop;
    std::uint8_t m_first = 0;
    std::uint32_t m_startTime = 0;
    std::uint32_t m_totalTime = 0;
    std::uint32_t m_pausedAt = 0;
};

class PathMotion final : public WithDeletingDestructor<PathMotion, MotionTask> {
public:
    // mode 0 opacity only, 1 position, 2 the sprite's source offset.
    PathMotion(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
               double exponent, std::uint8_t mode, bool spline, bool loop, std::uint8_t busyMode);
    std::int32_t XM_METHOD Kind() override;
    std::int32_t Parse(const char* text);
    std::int32_t SetPoints(std::int32_t count, const std::int32_t* words);
    // -1 running; 1 no scheduler, drawable or points; 2 a state block (kinds 9 and 10).
    std::int32_t StartOnObject(TaskScheduler* scheduler, DeviceDrawable* object);
    // -1 running; 1 no scheduler, sprite or points; 2 a fill sprite in mode 2.
    std::int32_t StartOnSprite(TaskScheduler* scheduler, Drawable* sprite);
    const std::vector<double>& SplineX() const { return m_splineX; }

private:
    void XM_METHOD ApplyAt(std::int32_t s, double f) override;
    void XM_METHOD ApplyLast() override;
    void XM_METHOD ShowTarget(bool visible) override;
    void XM_METHOD Prepare() override;
    void Place(double x, double y, std::uint8_t opacity);

    std::uint8_t m_applyAlpha = 0;
    std::uint8_t m_mode;
    std::uint8_t m_spline;
    std::vector<double> m_splineX;
    std::vector<double> m_splineY;
};

class TrackMotion final : public WithDeletingDestructor<TrackMotion, MotionTask> {
public:
    // Anchors: 0 left or top edge fixed, 1 centre, 2 right or bottom edge. fixedBase 1 works
    // from the position at the start; 0 follows moves made from outside while it runs.
    TrackMotion(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
                double exponent, std::uint8_t horizontalAnchor, std::uint8_t verticalAnchor,
                bool fixedBase, bool applyAlpha, bool loop, std::uint8_t busyMode);
    std::int32_t XM_METHOD Kind() override;
    std::int32_t Parse(const char* text);
    std::int32_t SetPoints(std::int32_t count, const std::int32_t* words);
    // -1 running; 1 no scheduler, sprite or points; 2 the transform cache cannot be made.
    std::int32_t Start(TaskScheduler* scheduler, Drawable* sprite);

private:
    void XM_METHOD ApplyAt(std::int32_t s, double f) override;
    void XM_METHOD ApplyLast() override;
    void XM_METHOD ShowTarget(bool visible) override;
    void Place(std::int32_t w, std::int32_t h, std::uint8_t opacity);

    std::uint8_t m_horizontalAnchor;
    std::uint8_t m_verticalAnchor;
    std::uint8_t m_applyAlpha;
    std::uint8_t m_fixedBase;
    std::int32_t m_startX = 0;
    std::int32_t m_startY = 0;
    std::int32_t m_largestWidth = 0;
    std::int32_t m_largestHeight = 0;
    // The anchor offset last applied, taken off the current position when the base follows it.
    std::int32_t m_offsetX = 0;
    std::int32_t m_offsetY = 0;
};

class ValueMotion final : public WithDeletingDestructor<ValueMotion, MotionTask> {
public:
    ValueMotion(std::uint32_t segmentTime, std::uint32_t startDelay, bool showDuring,
                double exponent, bool zoomFlag, bool applyAlpha, bool loop, std::uint8_t busyMode);
    std::int32_t XM_METHOD Kind() override;
    // "(angle, zoom, opacity)" groups. A zoom word longer than 31 characters is unreadable:
    // the zoom keeps the value read before it, like any number that cannot be read.
    std::int32_t Parse(const char* text);
    // -1 running; 1 no scheduler, sprite or points; 2 a fill sprite or no transform cache.
    std::int32_t Start(TaskScheduler* scheduler, Drawable* sprite);

private:
    void XM_METHOD ApplyAt(std::int32_t s, double f) override;
    void XM_METHOD ApplyLast() override;
    void XM_METHOD ShowTarget(bool visible) override;
    void Place(std::int32_t angle, double zoom, std::uint8_t opacity);

    std::uint8_t m_zoomFlag;
    std::uint8_t m_applyAlpha;
};
