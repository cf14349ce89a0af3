// The list's cells as they come out on the screen: pixels read back from
// the window under Xvfb.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>

#include "services/texts.h"
#include "render/progress_cells.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "services/wide_paths.h"
#include "shell/main_window.h"
#include "tests/window/window_test_support.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDone = RGB(204, 255, 0);
constexpr COLORREF kSelected = RGB(0, 96, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct RowBand {
  int top, bottom;  // list client coordinates, bottom exclusive
};

// On the text's middle line, between its first and last inked pixel, some
// pixels keep the cell's background: the text has no box of its own.
bool BackgroundShowsBetweenLetters(const Capture& shot, const RowBand& band, int left, int right,
                                   COLORREF background) {
  const int y = (band.top + band.bottom) / 2;
  int first = -1, last = -1;
  for (int x = left; x < right; ++x) {
    if (shot.At(x, y) != background) {
      if (first < 0) first = x;
      last = x;
    }
  }
  for (int x = first + 1; x < last; ++x) {
    if (shot.At(x, y) == background) return true;
  }
  return false;
}

// The texts the list asks for, in place of a run's rows.
std::vector<std::array<std::string, 5>> cells;
Text SampleCellText(std::int32_t row, std::int32_t column) {
  if (row < 0 || row >= static_cast<std::int32_t>(cells.size())) return Text();
  return Text(cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
}

// As the rows decide it: a cell named in `bars` is a bar of its text's number.
std::vector<std::pair<std::int32_t, std::int32_t>> bars;
bool SampleCellBar(std::int32_t row, std::int32_t column, double* percent) {
  for (const auto& bar : bars) {
    if (bar.first != row || bar.second != column) continue;
    *percent = ToReal(SampleCellText(row, column));
    return true;
  }
  return false;
}

// As the rows decide it: the cells this names are drawn in the problem colour.
bool (*problemCell)(std::int32_t row, std::int32_t column) = nullptr;

CellLook SampleLook(std::int32_t row, std::int32_t column) {
  CellLook look;
  look.text = WideOf(SampleCellText(row, column));
  look.bar = SampleCellBar(row, column, &look.percent);
  look.problem = problemCell != nullptr && problemCell(row, column);
  look.centred = column == 3;  // the digest, like its header
  return look;
}

// The list's cells drawn from the samples, in place of a run's rows: the
// main window's custom draw of its list is answered here at each cell's
// stage; everything else goes on to the window's own procedure.
WNDPROC windowProcedure = nullptr;
LRESULT CALLBACK DrawSamples(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && lParam != 0) {
    const auto& draw = *reinterpret_cast<const NMLVCUSTOMDRAW*>(lParam);
    if (draw.nmcd.hdr.hwndFrom == ShownWindow().list.Handle() && draw.nmcd.hdr.code == NM_CUSTOMDRAW &&
        draw.nmcd.dwDrawStage == kCellDrawStage) {
      DrawListCell(draw, ShownWindow().list.Handle(),
                   SampleLook(static_cast<std::int32_t>(draw.nmcd.dwItemSpec), draw.iSubItem),
                   ShownWindow().list.Colors());
      return CDRF_SKIPDEFAULT;
    }
  }
  return CallWindowProcA(windowProcedure, window, message, wParam, lParam);
}

class CellDrawing : public testing::Test {
 protected:
  CellDrawing() : window_(StartUpEvents) {
    cells.clear();
    bars.clear();
    problemCell = nullptr;
    windowProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DrawSamples)));
  }
  ~CellDrawing() override {
    SetWindowLongPtrA(window_.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProcedure));
  }

  static int AddRow(const char* progress, const char* path = "C:\\file.bin") {
    if (Text(progress).Bytes().find('%') != std::string::npos)
      bars.emplace_back(static_cast<std::int32_t>(cells.size()), 4);
    cells.push_back({std::to_string(cells.size() + 1), path, "", "", progress});
    ListSetItemCount(ShownWindow().list.Handle(), static_cast<std::int32_t>(cells.size()));
    return static_cast<int>(cells.size()) - 1;
  }
  static RowBand Band(int row) {
    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(ShownWindow().list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    return {bounds.top, bounds.bottom};
  }
  static Capture List() { return Capture(ShownWindow().list.Handle(), Capture::kPrinted); }

  TestMainWindow window_;
};

