#include "effects/motion/motion_path.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kDefaultMoveStep = 25;
constexpr std::int32_t kDefaultBounceStep = 50;
constexpr std::size_t kRealBuffer = 32;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsPositionLetter(char c) {
    switch (c) {
    case '<': case '>': case '-': case '+': case 'P': case 'p': case 'c': case 'l': case 'r':
    case 'u': case 'd': case 'i': case '!': case 'O': case 'Z': case 'R': case '$': case '%':
    case '[': case ']': case '^': case '_':
        return true;
    default:
        return false;
    }
}

std::int32_t Half(std::int64_t value) { return SaturateToInt32(value >> 1); }

// What the target contributes to a parse: the area, the object, its home and its start state.
struct TargetQuantities {
    std::int32_t areaW = 0, areaH = 0;
    std::int32_t objectW = 0, objectH = 0;
    std::int32_t startX = 0, startY = 0;
    std::int32_t homeX = 0, homeY = 0;
    std::uint8_t opacity = 255;
    double zoom = 1.0;
    double rotation = 0.0;
    std::int32_t pivotX = 0, pivotY = 0;
    bool canvas = false;
};

std::int32_t ReadTarget(Drawable* target, Canvas* canvas, TargetQuantities* q) {
    if (target) {
        SpriteList* list = target->List();
        Canvas* owner = list ? list->GetCanvas() : nullptr;
        Image* area = owner ? owner->Target() : nullptr;
        if (!area) return 1;
        q->areaW = area->Width();
        q->areaH = area->Height();
        if (q->areaW == 0) return 1;
        q->objectW = target->Width();
        q->objectH = target->Height();
        q->startX = target->X();
        q->startY = target->Y();
        q->opacity = target->Alpha();
        if (target->Kind() == 1) {
            q->homeX = Half(std::int64_t{q->areaW} - q->objectW);
            q->homeY = Half(std::int64_t{q->areaH} - q->objectH);
        } else if (target->Kind() == 0) {
            auto* sprite = static_cast<Sprite*>(target);
            if (Surface* image = sprite->GetImage()) {
                q->homeX = image->OriginX();
                q->homeY = image->OriginY();
            }
            q->zoom = sprite->Zoom();
            q->rotation = sprite->Angle() / 512.0;
        } else {
            return 1;
        }
        q->pivotX = SaturateToInt32(std::int64_t{q->areaW >> 1} - q->homeX);
        q->pivotY = SaturateToInt32(std::int64_t{q->areaH} - q->homeY);
        return 0;
    }
    if (!canvas) return 1;
    Image* area = canvas->Target();
    if (!area) return 1;
    q->areaW = area->Width();
    q->areaH = area->Height();
    if (q->areaW == 0) return 1;
    if (canvas->Scaled()) return 2;
    Surface* background = nullptr;
    canvas->GetBackground(&background, &q->startX, &q->startY, nullptr, nullptr, nullptr);
    if (!background) return 3;
    q->objectW = background->Width();
    q->objectH = background->Height();
    q->pivotX = q->objectW >> 1;
    q->pivotY = q->objectH >> 1;
    q->canvas = true;
    return 0;
}

// The grammar, shared by the counting pass, the writing pass and the evaluation. Records go
// through a bounded writer: past its capacity they are only counted.
class MotionScanner {
public:
    MotionScanner(const TargetQuantities& q, bool evaluate) : m_q(q), m_evaluate(evaluate) {
        m_x = q.startX;
        m_y = q.startY;
        m_opacity = q.opacity;
        m_zoom = evaluate ? 0.0 : q.zoom;
        m_rotation = evaluate ? 0.0 : q.rotation;
        m_pivotX = m_finalPivotX = q.pivotX;
        m_pivotY = m_finalPivotY = q.pivotY;
        m_largestZoom = q.zoom;
    }

    void SetOutput(MotionRecord* out, std::int32_t capacity) {
        m_out = out;
        m_capacity = capacity;
    }
    void SetDuration(std::uint32_t duration) { m_duration = duration; }

