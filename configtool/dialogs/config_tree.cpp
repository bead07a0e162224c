#include "configtool/dialogs/config_tree.h"

namespace ConfigTree {

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::string& text, LPARAM param, int stateImage) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.lParam = param;
    if (stateImage >= 0) {
        insert.item.mask |= TVIF_STATE;
        insert.item.state = INDEXTOSTATEIMAGEMASK(stateImage);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
    }
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void SetText(HWND tree, HTREEITEM item, const std::string& text) {
    TVITEMA update = {};
    update.mask = TVIF_TEXT;
    update.hItem = item;
    update.pszText = const_cast<char*>(text.c_str());
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
}

std::string Text(HWND tree, HTREEITEM item) {
    char buffer[1024] = "";
    TVITEMA query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = sizeof buffer;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return buffer;
}

void SetStateImage(HWND tree, HTREEITEM item, int image) {
    TVITEMA update = {};
    update.mask = TVIF_STATE;
    update.hItem = item;
    update.state = INDEXTOSTATEIMAGEMASK(image);
    update.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
}

int StateImage(HWND tree, HTREEITEM item) {
    const LRESULT state = SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

LPARAM Param(HWND tree, HTREEITEM item) {
    TVITEMA query = {};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return -1;
    return query.lParam;
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> children;
    const WPARAM first = parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, first, parent == TVI_ROOT ? 0 : reinterpret_cast<LPARAM>(parent)));
    while (item) {
        children.push_back(item);
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return children;
}

}  // namespace ConfigTree