// Column 4 starts after 20 + 200 + 150 + 200 pixels; the cell is inset by
// 2 and 1, the frame is one pixel, so the bar's inside starts 3 pixels in.
constexpr int kColumn4Left = 570;

TEST_F(CellDrawing, BarsFillTheTruncatedShareOfTheirInsideAndLeaveTheRestWhite) {
  AddRow("0%");
  AddRow("45%");
  AddRow("100%");
  AddRow("plain");
  const Capture shot = List();
  const int barLeft = kColumn4Left + 3;        // 573
  const int barRight = kColumn4Left + 150 - 3;  // 717, exclusive: 144 wide
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    const RowBand band = Band(row);
    const int frameTop = band.top + 1;
    const int insideTop = band.top + 2;  // texts never reach the top line
    // 0%: nothing filled; 45%: 573 + 144 * 45 / 100 = 637.8, so 637;
    // 100%: all filled.
    const int doneRight = row == 0 ? barLeft : row == 1 ? 637 : barRight;
    EXPECT_EQ(shot.At(barLeft - 1, insideTop + 3), kBlack);     // frame, left side
    EXPECT_EQ(shot.At(barLeft + 10, frameTop), kBlack);          // frame, top side
    EXPECT_EQ(shot.At(barLeft - 2, insideTop + 3), kWhite);      // cell inset
    for (int x = barLeft; x < barRight && x < shot.Width(); ++x) {
      ASSERT_EQ(shot.At(x, insideTop), x < doneRight ? kDone : kWhite) << "x " << x;
    }
  }
  // A plain cell of column 4: white background, black text, no frame.
  const RowBand plain = Band(3);
  EXPECT_EQ(shot.At(barLeft - 1, plain.top + 4), kWhite);
  bool dark = false;
  for (int x = kColumn4Left + 2; x < kColumn4Left + 40; ++x) {
    for (int y = plain.top; y < plain.bottom; ++y) dark |= GetGValue(shot.At(x, y)) < 100;
  }
  EXPECT_TRUE(dark) << "the plain text is drawn";
}

TEST_F(CellDrawing, BarsAreTheCellsTheRowsCallBarsNotTextsEndingInPercent) {
  AddRow("", "50%");  // a file named so: plain text, no frame
  cells[0][2] = "20%";
  bars.emplace_back(0, 2);
  const Capture shot = List();
  const RowBand band = Band(0);
  const int y = band.top + 2;
  // Column 1 (20..220): no frame's top line right of the short text.
  for (int x = 100; x < 217; ++x) ASSERT_EQ(shot.At(x, band.top + 1), kWhite) << "x " << x;
  // Column 2 (220..370): inside 223..367, 144 * 20 / 100 = 28.8, so 28 filled.
  EXPECT_EQ(shot.At(223 + 27, y), kDone);
  EXPECT_EQ(shot.At(223 + 28, y), kWhite);
  // The empty progress cell is only background.
  for (int x = kColumn4Left + 1; x < kColumn4Left + 140; ++x) {
    ASSERT_EQ(shot.At(x, y + 3), kWhite) << "x " << x;
  }
}