    // 0, or 4 for a character that begins no command. A "t" without its numbers is noted.
    std::int32_t Run(const char* text) {
        const char* p = text;
        while (*p) {
            const char c = *p;
            if (IsBlank(c)) {
                ++p;
                continue;
            }
            if (IsPositionLetter(c)) {
                m_bounceX = m_bounceY = m_bounceBaseX = m_bounceBaseY = 0;
                while (*p && IsPositionLetter(*p)) Position(&p);
                EmitKey();
                continue;
            }
            if (!Command(&p)) return 4;
        }
        return 0;
    }

    std::int32_t Count() const { return m_count; }
    bool Overflowed() const { return m_count > m_capacity; }
    bool TFailed() const { return m_tFailed; }

    std::int32_t m_x, m_y;
    std::uint8_t m_opacity;
    double m_zoom, m_rotation;
    std::int32_t m_pivotX, m_pivotY, m_finalPivotX, m_finalPivotY;
    std::uint8_t m_finalPriority = 0;
    std::uint8_t m_zoomUsed = 0, m_rotationUsed = 0;
    double m_largestZoom;
    std::uint32_t m_totalTime = 0;
    std::int32_t m_lastKeyRecord = -1;
    bool m_splineAsked = false;

private:
    // n, or 1 when no number follows.
    static std::int64_t Times(const char** p) {
        std::int32_t n = 1;
        ReadMotionNumber(p, &n);
        return n;
    }
    std::int64_t MoveStep(const char** p) { return std::int64_t{m_moveStep} * Times(p); }
    std::int64_t BounceStep(const char** p) { return std::int64_t{m_bounceStep} * Times(p); }

    // Reads "n" and, after a comma, "m"; each is reported as given or not.
    static void Pair(const char** p, std::int32_t* n, bool* hasN, std::int32_t* m, bool* hasM) {
        *hasN = ReadMotionNumber(p, n);
        *hasM = false;
        if (**p == ',') {
            ++*p;
            *hasM = ReadMotionNumber(p, m);
        }
    }

