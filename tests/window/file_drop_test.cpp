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
#include "services/wide_paths.h"
#include "tests/support/drop_data.h"
#include "tests/window/window_test_support.h"

namespace {

std::vector<std::string> drops;
// Kept in GBK, as the tests name the paths; every one of them has a GBK form.
void Remember(const std::wstring& dropText) { drops.push_back(AnsiTextOf(dropText).Bytes()); }

class FileDrop : public testing::Test {
 protected:
  FileDrop() : window_(Events) { drops.clear(); }
  static MainWindowEvents Events(Program& program) {
    MainWindowEvents events = StartUpEvents(program);
    events.filesDropped = Remember;
    return events;
  }
  IDropTarget* Target() { return static_cast<IDropTarget*>(ShownWindow().dropTarget.target); }

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
  ASSERT_TRUE(ShownWindow().dropTarget.registered);
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

TEST_F(FileDrop, TextDropsAreRefusedAndEmptyFileDropsTakeNothingButArrive) {
  HGLOBAL text = GlobalAlloc(GHND, 6);
  std::memcpy(GlobalLock(text), "hello", 6);
  GlobalUnlock(text);
  DataObject textData(CF_TEXT, text);
  EXPECT_EQ(DragAndDrop(textData), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(enterEffect_, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(textData.gets, 0);

  EXPECT_TRUE(drops.empty());

  // No path is taken, but the drop arrives: it still asks for a run.
  DataObject noFiles(CF_HDROP, MakeDrop({}, false));
  EXPECT_EQ(DragAndDrop(noFiles), static_cast<DWORD>(DROPEFFECT_NONE));
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0], "");

  // A block whose names would start past its end: nothing is read there.
  HGLOBAL broken = MakeDrop({"C:\\a.txt"}, false);
  static_cast<DROPFILES*>(GlobalLock(broken))->pFiles = 1u << 30;
  GlobalUnlock(broken);
  DataObject brokenData(CF_HDROP, broken);
  DragAndDrop(brokenData);
  ASSERT_EQ(drops.size(), 2u);
  EXPECT_EQ(drops[1], "");
}

TEST_F(FileDrop, TheWholeWindowIsRegisteredOnceAndFreedWithIt) {
  EXPECT_EQ(ShownWindow().dropTarget.window, window_.Handle());
  EXPECT_FALSE(RegisterFileDrop(ShownWindow().dropTarget, window_.Handle()));
  // OLE keeps the target on the window: registering it again is refused.
  FileDropComponent other;
  EXPECT_FALSE(RegisterFileDrop(other, window_.Handle()));
  DestroyWindow(window_.Handle());
  EXPECT_FALSE(ShownWindow().dropTarget.registered);
  EXPECT_EQ(ShownWindow().dropTarget.target, nullptr);
}

}  // namespace