TEST_F(CellDrawing, SelectedRowCellsSitOnBlueWithWhiteAndRedTexts) {
  AddRow("45%", "selected");
  AddRow("45%", "other");
  ListView_SetItemState(ShownWindow().list.Handle(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  const Capture shot = List();
  const RowBand selected = Band(0);
  const RowBand other = Band(1);
  const int y = selected.top + 1;
  for (int x : {3, 100, 215, 300, 450, kColumn4Left + 1}) {
    EXPECT_EQ(shot.At(x, y), kSelected) << "x " << x;
    EXPECT_EQ(shot.At(x, other.top + 1), kWhite) << "x " << x;
  }
  // The bar keeps its colours; its text turns red, plain text white.
  EXPECT_EQ(shot.At(kColumn4Left + 4, selected.top + 2), kDone);
  bool red = false, whiteText = false;
  for (int yy = selected.top; yy < selected.bottom; ++yy) {
    for (int x = kColumn4Left; x < kColumn4Left + 150; ++x) {
      const COLORREF c = shot.At(x, yy);
      red |= GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
    }
    for (int x = 22; x < 80; ++x) whiteText |= shot.At(x, yy) == kWhite;
  }
  EXPECT_TRUE(red);
  EXPECT_TRUE(whiteText);
  // The texts show the blue between their letters: no box behind them.
  EXPECT_TRUE(BackgroundShowsBetweenLetters(shot, selected, 22, 218, kSelected));
  EXPECT_TRUE(BackgroundShowsBetweenLetters(shot, other, 22, 218, kWhite));
}

// The colour follows the row's state, not its text: of two rows with the
// same verdict text, only the one its state calls a problem is red.
bool problemInFirstRow(std::int32_t row, std::int32_t column) { return row == 0 && column == 4; }

TEST_F(CellDrawing, AProblemRowsVerdictIsRedOthersStayBlack) {
  AddRow(texts::kMismatch);
  AddRow(texts::kMismatch);
  problemCell = problemInFirstRow;
  const Capture shot = List();
  auto inked = [&shot](const RowBand& band, bool wantRed) {
    for (int y = band.top; y < band.bottom; ++y)
      for (int x = kColumn4Left; x < kColumn4Left + 140; ++x) {
        const COLORREF c = shot.At(x, y);
        const bool red = GetRValue(c) > 150 && GetGValue(c) < 60 && GetBValue(c) < 60;
        if (c != kWhite && red == wantRed) return true;
      }
    return false;
  };
  EXPECT_TRUE(inked(Band(0), true));
  EXPECT_FALSE(inked(Band(1), true));
  EXPECT_TRUE(inked(Band(1), false));
}

TEST_F(CellDrawing, BarTextsShowTheBarBetweenTheirLetters) {
  AddRow("100%");
  const Capture shot = List();
  const RowBand band = Band(0);
  EXPECT_TRUE(BackgroundShowsBetweenLetters(shot, band, kColumn4Left + 3, kColumn4Left + 147, kDone));
  for (int y = band.top + 2; y < band.bottom - 2; ++y) {
    for (int x = kColumn4Left + 3; x < kColumn4Left + 147; ++x) {
      ASSERT_NE(shot.At(x, y), kWhite) << "x " << x << " y " << y;
    }
  }
}

TEST_F(CellDrawing, HorizontalScrollMovesEveryCellLeftByTheScrolledPixels) {
  // Widen column 4 so the columns outgrow the list and it can scroll.
  SendMessageA(ShownWindow().list.Handle(), LVM_SETCOLUMNWIDTH, 4, 250);
  AddRow("45%", "\xD5\xFD\xD4\xDA scrolled");
  AddRow("100%");
  AddRow("text");
  const Capture before = List();
  SendMessageA(ShownWindow().list.Handle(), LVM_SCROLL, 30, 0);
  ASSERT_EQ(GetScrollPos(ShownWindow().list.Handle(), SB_HORZ), 30);
  const Capture after = List();
  RECT client{};
  GetClientRect(ShownWindow().list.Handle(), &client);
  const int visibleRight = client.right;  // the list's client width
  for (int row = 0; row < 3; ++row) {
    const RowBand band = Band(row);
    for (int y = band.top; y < band.bottom; ++y) {
      for (int x = 0; x + 30 < visibleRight; ++x) {
        ASSERT_EQ(after.At(x, y), before.At(x + 30, y)) << "x " << x << " y " << y;
      }
    }
  }
  // 45% of a 244-pixel inside from 573: 682 unscrolled, 652 scrolled.
  const int y = Band(0).top + 2;
  EXPECT_EQ(before.At(681, y), kDone);
  EXPECT_EQ(before.At(682, y), kWhite);
  EXPECT_EQ(after.At(651, y), kDone);
  EXPECT_EQ(after.At(652, y), kWhite);
}

TEST_F(CellDrawing, TheDigestColumnIsCentredLikeItsHeaderOtherColumnsStartLeft) {
  AddRow("", "C:\\a.bin");
  cells[0][2] = cells[0][3] = "0123ABCD";
  const Capture shot = List();
  const RowBand band = Band(0);
  // Inked columns of the text between two x positions.
  auto ink = [&](int left, int right) {
    std::pair<int, int> span{-1, -1};
    for (int x = left; x < right; ++x)
      for (int y = band.top + 1; y < band.bottom - 1; ++y)
        if (GetGValue(shot.At(x, y)) < 100) {
          if (span.first < 0) span.first = x;
          span.second = x;
        }
    return span;
  };
  // Column 2 spans 220..370, column 3 370..570; texts are inset by 2.
  const auto size = ink(221, 369);
  EXPECT_LE(size.first, 222 + 2) << "left-aligned";
  const auto digest = ink(371, 569);
  ASSERT_GE(digest.first, 0);
  const int leftGap = digest.first - 372;
  const int rightGap = 567 - digest.second;
  EXPECT_GT(leftGap, 40);
  EXPECT_NEAR(leftGap, rightGap, 3);
}

// The main window answers its WM_NOTIFY itself, with its own procedure:
// another control's notice, a code the list's handling leaves alone and a
// notice without its record get 0; the list's custom draw its stages.
TEST(ListNotices, TheMainWindowAnswersThemOthersWithZero) {
  TestMainWindow window(StartUpEvents);
  HWND list = ShownWindow().list.Handle();
  NMHDR other{reinterpret_cast<HWND>(0x1234), 7, static_cast<UINT>(NM_CUSTOMDRAW)};
  EXPECT_EQ(SendMessageA(window.Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&other)), 0);
  other.code = static_cast<UINT>(NM_CLICK);
  other.hwndFrom = list;
  EXPECT_EQ(SendMessageA(window.Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&other)), 0);
  EXPECT_EQ(SendMessageA(window.Handle(), WM_NOTIFY, 7, 0), 0);
  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr = NMHDR{list, static_cast<UINT_PTR>(kIdList), static_cast<UINT>(NM_CUSTOMDRAW)};
  const std::pair<DWORD, LRESULT> stages[] = {
      {CDDS_PREPAINT, CDRF_NOTIFYITEMDRAW}, {CDDS_ITEMPREPAINT, CDRF_NOTIFYSUBITEMDRAW}, {CDDS_POSTPAINT, CDRF_DODEFAULT}};
  for (const auto& [stage, answer] : stages) {
    draw.nmcd.dwDrawStage = stage;
    EXPECT_EQ(SendMessageA(window.Handle(), WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&draw)), answer) << stage;
  }
}

