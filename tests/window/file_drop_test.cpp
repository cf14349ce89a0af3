// The drop target fed real CF_HDROP data objects, as the shell would.
#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "services/file_drop.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "tests/window/window_test_support.h"

namespace {

// A DROPFILES block in global memory: the paths, each NUL-ended, then a
// second NUL; ANSI or UTF-16.
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

// A data object offering one format in global memory; each GetData hands
// out a copy the caller releases.
class DataObject final : public IDataObject {
 public:
  DataObject(CLIPFORMAT format, HGLOBAL memory) : format_(format), memory_(memory) {}
  ~DataObject() { GlobalFree(memory_); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const SIZE_T size = GlobalSize(memory_);
    HGLOBAL copy = GlobalAlloc(GHND, size);
    std::memcpy(GlobalLock(copy), GlobalLock(memory_), size);
    GlobalUnlock(copy);
    GlobalUnlock(memory_);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    ++gets;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format != nullptr && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

  int gets = 0;

 private:
  CLIPFORMAT format_;
  HGLOBAL memory_;
};

std::vector<std::string> drops;
void Remember(const Text& dropText) { drops.push_back(dropText.Bytes()); }

class FileDrop : public testing::Test {
 protected:
  FileDrop() : window_(Events()) { drops.clear(); }
  static MainWindowEvents Events() {
    MainWindowEvents events;
    events.created = InitialiseMainWindow;
    events.filesDropped = Remember;
    return events;
  }
  IDropTarget* Target() { return static_cast<IDropTarget*>(拖放对象1.target); }

  // Enter, hover and drop as OLE's DoDragDrop loop does; the drop effect.
  DWORD DragAndDrop(DataObject& data) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const POINTL point{400, 300};
    Target()->DragEnter(&data, MK_LBUTTON, point, &effect);
    enterEffect_ = effect;
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    Target()->DragOver(MK_LBUTTON, point, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    Target()->Drop(&data, 0, point, &effect);
    return effect;
  }

  TestMainWindow window_;
  DWORD enterEffect_ = 0;
};

const std::string kGbkPath = "C:\\\x81\x5C\\\xD5\xFD\xD4\xDA.bin";  // C:\乗\正在.bin

TEST_F(FileDrop, OneFileArrivesAsItsPathAloneInBothForms) {
  ASSERT_TRUE(拖放对象1.registered);
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide" : "ansi");
    drops.clear();
    DataObject data(CF_HDROP, MakeDrop({kGbkPath}, wide));
    EXPECT_EQ(DragAndDrop(data), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(enterEffect_, static_cast<DWORD>(DROPEFFECT_COPY));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], kGbkPath);
  }
}

TEST_F(FileDrop, SeveralFilesArriveInOrderEachFollowedByCrLf) {
  const std::vector<std::string> paths = {"C:\\a.txt", kGbkPath, "D:\\dir\\c"};
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide" : "ansi");
    drops.clear();
    DataObject data(CF_HDROP, MakeDrop(paths, wide));
    DragAndDrop(data);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], "C:\\a.txt\r\n" + kGbkPath + "\r\nD:\\dir\\c\r\n");
  }
}

TEST_F(FileDrop, TextAndEmptyFileDropsAreRefused) {
  HGLOBAL text = GlobalAlloc(GHND, 6);
  std::memcpy(GlobalLock(text), "hello", 6);
  GlobalUnlock(text);
  DataObject textData(CF_TEXT, text);
  EXPECT_EQ(DragAndDrop(textData), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(enterEffect_, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(textData.gets, 0);

  DataObject noFiles(CF_HDROP, MakeDrop({}, false));
  EXPECT_EQ(DragAndDrop(noFiles), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(drops.empty());
}

TEST_F(FileDrop, TheWholeWindowIsRegisteredOnceAndFreedWithIt) {
  EXPECT_EQ(拖放对象1.window, window_.Handle());
  EXPECT_FALSE(RegisterFileDrop(拖放对象1, window_.Handle()));
  // OLE keeps the target on the window: registering it again is refused.
  FileDropComponent other;
  EXPECT_FALSE(RegisterFileDrop(other, window_.Handle()));
  DestroyWindow(window_.Handle());
  EXPECT_FALSE(拖放对象1.registered);
  EXPECT_EQ(拖放对象1.target, nullptr);
}

}  // namespace