    void Position(const char** pp) {
        const char* p = *pp;
        const char c = *p++;
        const TargetQuantities& q = m_q;
        std::int32_t n = 0, m = 0;
        bool hasN = false, hasM = false;
        double r = 0;
        switch (c) {
        case '<': m_x = SaturateToInt32(m_x - MoveStep(&p)); break;
        case '>': m_x = SaturateToInt32(m_x + MoveStep(&p)); break;
        case '-': m_y = SaturateToInt32(m_y - MoveStep(&p)); break;
        case '+': m_y = SaturateToInt32(m_y + MoveStep(&p)); break;
        case 'P':
            Pair(&p, &n, &hasN, &m, &hasM);
            if (hasN) m_x = n;
            if (hasM) m_y = m;
            break;
        case 'p':
            Pair(&p, &n, &hasN, &m, &hasM);
            if (hasN) m_x = SaturateToInt32(std::int64_t{q.homeX} + n);
            if (hasM) m_y = SaturateToInt32(std::int64_t{q.homeY} + m);
            break;
        case 'c':
            if (q.canvas) {
                m_x = Half(std::int64_t{q.objectW} - q.areaW);
                m_y = Half(std::int64_t{q.objectH} - q.areaH);
            } else {
                m_x = q.homeX;
                m_y = q.homeY;
            }
            break;
        case 'l':
            if (q.canvas) {
                m_x = 0;
            } else {
                m_x = SaturateToInt32(std::int64_t{q.homeX} - (q.areaW >> 2));
                m_y = q.homeY;
            }
            break;
        case 'r':
            if (q.canvas) {
                m_x = SaturateToInt32(std::int64_t{q.objectW} - q.areaW);
            } else {
                m_x = SaturateToInt32(std::int64_t{q.homeX} + (q.areaW >> 2));
                m_y = q.homeY;
            }
            break;
        case 'u': m_y = 0; break;
        case 'd':
            m_y = q.canvas ? SaturateToInt32(std::int64_t{q.objectH} - q.areaH)
                           : SaturateToInt32(std::int64_t{q.areaH} - q.objectH);
            break;
        case 'i':
            m_y = q.areaH >= q.objectH ? Half(std::int64_t{q.areaH} - q.objectH)
                                       : SaturateToInt32(-(std::int64_t{Half(std::int64_t{q.objectH} - q.areaH)}));
            break;
        case '!':
            switch (*p) {
            case 'c': m_x = q.homeX; m_y = q.areaH; ++p; break;
            case 'l': m_x = SaturateToInt32(-std::int64_t{q.objectW}); m_y = q.homeY; ++p; break;
            case 'r': case 'i': m_x = q.areaW; m_y = q.homeY; ++p; break;
            case 'u': m_y = SaturateToInt32(-std::int64_t{q.objectH}); ++p; break;
            case 'd': m_y = q.areaH; ++p; break;
            default: m_y = q.areaH; break;  // the next character is read again as a command
            }
            break;
        case 'O': m_opacity = ReadMotionNumber(&p, &n) ? static_cast<std::uint8_t>(n) : 255; break;
        case 'Z':
            m_zoom = ReadMotionReal(&p, &r) ? r : 1.0;
            m_finalPivotX = m_pivotX;
            m_finalPivotY = m_pivotY;
            m_zoomUsed = 1;
            if (m_zoom > m_largestZoom) m_largestZoom = m_zoom;
            break;
        case 'R':
            m_rotation = ReadMotionReal(&p, &r) ? r : 0.0;
            m_finalPivotX = m_pivotX;
            m_finalPivotY = m_pivotY;
            m_rotationUsed = 1;
            break;
        case '$': case '%': {
            const std::int64_t times = Times(&p);
            const std::int64_t add = std::int64_t{m_bounceStep} * times;
            const std::int64_t base = std::int64_t{m_bounceStep / -2} * times;
            std::int32_t& bounce = c == '$' ? m_bounceX : m_bounceY;
            std::int32_t& bounceBase = c == '$' ? m_bounceBaseX : m_bounceBaseY;
            bounce = SaturateToInt32(bounce + add);
            bounceBase = SaturateToInt32(bounceBase + base);
            break;
        }
        case '[': case '^': {
            const std::int64_t add = BounceStep(&p);
            std::int32_t& bounce = c == '[' ? m_bounceX : m_bounceY;
            std::int32_t& bounceBase = c == '[' ? m_bounceBaseX : m_bounceBaseY;
            bounceBase = SaturateToInt32(bounceBase - add);
            bounce = SaturateToInt32(bounce + add);
            break;
        }
        case ']': m_bounceX = SaturateToInt32(m_bounceX + BounceStep(&p)); break;
        case '_': m_bounceY = SaturateToInt32(m_bounceY + BounceStep(&p)); break;
        default: break;
        }
        *pp = p;
    }

    MotionRecord Blank(std::uint8_t kind) const {
        MotionRecord record = {};
        record.kind = kind;
        return record;
    }

    void Emit(const MotionRecord& record) {
        if (m_out && m_count < m_capacity) m_out[m_count] = record;
        ++m_count;
    }

