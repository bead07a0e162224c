#include "scenario/text/game_part_group.h"

#include <algorithm>
#include <vector>

#include "framework/app/framework_app.h"
#include "framework/sound/sound_manager.h"
#include "graphics/sprites/canvas.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/ui_part.h"

namespace {

// The mouse's standard shapes the cursor kinds use.
constexpr std::uint32_t kShapeArrow = 0;
constexpr std::uint32_t kShapeIBeam = 3;
constexpr std::uint32_t kShapeSizeAll = 5;
constexpr std::uint32_t kShapeSizeNorthSouth = 7;

struct CursorKind {
    std::uint32_t shape;
    std::uint16_t resource;
    std::int32_t tooltipOffsetY;
};

constexpr CursorKind kCursorTable[GamePartGroup::kCursorKinds] = {
    {kShapeArrow, 0, 20},
    {kShapeArrow, GamePartGroup::kLinkCursorResource, 24},
    {kShapeArrow, 0, 20},
    {kShapeSizeAll, 0, 22},
    {kShapeIBeam, 0, 9},
    {kShapeArrow, GamePartGroup::kSecondCursorResource, 4},
    {kShapeSizeNorthSouth, 0, 22},
};

// The tooltip box's colours.
constexpr std::uint32_t kTooltipBody = 0xD0FFFFE1u;
constexpr std::uint32_t kTooltipBorder = 0xFF445F97u;
constexpr std::uint32_t kTooltipShadow = 0x80000000u;
// Around the text: 3 pixels of body and border on the left and top, 3 and a 4-pixel shadow on
// the right and bottom.
constexpr std::int32_t kTooltipPadding = 10;
constexpr std::int32_t kShadow = 4;
// The tooltip lies in front of every part.
constexpr std::uint32_t kTooltipPriority = 0;
constexpr std::uint32_t kTooltipTag = 255;

}  // namespace

GamePartGroup::GamePartGroup(FrameworkApp& app) : m_app(app) {}

GamePartGroup::~GamePartGroup() {
    Close();
    m_tooltipSprite.Detach();
}

// --- Pointer and cursor ---

void GamePartGroup::SetCursorPos(std::int32_t x, std::int32_t y) { m_app.SetGameCursorPos(x, y); }

void GamePartGroup::GetCursorPos(std::int32_t* x, std::int32_t* y) {
    *x = m_app.gameCursor.x;
    *y = m_app.gameCursor.y;
}

bool GamePartGroup::SetCursorKind(std::int32_t kind) {
    if (kind == m_cursorKind) return true;
    // A script word: a negative one must not reach the table either.
    if (kind < 0 || kind >= kCursorKinds) return false;
    const CursorKind& entry = kCursorTable[kind];
    if (MouseDevice* const mouse = GetMouse()) {
        mouse->SetCursorShape(entry.shape, m_app.ModuleInstance(), entry.resource);
    }
    m_cursorKind = kind;
    m_tooltipOffsetY = entry.tooltipOffsetY;
    return true;
}

void GamePartGroup::SetCursorVisible(bool visible) {
    MouseDevice* const mouse = GetMouse();
    if (!mouse) return;
    const HWND window = m_cursorWindow ? m_cursorWindow : m_app.MainWindow().Handle();
    mouse->SetCursorVisible(visible, window, kMsgShowCursor);
}

void GamePartGroup::RestartTooltipTimer() { m_tooltipStart = m_app.AppClock().Milliseconds(); }

std::int32_t GamePartGroup::ScreenWidth() {
    if (m_display && m_display->Target()) return m_display->Target()->Width();
    return m_app.gameWidth;
}

std::int32_t GamePartGroup::ScreenHeight() {
    if (m_display && m_display->Target()) return m_display->Target()->Height();
    return m_app.gameHeight;
}

void GamePartGroup::ParkCursor() { SetCursorPos(ScreenWidth() - 1, ScreenHeight() - 1); }

KeyboardDevice* GamePartGroup::GetKeyboard() { return m_app.Input().Keyboard(); }

MouseDevice* GamePartGroup::GetMouse() { return m_app.Input().Mouse(); }

// --- Sounds, results, actions ---

void GamePartGroup::SetDefaultSounds(std::int32_t activate, std::int32_t enter, std::int32_t leave) {
    m_defaultSounds[0] = activate;
    m_defaultSounds[1] = enter;
    m_defaultSounds[2] = leave;
}

std::int32_t GamePartGroup::PlaySound(const char*, std::int32_t number, std::int32_t, std::int32_t) {
    if (!m_soundManager) return -2;
    if (number < 0) {
        // Only -4, -3 and -2 name a default; any other negative word would index outside the
        // three of them.
        if (number < UiPart::kSoundActivate || number > UiPart::kSoundLeave) return -2;
        number = m_defaultSounds[number - UiPart::kSoundActivate];
        if (number < 0) return -2;
    }
    return m_soundManager->PlayChannel(number, false);
}

void GamePartGroup::RunAction(const char*, const char*, std::int32_t) {}

void GamePartGroup::NotifyActivated(std::int32_t id) { m_result = id; }

void GamePartGroup::SetImeOpen(bool open) { m_app.SendTextCaptureValue(open ? 1 : 0); }

void GamePartGroup::Reset() {
    m_result = -1;
    UiPartGroup::Reset();
}

void GamePartGroup::OwnerListener::ValueChanged(UiPart* slider, std::int32_t) {
    if (slider) m_group.m_result = slider->GetId();
}

// --- Typed text ---

