#include "game/commands/script_object_lists.h"

#include "game/commands/file_commands.h"

ScriptObjectList<QagAnimation>& QagList() {
    static ScriptObjectList<QagAnimation> list;
    return list;
}

ScriptObjectList<QadAnimation>& QadList() {
    static ScriptObjectList<QadAnimation> list;
    return list;
}

ScriptObjectList<CellImage>& CellImageList() {
    static ScriptObjectList<CellImage> list;
    return list;
}

ScriptObjectList<FileStream>& FileStreamList() {
    static ScriptObjectList<FileStream> list;
    return list;
}

std::int32_t AddQagAnimation(std::uint32_t* outHandle, const char* fileName, bool indexed) {
    return QagList().Add(outHandle, [&](QagAnimation& qag) { return qag.Load(fileName, indexed); });
}

std::int32_t AddQadAnimation(std::uint32_t* outHandle, const char* fileName) {
    return QadList().Add(outHandle, [&](QadAnimation& qad) { return qad.Load(fileName); });
}

std::int32_t AddCellImage(std::uint32_t* outHandle,
                          const std::function<std::int32_t(CellImage&)>& setUp) {
    return CellImageList().Add(outHandle, [&](CellImage& cells) { return setUp(cells); });
}

std::int32_t AddFileStream(std::uint32_t* outHandle) {
    return FileStreamList().Add(outHandle, [](FileStream&) { return 0; }, 1);
}

void ClearScriptObjectLists() {
    QagList().Clear();
    QadList().Clear();
    CellImageList().Clear();
    DropFileDataRegions();
    FileStreamList().Clear();
}
