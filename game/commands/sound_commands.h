// The sound commands (opcodes 439, 596-631 and 652-684): the sound device and its buffers, the
// sound-decoder plug-ins, and the game's sound manager with its settings, music, channels, fades
// and voices by name. Each handler passes its words to one operation and returns its result.
//
// Script words: a buffer word is looked up among the live sound buffers (the device's, both
// music players and every channel's two buffers), so a word naming none gets the command's
// null-buffer result; 607 and 602 delete only the device's buffers. Texts and out words follow
// the script memory's rules (a bad text is a null one, a bad out word is not written), and 683
// reads only the list words that lie in its argument block's memory.
//
// Choices of this program where the commands leave room:
// - 652 type 2 index 0 switches the general group (group 1), which 653 reads back for types 1
//   and 2/0; type 3 indexes 0-2 are the
//   user-volume defaults of loaded channels (general, group 2, group 4); -1 keeps a default's
//   own value.
// - 654 passes its words as the user volume, the long-sounds-only flag and the group mask.
// - 668 refuses more than SoundManager::kMaxChannels channels with 2, changing nothing.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// Sound device and buffers.
std::uint32_t XM_CDECL CmdOpenSoundDevice(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundDecoderOption(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadSoundPlugin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdScanSoundPluginFolder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdUnloadSoundPlugin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCallSoundPluginAssist(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDestroyAllSoundBuffers(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDuplicateSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateStreamingBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateStreamingBufferPair(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDestroySoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPlaySoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPlaySoundBufferLoop(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStopSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeInSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeOutSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseAllSoundBuffers(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeAllSoundBuffers(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStopAllSoundBuffers(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundBufferPosition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundBufferFormat(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundBufferLength(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundBufferPosition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsSoundBufferPlaying(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundBufferVolume(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundBufferPan(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundBufferFrequency(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAdjustSoundBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundBufferVolumePanFrequency(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundBufferDataSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundSampleAt(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundLevelAt(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdExportSoundAsWave(std::uint32_t* arguments);

// Sound manager.
std::uint32_t XM_CDECL CmdSetSoundSetting(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundSetting(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRefreshSoundGroup(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetBgmVolume(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetBgmPan(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPlayBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStopBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPauseBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdResumeBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeBgmVolume(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeInBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeOutBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdChangeBgm(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsBgmPlaying(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetBgmState(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetBgmPlayer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundChannelCount(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundChannelVolume(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundChannelPan(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSoundChannelGroup(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadSoundChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadSoundChannelStreaming(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdUnloadSoundChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPlaySoundChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStopSoundChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeSoundChannelVolume(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeInSoundChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFadeOutSoundChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsSoundChannelPlaying(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundChannelTag(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSoundChannelBuffer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPlayVoice(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartBgmDuck(std::uint32_t* arguments);
