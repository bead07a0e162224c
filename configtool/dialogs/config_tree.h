// Small wrappers over the tree-view messages the tool uses.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace ConfigTree {

// State images: 1 unchecked, 2 checked, 3 no check box.
constexpr int kNoCheckBox = 3;

// A new item at the end of `parent`'s children (TVI_ROOT for a group); stateImage 0 sets the
// state image mask with no image, -1 sets no state at all.
HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::string& text, LPARAM param, int stateImage);
void SetText(HWND tree, HTREEITEM item, const std::string& text);
std::string Text(HWND tree, HTREEITEM item);
void SetStateImage(HWND tree, HTREEITEM item, int image);
int StateImage(HWND tree, HTREEITEM item);
LPARAM Param(HWND tree, HTREEITEM item);
std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent);

}  // namespace ConfigTree
