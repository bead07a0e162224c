// The four lists of objects that scripts load: QAG and QAD animation data, cell images and file
// streams. The application clears them in its shutdown, while the screen device and the file
// system they use still exist.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/files/file_stream.h"
#include "game/commands/script_object_list.h"
#include "graphics/data/cell_image.h"
#include "graphics/data/qad_animation.h"
#include "graphics/data/qag_animation.h"

// File streams have no other holders.
template <>
inline std::int32_t* ScriptUseCount<FileStream>(FileStream&) {
    return nullptr;
}

ScriptObjectList<QagAnimation>& QagList();
ScriptObjectList<QadAnimation>& QadList();
ScriptObjectList<CellImage>& CellImageList();
ScriptObjectList<FileStream>& FileStreamList();

// QagAnimation::Load (fileName, indexed).
std::int32_t AddQagAnimation(std::uint32_t* outHandle, const char* fileName, bool indexed);
// QadAnimation::Load (fileName).
std::int32_t AddQadAnimation(std::uint32_t* outHandle, const char* fileName);
// A new cell image set up by setUp from the command's words; its code.
std::int32_t AddCellImage(std::uint32_t* outHandle, const std::function<std::int32_t(CellImage&)>& setUp);
// An unopened stream; 1 when it cannot be allocated.
std::int32_t AddFileStream(std::uint32_t* outHandle);

void ClearScriptObjectLists();
