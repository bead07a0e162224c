// MotionPath: a motion string read into a list of records (key states, durations, easing,
// priority, spline and pivot commands), with the closed natural cubic spline through the key
// positions when the string asks for one. The sprite, parts and background motion effects play
// the records and ask the path for the positions between two keys.
//
// Motion strings come from scripts: every reader here is bounded by the terminator, numbers
// saturate at the int32 range instead of wrapping, and positions are computed in 64 bits and
// held to int32. A path that fails to parse holds no records.
#pragma once
#include <cstdint>
#include <memory>

class Canvas;
class Drawable;

struct MotionRecord {
    std::uint8_t kind;
    std::uint8_t byte;
    std::int32_t a;
    std::int32_t b;
    std::int32_t bounceX;
    std::int32_t bounceY;
    std::int32_t bounceBaseX;
    std::int32_t bounceBaseY;
    double zoom;
    double rotation;
    std::int32_t keyIndex;
};
static_assert(sizeof(MotionRecord) == 56, "parts definitions hand over 56-byte records");

enum MotionRecordKind : std::uint8_t {
    kMotionKey = 0,
    kMotionDuration = 1,
    kMotionRandomDuration = 2,
    kMotionEasing = 3,
    kMotionPriorityA = 4,
    kMotionPriorityB = 5,
    kMotionSplineOn = 6,
    kMotionSplineOff = 7,
    kMotionMoveStep = 8,
    kMotionBounceStep = 9,
    kMotionPivot = 10,
};

// A real held to the int32 range, truncated toward zero; NaN gives 0.
std::int32_t SaturateToInt32(double value);
std::int32_t SaturateToInt32(std::int64_t value);

// An optional sign and one or more digits; a value beyond int32 saturates. On failure the
// cursor and the value stay as they were.
bool ReadMotionNumber(const char** cursor, std::int32_t* value);
// An optional sign, digits, optionally "." and more digits. A number of more than 31
// characters (sign and point included) is refused like a malformed one: false, cursor and
// value unchanged.
bool ReadMotionReal(const char** cursor, double* value);

class MotionPath {
public:
    MotionPath();
    virtual ~MotionPath();
    MotionPath(const MotionPath&) = delete;
    MotionPath& operator=(const MotionPath&) = delete;

    // target: an image sprite (kind 0) or a fill sprite (kind 1); canvas used when target is
    // null. 0 ok; 1 no text or no usable target; 2 the canvas shows a scaled copy; 3 the canvas
    // has no background image; 4 a character no command begins with; 5 an empty text, nothing
    // to record, or the writing pass disagreeing with the counting pass; 6 a "t" without two
    // numbers. The old content is freed first; on failure the path holds nothing.
    std::int32_t Parse(const char* text, Drawable* target, Canvas* canvas);
    // Takes over records made elsewhere. 1 null or fewer than 2 records (the array is freed).
    std::int32_t SetRecords(std::unique_ptr<MotionRecord[]> records, std::int32_t count,
                            std::int32_t keyCount, bool spline);
    void LinearPoint(const MotionRecord& from, const MotionRecord& to, double t, std::int32_t* x,
                     std::int32_t* y) const;
    // Falls back to the straight line when no spline covers from's key index.
    void SplinePoint(const MotionRecord& from, const MotionRecord& to, double t, std::int32_t* x,
                     std::int32_t* y) const;
    void Clear();

    const MotionRecord* Records() const { return m_records.get(); }
    MotionRecord* MutableRecords() { return m_records.get(); }
    std::int32_t RecordCount() const { return m_recordCount; }
    bool HasSpline() const { return m_splineX != nullptr; }
    const double* SplineX() const { return m_splineX.get(); }
    const double* SplineY() const { return m_splineY.get(); }

    std::int32_t m_pivotX = 0;
    std::int32_t m_pivotY = 0;
    std::int32_t m_lastKeyRecord = -1;
    std::int32_t m_finalPivotX = 0;
    std::int32_t m_finalPivotY = 0;
    std::uint8_t m_finalPriority = 0;
    std::uint8_t m_zoomUsed = 0;
    std::uint8_t m_rotationUsed = 0;
    double m_largestZoom = 1.0;
    std::uint32_t m_defaultDuration = 1000;
    std::uint32_t m_totalTime = 0;

private:
    void BuildSpline();

    std::unique_ptr<MotionRecord[]> m_records;
    std::int32_t m_recordCount = 0;
    std::unique_ptr<double[]> m_splineX;
    std::unique_ptr<double[]> m_splineY;
    std::int32_t m_splineKnots = 0;
};

// Runs a motion string straight to its end state. 1, 2, 3 as Parse; 4 a character that is no
// command or a "t" without two numbers. Outputs (each may be null) are written only on
// success; the pivot only when a "Z" or "R" appeared; zoom and rotation stay 0 when none was
// given.
std::int32_t EvaluateMotionString(const char* text, std::int32_t* x, std::int32_t* y,
                                  Drawable* target, Canvas* canvas, std::uint8_t* opacity,
                                  std::uint8_t* finalPriority, double* zoom, double* rotation,
                                  std::int32_t* pivotX, std::int32_t* pivotY);
