#include "tests/support/drop_data.h"

#include <cstring>

HGLOBAL MakeDrop(const std::vector<std::string>& ansiPaths, bool wide) {
  std::vector<char> list;
  for (const std::string& path : ansiPaths) {
    if (wide) {
      std::vector<wchar_t> text(path.size() + 1);
      const int n = MultiByteToWideChar(936, 0, path.c_str(), -1, text.data(),
                                        static_cast<int>(text.size()));
      list.insert(list.end(), reinterpret_cast<char*>(text.data()),
                  reinterpret_cast<char*>(text.data() + n));
    } else {
      list.insert(list.end(), path.c_str(), path.c_str() + path.size() + 1);
    }
  }
  list.insert(list.end(), wide ? 2 : 1, '\0');
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  std::memcpy(drop + 1, list.data(), list.size());
  GlobalUnlock(memory);
  return memory;
}

bool DropFilesOn(IDropTarget* target, const std::vector<std::string>& paths, bool wide) {
  if (target == nullptr) return false;
  DataObject data(CF_HDROP, MakeDrop(paths, wide));
  const POINTL point{100, 100};
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(&data, MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY;
  return SUCCEEDED(target->Drop(&data, 0, point, &effect));
}
