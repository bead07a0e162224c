// The test platform itself: the program's texts depend on code page 932, the sound device on an
// output being present (a null ALSA sink under Wine), and the Japanese font names on a mapping.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(Platform, AnsiCodePageIsShiftJis) {
    EXPECT_EQ(932u, GetACP());
    // The compiler turns the sources' Japanese texts into Shift-JIS.
    const char text[] = "エラー";
    ASSERT_EQ(6u, std::strlen(text));
    EXPECT_EQ(static_cast<char>(0x83), text[0]);
    EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(text[0])));
}

TEST(Platform, DirectSoundOpensAndPlays) {
    IDirectSound* sound = nullptr;
    ASSERT_EQ(DS_OK, DirectSoundCreate(nullptr, &sound, nullptr));
    EXPECT_EQ(DS_OK, sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY));
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 22050, 22050 * 4, 4, 16, 0};
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwBufferBytes = 22050;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(DS_OK, sound->CreateSoundBuffer(&desc, &buffer, nullptr));
    EXPECT_EQ(DS_OK, buffer->Play(0, 0, DSBPLAY_LOOPING));
    buffer->Release();
    sound->Release();
}

TEST(Platform, JapaneseFontNamesResolve) {
    HDC dc = GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = 16;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyA(lf.lfFaceName, "ＭＳ ゴシック");
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    EXPECT_EQ(SHIFTJIS_CHARSET, tm.tmCharSet);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}
