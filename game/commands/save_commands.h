// The save-file and choice-snapshot commands (opcodes 39-53): the save parameters and the marked
// variables, the thumbnail source, writing, loading, captions, headers, comments, copies and
// deletions of the save files, and the snapshot taken at the last choice. Each handler passes its
// words to one operation of the script engine or its save slots and returns that result.
//
// Script words follow the command base's rules: texts are read to their terminator where the
// script may read, outs and buffers are written only inside writable script memory through the
// bounded writer (fixed fields: never past their size, always terminated), and a word that fails
// those checks counts as the null the command has a result for.
//
// Choices of this program where the commands leave room:
// - 39 and 41 keep their words and 43 resolves them as it writes: a title or frame name that no
//   longer lies in script memory is empty, a comment-switch word that names no readable word is
//   off (no comment), and a surface word that names no live image or screen is no screen (1).
// - 39 answers 0, changing nothing, when the boot number it would store (w0's low 16 bits) is 0.
// - 44-47 answer their bad-name code (-1) also when the slot's file does not exist; 42, 48 and
//   49 answer 1 then. A negative bank in 44 reads the file 42 set (an empty name when none, so
//   the reader's "missing" code).
// - 46 fills only a live 32-bit software image of at least 120 x 68 pixels (else 1, nothing
//   written); its laid-out comment has at most four lines of 34 bytes joined by CR LF.
// - 47 with a null text changes nothing and answers 0 once the name is good.
// - 50 answers 0, or 1 when the snapshot could not be built.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdSetSaveParameters(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMarkVariable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSaveThumbnailSource(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetLoadFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdWriteSave(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReadSave(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSaveCaption(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReadSaveHeader(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdWriteSaveComment(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopySave(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDeleteSave(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdTakeChoiceSnapshot(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRestoreChoiceSnapshot(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdHasChoiceSnapshot(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDropChoiceSnapshot(std::uint32_t* arguments);
