// The sample game's two pictures, as ELG files:
// - the background, 800 x 600 at 24 bits: four quarters of one colour each, so that each
//   corner has its own colour;
// - the sprite, 64 x 64 at 32 bits: a disc of one colour that the background does not have, on
//   transparent pixels (alpha 0), its edge pixels fully opaque or fully transparent.
// The colours are 0x00RRGGBB; the demo's screenshot check looks for them.
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

constexpr std::uint16_t kDemoBackgroundWidth = 800;
constexpr std::uint16_t kDemoBackgroundHeight = 600;
// Top left, top right, bottom left, bottom right.
constexpr std::uint32_t kDemoBackgroundColours[4] = {0xC04040, 0x40A040, 0x4060C0, 0xC0A040};
constexpr std::uint16_t kDemoSpriteSize = 64;
constexpr std::uint32_t kDemoSpriteColour = 0xFF00FF;

std::vector<std::uint8_t> DemoBackgroundElg();
std::vector<std::uint8_t> DemoSpriteElg();

}  // namespace testsupport