TEST(CellGeometry, InsetShrinksEachSideAndFillLeavesNoBrush) {
  RECT rect{10, 20, 110, 40};
  InsetRect(rect, 2, 1);
  EXPECT_EQ(rect.left, 12);
  EXPECT_EQ(rect.top, 21);
  EXPECT_EQ(rect.right, 108);
  EXPECT_EQ(rect.bottom, 39);
}

// The main window with sample rows, saved for people to look at.
TEST_F(CellDrawing, ScreenshotOfTheMainWindow) {
  const char* const kFailed = texts::kDigestFailed;
  struct Sample {
    const char* path;
    const char* size;
    const char* digest;
    const char* progress;
  } const samples[] = {
      {"D:\\\xC8\xED\xBC\xFE\\setup.exe", "1.50 MB", "0123456789ABCDEF0123456789ABCDEF", "100%"},
      {"D:\\\xCA\xFD\xBE\xDD\\disk.iso", "3.00 GB ->> 1.35 GB", texts::kComputing, "45%"},
      {"D:\\\xCA\xFD\xBE\xDD\\empty.txt", kFailed, texts::kComputing, ""},
      {"D:\\readme.txt", "2.00 KB ->> 2.00 KB", "FEDCBA9876543210FEDCBA9876543210",
       texts::kVerified},
      {"D:\\old.bin", "12 KB ->> 12 KB", "00000000000000000000000000000000", texts::kMismatch},
      {"D:\\new.bin", "8.00 MB", texts::kComputing, "0%"},
  };
  for (const Sample& sample : samples) {
    const int row = AddRow(sample.progress, sample.path);
    cells[static_cast<std::size_t>(row)][2] = sample.size;
    cells[static_cast<std::size_t>(row)][3] = sample.digest;
  }
  ListView_SetItemState(ShownWindow().list.Handle(), 3, LVIS_SELECTED, LVIS_SELECTED);
  PumpFor(100);
  EXPECT_TRUE(Capture(window_.Handle()).SaveBmp("main-window.bmp"));
}

}  // namespace
