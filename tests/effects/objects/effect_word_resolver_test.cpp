// The resolver through which effects map words to objects: the trusting one in place by
// default, and an installed one answering instead.
#include <gtest/gtest.h>

#include <cstdint>

#include "effects/interfaces/effect_word_resolver.h"
#include "framework/interfaces/deleting_destructor.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "tests/effects/screen_effect_fixture.h"

namespace {

std::uint32_t Word(const void* object) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

class RefusingResolver final : public WithDeletingDestructor<RefusingResolver, EffectWordResolver> {
public:
    Sprite* XM_METHOD ImageSprite(std::uint32_t) override { return nullptr; }
    ScreenBuffer* XM_METHOD ScreenBufferOf(std::uint32_t) override { return nullptr; }
    QadAnimation* XM_METHOD Animation(std::uint32_t) override { return nullptr; }
    const char* XM_METHOD Text(std::uint32_t) override { return nullptr; }
    void* XM_METHOD OutWord(std::uint32_t, std::uint32_t) override { return nullptr; }
};

using EffectWordResolverTest = effecttest::ScreenEffectTest;

TEST_F(EffectWordResolverTest, TrustingResolverTakesLiveObjectsByFamily) {
    Sprite sprite;
    FillRectSprite fill;
    EffectWordResolver* words = EffectWords();
    EXPECT_EQ(&sprite, words->ImageSprite(Word(&sprite)));
    EXPECT_EQ(nullptr, words->ImageSprite(Word(&fill))) << "a fill sprite is no image sprite";
    EXPECT_EQ(nullptr, words->ImageSprite(0));
    ScreenBuffer* buffer = &m_screen[1];
    Surface* surface = &m_screen[1];
    EXPECT_EQ(buffer, words->ScreenBufferOf(Word(surface))) << "the screen's buffer, not its address";
    EXPECT_NE(static_cast<const void*>(buffer), static_cast<const void*>(surface));
    Image image;
    ASSERT_EQ(0, image.Create(4, 4, 32, 0));
    EXPECT_EQ(nullptr, words->ScreenBufferOf(Word(static_cast<Surface*>(&image))));
    const char text[] = "P1";
    EXPECT_EQ(text, words->Text(Word(text)));
    std::int32_t out = 0;
    EXPECT_EQ(&out, words->OutWord(Word(&out), 4));
}

TEST_F(EffectWordResolverTest, InstalledResolverAnswersUntilReplaced) {
    RefusingResolver refusing;
    EffectWordResolver* previous = InstallEffectWordResolver(&refusing);
    Sprite sprite;
    EXPECT_EQ(nullptr, EffectWords()->ImageSprite(Word(&sprite)));
    EXPECT_EQ(&refusing, InstallEffectWordResolver(nullptr));
    EXPECT_EQ(&sprite, EffectWords()->ImageSprite(Word(&sprite))) << "null brings back the trusting one";
    InstallEffectWordResolver(previous);
}

}  // namespace