std::uint8_t GamePartGroup::CaptureReceiver::TakeKey(std::uint8_t key) {
    return m_part->OnKeyCode(key) ? 1 : 0;
}

std::uint8_t GamePartGroup::CaptureReceiver::TakeText(const char* text, std::uint32_t length) {
    return m_part->OnText(text, static_cast<std::int32_t>(length)) ? 1 : 0;
}

bool GamePartGroup::DeliverCapturedText(UiPart* focused) {
    if (!focused) {
        // Taken and dropped: left in the application it would reach the next focused part.
        m_app.DeliverCapturedText(nullptr);
        return false;
    }
    CaptureReceiver receiver(focused);
    return m_app.DeliverCapturedText(&receiver) != 0;
}

// --- Parts ---

bool GamePartGroup::UpdateParts(std::uint32_t now, bool*, std::int32_t x, std::int32_t y) {
    if (TooltipShown() && m_tooltipSprite.GetImage()) PlaceTooltip(x, y);
    // An update may remove or delete any member: each part is looked up among the current
    // members before it is called, and called once.
    std::vector<UiPart*> done;
    for (;;) {
        UiPart* next = nullptr;
        for (UiPart* const part : Members()) {
            if (std::find(done.begin(), done.end(), part) == done.end()) {
                next = part;
                break;
            }
        }
        if (!next) break;
        done.push_back(next);
        if (!next->IsEnabled() || next->Group() != this) continue;
        if (!next->IsVisible() || next->Group() != this) continue;
        next->Update(now);
    }
    return true;
}

bool GamePartGroup::IsButtonUnderPointer(std::int32_t x, std::int32_t y) {
    for (UiPart* const part : Members()) {
        const std::int32_t type = part->TypeCode();
        if (type != kUiTextButton && type != kUiCheck) continue;
        if (part->IsVisible() && part->HitTest(x, y)) return true;
    }
    return false;
}

// --- Canvas and tooltip ---

void GamePartGroup::BindCanvas(Canvas* display) {
    m_tooltipSprite.Detach();
    m_display = display;
}

void GamePartGroup::DropReferencesTo(const void* object) {
    if (!object) return;
    if (m_display && (object == m_display || object == m_display->Target())) BindCanvas(nullptr);
    if (object == m_tooltipFont) m_tooltipFont = nullptr;
}

void GamePartGroup::HideTooltip() { m_tooltipSprite.SetVisible(0); }

void GamePartGroup::PlaceTooltip(std::int32_t x, std::int32_t y) {
    const std::int32_t width = m_tooltipImage.Width();
    const std::int32_t height = m_tooltipImage.Height();
    std::int32_t left = x + m_tooltipOffsetX;
    std::int32_t top = y + m_tooltipOffsetY;
    if (left + width > ScreenWidth()) left = ScreenWidth() - width;
    if (top + height > ScreenHeight()) top = y - height;
    m_tooltipSprite.SetPosition(left, top);
}

void GamePartGroup::DrawTooltip(const char* text, std::int32_t x, std::int32_t y) {
    if (!text || !m_tooltipFont || !m_display) return;
    std::int32_t size[2] = {0, 0};
    m_tooltipFont->TextExtent(text, size, nullptr, nullptr, true, nullptr);
    RECT bounds;
    m_tooltipFont->GetRotatedTextBounds(&bounds, 0, 0, size[0], size[1]);
    const std::int32_t w = bounds.right - bounds.left;
    const std::int32_t h = bounds.bottom - bounds.top;
    const std::int32_t W = w + kTooltipPadding;
    const std::int32_t H = h + kTooltipPadding;
    // The sprite lets go of the old picture before it is replaced.
    m_tooltipSprite.Detach();
    m_tooltipSprite.Reset();
    if (m_tooltipImage.Create(W, H, 32, 0) != 0) return;
    const RECT body = {1, 1, W - 5, H - 5};
    m_tooltipImage.FillValue(kTooltipBody, &body);
    const RECT border[4] = {{0, 0, W - 4, 1}, {0, H - 5, W - 4, H - 4}, {0, 1, 1, H - 5}, {W - 5, 1, W - 4, H - 5}};
    for (const RECT& line : border) m_tooltipImage.FillValue(kTooltipBorder, &line);
    const RECT corners[2] = {{W - kShadow, 0, W, kShadow}, {0, H - kShadow, kShadow, H}};
    for (const RECT& corner : corners) m_tooltipImage.FillValue(0, &corner);
    const RECT shadow[2] = {{W - kShadow, kShadow, W, H - kShadow}, {kShadow, H - kShadow, W, H}};
    for (const RECT& strip : shadow) m_tooltipImage.FillValue(kTooltipShadow, &strip);
    if (m_tooltipFont->Kind() == kFontAntialias) {
        static_cast<AntialiasFont*>(m_tooltipFont)->DrawText(&m_tooltipImage, 3 - bounds.left, 3 - bounds.top,
                                                             text, nullptr, nullptr);
    } else {
        m_tooltipFont->BlendString(&m_tooltipImage, 3 - bounds.left, 3 - bounds.top, text, nullptr, nullptr);
    }
    if (m_tooltipSprite.SetImage(&m_tooltipImage, nullptr, 0, 0) != 0) return;
    m_display->Sprites().Add(&m_tooltipSprite, kTooltipPriority, kTooltipTag);
    PlaceTooltip(x, y);
    m_tooltipSprite.SetBlendMode(2);
    m_tooltipSprite.SetVisible(1);
}