    void EmitKey() {
        MotionRecord key = Blank(kMotionKey);
        key.byte = m_opacity;
        key.a = m_x;
        key.b = m_y;
        key.bounceX = m_bounceX;
        key.bounceY = m_bounceY;
        key.bounceBaseX = m_bounceBaseX;
        key.bounceBaseY = m_bounceBaseY;
        key.zoom = m_zoom;
        key.rotation = m_rotation;
        key.keyIndex = ++m_keyIndex;
        m_lastKeyRecord = m_count + 1;  // record 0, the start state, precedes the written ones
        Emit(key);
        const std::uint64_t total = std::uint64_t{m_totalTime} + m_duration;
        m_totalTime = total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total);
    }

    bool Command(const char** pp) {
        const char* p = *pp;
        std::int32_t n = 0, m = 0;
        bool hasN = false, hasM = false;
        double r = 0;
        MotionRecord record = Blank(kMotionDuration);
        if (IsDigit(*p)) {
            ReadMotionNumber(&p, &n);
            record.a = n;
            m_duration = static_cast<std::uint32_t>(n);
            Emit(record);
            *pp = p;
            return true;
        }
        switch (*p++) {
        case 't': {
            hasN = ReadMotionNumber(&p, &n);
            if (hasN && *p == ',') ++p;
            hasM = hasN && ReadMotionNumber(&p, &m);
            record.kind = kMotionRandomDuration;
            record.a = n;
            record.b = SaturateToInt32(std::int64_t{m} - n + 1);
            if (!hasM) m_tFailed = true;
            break;
        }
        case 'A':
            record.kind = kMotionEasing;
            if (ReadMotionReal(&p, &r)) {
                record.byte = 1;
                record.zoom = r;
            }
            break;
        case 'F': record.kind = kMotionPriorityA; m_finalPriority = 1; break;
        case 'B': record.kind = kMotionPriorityB; m_finalPriority = 2; break;
        case 'S': record.kind = kMotionSplineOn; m_splineAsked = true; break;
        case 'N': record.kind = kMotionSplineOff; break;
        case 'M':
            record.kind = kMotionMoveStep;
            m_moveStep = ReadMotionNumber(&p, &n) ? n : kDefaultMoveStep;
            record.a = m_moveStep;
            break;
        case 'L':
            record.kind = kMotionBounceStep;
            m_bounceStep = ReadMotionNumber(&p, &n) ? n : kDefaultBounceStep;
            record.a = m_bounceStep;
            break;
        case 'o':
            Pair(&p, &n, &hasN, &m, &hasM);
            if (hasN) m_pivotX = SaturateToInt32(std::int64_t{m_pivotX} + n);
            if (hasM) m_pivotY = SaturateToInt32(std::int64_t{m_pivotY} + m);
            record.kind = kMotionPivot;
            record.a = m_pivotX;
            record.b = m_pivotY;
            break;
        case 'z':
            Pair(&p, &n, &hasN, &m, &hasM);
            m_pivotX = hasN ? n : m_q.objectW >> 1;
            m_pivotY = hasM ? m : m_q.objectH >> 1;
            record.kind = kMotionPivot;
            record.a = m_pivotX;
            record.b = m_pivotY;
            break;
        default:
            return false;
        }
        Emit(record);
        *pp = p;
        return true;
    }

    const TargetQuantities& m_q;
    const bool m_evaluate;
    MotionRecord* m_out = nullptr;
    std::int32_t m_capacity = 0;
    std::int32_t m_count = 0;
    std::int32_t m_keyIndex = 0;
    std::uint32_t m_duration = 1000;
    std::int32_t m_moveStep = kDefaultMoveStep;
    std::int32_t m_bounceStep = kDefaultBounceStep;
    std::int32_t m_bounceX = 0, m_bounceY = 0, m_bounceBaseX = 0, m_bounceBaseY = 0;
    bool m_tFailed = false;
};

}  // namespace

std::int32_t SaturateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(kInt32Min)) return static_cast<std::int32_t>(kInt32Min);
    if (value >= static_cast<double>(kInt32Max)) return static_cast<std::int32_t>(kInt32Max);
    return static_cast<std::int32_t>(value);
}

std::int32_t SaturateToInt32(std::int64_t value) {
    if (value < kInt32Min) return static_cast<std::int32_t>(kInt32Min);
    if (value > kInt32Max) return static_cast<std::int32_t>(kInt32Max);
    return static_cast<std::int32_t>(value);
}

bool ReadMotionNumber(const char** cursor, std::int32_t* value) {
    const char* p = *cursor;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!IsDigit(*p)) return false;
    std::int64_t magnitude = 0;
    for (; IsDigit(*p); ++p) {
        if (magnitude <= kInt32Max) magnitude = magnitude * 10 + (*p - '0');
    }
    *value = SaturateToInt32(negative ? -magnitude : magnitude);
    *cursor = p;
    return true;
}

bool ReadMotionReal(const char** cursor, double* value) {
    const char* p = *cursor;
    char buffer[kRealBuffer];
    std::size_t length = 0;
    auto take = [&](char c) {
        if (length < kRealBuffer) buffer[length] = c;
        ++length;
    };
    if (*p == '+' || *p == '-') take(*p++);
    if (!IsDigit(*p)) return false;
    while (IsDigit(*p)) take(*p++);
    if (*p == '.') {
        take(*p++);
        while (IsDigit(*p)) take(*p++);
    }
    if (length >= kRealBuffer) return false;  // no room for the terminator
    buffer[length] = 0;
    *value = std::strtod(buffer, nullptr);
    *cursor = p;
    return true;
}

MotionPath::MotionPath() = default;
MotionPath::~MotionPath() = default;

void MotionPath::Clear() {
    m_records.reset();
    m_recordCount = 0;
    m_splineX.reset();
    m_splineY.reset();
    m_splineKnots = 0;
    m_lastKeyRecord = -1;
}

std::int32_t MotionPath::Parse(const char* text, Drawable* target, Canvas* canvas) {
    Clear();
    m_totalTime = 0;
    if (!text) return 1;
    TargetQuantities q;
    if (std::int32_t code = ReadTarget(target, canvas, &q)) return code;

    MotionScanner counter(q, false);
    counter.SetDuration(m_defaultDuration);
    if (counter.Run(text) != 0) return 4;
    const std::int32_t count = counter.Count();
    if (count == 0) return 5;
    if (counter.TFailed()) return 6;

    std::unique_ptr<MotionRecord[]> records(new (std::nothrow) MotionRecord[count + 1]());
    if (!records) return 5;
    MotionRecord& start = records[0];
    start.kind = kMotionKey;
    start.byte = q.opacity;
    start.a = q.startX;
    start.b = q.startY;
    start.zoom = q.zoom;
    start.rotation = q.rotation;
    start.keyIndex = 0;

    MotionScanner writer(q, false);
    writer.SetDuration(m_defaultDuration);
    writer.SetOutput(records.get() + 1, count);
    if (writer.Run(text) != 0 || writer.TFailed() || writer.Overflowed() ||
        writer.Count() != count) {
        return 5;
    }
    m_records = std::move(records);
    m_recordCount = count + 1;
    m_pivotX = writer.m_pivotX;
    m_pivotY = writer.m_pivotY;
    m_finalPivotX = writer.m_finalPivotX;
    m_finalPivotY = writer.m_finalPivotY;
    m_finalPriority = writer.m_finalPriority;
    m_zoomUsed = writer.m_zoomUsed;
    m_rotationUsed = writer.m_rotationUsed;
    m_largestZoom = writer.m_largestZoom;
    m_totalTime = writer.m_totalTime;
    m_lastKeyRecord = writer.m_lastKeyRecord;
    if (writer.m_splineAsked) BuildSpline();
    return 0;
}

std::int32_t MotionPath::SetRecords(std::unique_ptr<MotionRecord[]> records, std::int32_t count,
                                    std::int32_t keyCount, bool spline) {
    if (!records || count < 2) return 1;
    Clear();
    m_records = std::move(records);
    m_recordCount = count;
    for (std::int32_t i = 0; i < count; ++i) {
        if (m_records[i].kind == kMotionKey) m_lastKeyRecord = i;
    }
    if (spline && keyCount > 2) BuildSpline();
    return 0;
}

void MotionPath::BuildSpline() {
    m_splineX.reset();
    m_splineY.reset();
    m_splineKnots = 0;
    std::vector<const MotionRecord*> keys;
    for (std::int32_t i = 0; i < m_recordCount; ++i) {
        if (m_records[i].kind == kMotionKey) keys.push_back(&m_records[i]);
    }
    const std::size_t n = keys.size();
    if (n <= 2) return;
    // Knots k0..k(n-1), then k1 and k2 again, so that a loop back to key 1 stays smooth.
    std::vector<const MotionRecord*> knots(keys);
    knots.push_back(keys[1]);
    knots.push_back(keys[2]);
    std::unique_ptr<double[]> sx(new (std::nothrow) double[n + 2]());
    std::unique_ptr<double[]> sy(new (std::nothrow) double[n + 2]());
    if (!sx || !sy) return;
    std::vector<double> diagonal(n + 1), rx(n + 1), ry(n + 1);
    for (std::size_t i = 1; i <= n; ++i) {
        rx[i] = static_cast<double>(knots[i + 1]->a) - 2.0 * knots[i]->a + knots[i - 1]->a;
        ry[i] = static_cast<double>(knots[i + 1]->b) - 2.0 * knots[i]->b + knots[i - 1]->b;
        diagonal[i] = i == 1 ? 4.0 : 4.0 - 1.0 / diagonal[i - 1];
        if (i > 1) {
            rx[i] -= rx[i - 1] / diagonal[i - 1];
            ry[i] -= ry[i - 1] / diagonal[i - 1];
        }
    }
    for (std::size_t i = n; i >= 1; --i) {
        sx[i] = (rx[i] - sx[i + 1]) / diagonal[i];
        sy[i] = (ry[i] - sy[i + 1]) / diagonal[i];
    }
    m_splineX = std::move(sx);
    m_splineY = std::move(sy);
    m_splineKnots = static_cast<std::int32_t>(n + 2);
}

void MotionPath::LinearPoint(const MotionRecord& from, const MotionRecord& to, double t,
                             std::int32_t* x, std::int32_t* y) const {
    *x = SaturateToInt32((static_cast<double>(to.a) - from.a) * t + from.a);
    *y = SaturateToInt32((static_cast<double>(to.b) - from.b) * t + from.b);
}

void MotionPath::SplinePoint(const MotionRecord& from, const MotionRecord& to, double t,
                             std::int32_t* x, std::int32_t* y) const {
    const std::int32_t i = from.keyIndex;
    if (!m_splineX || i < 0 || i + 1 >= m_splineKnots) {
        LinearPoint(from, to, t, x, y);
        return;
    }
    auto along = [t](double p0, double p1, const double* s, std::int32_t k) {
        return t * (p1 - p0 - (2.0 * s[k] + s[k + 1]) + t * (t * (s[k + 1] - s[k]) + 3.0 * s[k])) +
               p0;
    };
    *x = SaturateToInt32(along(from.a, to.a, m_splineX.get(), i));
    *y = SaturateToInt32(along(from.b, to.b, m_splineY.get(), i));
}

std::int32_t EvaluateMotionString(const char* text, std::int32_t* x, std::int32_t* y,
                                  Drawable* target, Canvas* canvas, std::uint8_t* opacity,
                                  std::uint8_t* finalPriority, double* zoom, double* rotation,
                                  std::int32_t* pivotX, std::int32_t* pivotY) {
    if (!text) return 1;
    TargetQuantities q;
    if (std::int32_t code = ReadTarget(target, canvas, &q)) return code;
    MotionScanner scanner(q, true);
    if (scanner.Run(text) != 0 || scanner.TFailed()) return 4;
    if (x) *x = scanner.m_x;
    if (y) *y = scanner.m_y;
    if (opacity) *opacity = scanner.m_opacity;
    if (finalPriority) *finalPriority = scanner.m_finalPriority;
    if (zoom) *zoom = scanner.m_zoom;
    if (rotation) *rotation = scanner.m_rotation;
    if (scanner.m_zoomUsed || scanner.m_rotationUsed) {
        if (pivotX) *pivotX = scanner.m_finalPivotX;
        if (pivotY) *pivotY = scanner.m_finalPivotY;
    }
    return 0;
}
