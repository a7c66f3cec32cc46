#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/memory_display.h"
#include "display/page.h"
#include "tools/record/log_writer.h"
#include "tools/record/recording_display.h"

namespace flakemorph {
namespace {

constexpr ColorValue kRed = 0x000000FF;
constexpr ColorValue kGreen = 0x0000FF00;
constexpr ColorValue kOrange = 0x000080FF;

bool PageIsAll(const Page& page, ColorValue color) {
  for (int y = 0; y < page.Height(); ++y) {
    for (int x = 0; x < page.Width(); ++x) {
      if (page.Pixel(x, y) != color) return false;
    }
  }
  return true;
}

bool SamePixels(const Page& a, const Page& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    }
  }
  return true;
}

TEST(MemoryDisplay, MovePlacesThePageAndGivesItTheRoundedSize) {
  MemoryDisplay display(448, 439);
  EXPECT_EQ(display.ScaleWidth(), 448.0F);
  EXPECT_EQ(display.ScaleHeight(), 439.0F);
  display.BackColor(1, kRed);
  display.Move(1, 2.5F, 3.5F, 40.5F, 29.5F);  // ties go to the even integer
  EXPECT_EQ(display.Left(1), 2);
  EXPECT_EQ(display.Top(1), 4);
  EXPECT_EQ(display.page(1).Width(), 40);
  EXPECT_EQ(display.page(1).Height(), 30);
  EXPECT_TRUE(PageIsAll(display.page(1), kRed)) << "a new page shows the background colour";
  EXPECT_EQ(display.page(0).Width(), 0);
}

TEST(MemoryDisplay, BackColorAndClsFillOnlyTheirOwnPage) {
  MemoryDisplay display(30, 20);
  for (std::int16_t k = 0; k <= 1; ++k) {
    display.Move(k, 0, 0, display.ScaleWidth(), display.ScaleHeight());
    display.BackColor(k, 0);
  }
  display.BackColor(0, kRed);
  EXPECT_TRUE(PageIsAll(display.page(0), kRed));
  EXPECT_TRUE(PageIsAll(display.page(1), 0));
  display.ForeColor(0, kGreen);
  display.Ellipse(display.hDC(0), 2, 2, 28, 18);
  EXPECT_FALSE(PageIsAll(display.page(0), kRed));
  display.Cls(0);
  EXPECT_TRUE(PageIsAll(display.page(0), kRed));
}

TEST(MemoryDisplay, ForeColorOutlinesLaterEllipsesOnItsOwnSurface) {
  MemoryDisplay display(30, 20);
  for (std::int16_t k = 0; k <= 1; ++k) {
    display.Move(k, 0, 0, 30, 20);
    display.BackColor(k, 0);
  }
  display.ForeColor(0, kRed);
  display.ForeColor(1, kGreen);
  display.Ellipse(display.hDC(1), 1, 1, 13, 11);
  display.ForeColor(1, kOrange);
  display.Ellipse(display.hDC(1), 15, 4, 29, 19);
  Page expected;
  expected.Resize(30, 20);
  expected.Fill(0);
  expected.DrawEllipse(1, 1, 13, 11, kGreen);
  expected.DrawEllipse(15, 4, 29, 19, kOrange);
  EXPECT_TRUE(SamePixels(display.page(1), expected));
  EXPECT_TRUE(PageIsAll(display.page(0), 0));
}

TEST(MemoryDisplay, ZOrderBringsItsPageToTheFront) {
  MemoryDisplay display(8, 8);
  EXPECT_EQ(display.FrontIndex(), 0);
  display.ZOrder(1);
  EXPECT_EQ(display.FrontIndex(), 1);
  EXPECT_EQ(&display.FrontPage(), &display.page(1));
  display.ZOrder(0);
  EXPECT_EQ(&display.FrontPage(), &display.page(0));
}

TEST(MemoryDisplayDeathTest, ABadSurfaceOrDrawingContextEndsTheProgram) {
  MemoryDisplay display(8, 8);
  const auto failure = testing::ExitedWithCode(kRuntimeFailureStatus);
  EXPECT_EXIT(display.Move(2, 0, 0, 8, 8), failure, "surface index 2 outside 0..1");
  EXPECT_EXIT(display.BackColor(-1, 0), failure, "surface index -1 outside 0..1");
  EXPECT_EXIT(display.Cls(2), failure, "surface index 2");
  EXPECT_EXIT(display.ForeColor(7, 0), failure, "surface index 7");
  EXPECT_EXIT(display.hDC(2), failure, "surface index 2");
  EXPECT_EXIT(display.ZOrder(-1), failure, "surface index -1");
  EXPECT_EXIT(display.Ellipse(0, 0, 0, 4, 4), failure, "invalid drawing context 0");
  EXPECT_EXIT(display.Ellipse(3, 0, 0, 4, 4), failure, "invalid drawing context 3");
}

// A start-up and one frame, as the animation drives the display.
// Everything written to a temporary file.
std::string ReadAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

void RunScript(Display& display) {
  for (std::int16_t k = 0; k <= 1; ++k) {
    display.Move(k, 0, 0, display.ScaleWidth(), display.ScaleHeight());
    display.BackColor(k, 0);
  }
  display.Move(0, 0.5F, 1.5F, 20.5F, 15.5F);
  display.Cls(1);
  display.ForeColor(1, kOrange);
  display.Ellipse(display.hDC(1), 10, 8, 2, 2);
  display.ForeColor(1, 0x00FFFFFF);
  display.Ellipse(display.hDC(1), -5, -5, 5, 5);
  display.ZOrder(1);
  display.DoEvents();
}

const char kScriptLog[] =
    "move 0 0 0 20 16\n"
    "backcolor 0 0\n"
    "move 1 0 0 20 16\n"
    "backcolor 1 0\n"
    "move 0 0 2 20 16\n"
    "cls 1\n"
    "forecolor 1 33023\n"
    "ellipse 1 10 8 2 2\n"
    "forecolor 1 16777215\n"
    "ellipse 1 -5 -5 5 5\n"
    "zorder 1\n"
    "doevents\n";

// Runs the script on a recording display around `inner` and returns the log.
std::string RecordScript(Display* inner) {
  std::FILE* log = std::tmpfile();
  if (log == nullptr) return "(no temporary file)";
  {
    LogWriter writer(log);
    RecordingDisplay display(writer, inner, 20, 16);
    RunScript(display);
  }
  const std::string recorded = ReadAll(log);
  std::fclose(log);
  return recorded;
}

TEST(RecordingDisplay, LogsEveryOperationButTheReadingOfHdc) {
  EXPECT_EQ(RecordScript(nullptr), kScriptLog);
}

TEST(RecordingDisplay, AroundInMemoryPagesItBothLogsAndDraws) {
  MemoryDisplay pages(20, 16);
  EXPECT_EQ(RecordScript(&pages), kScriptLog);
  MemoryDisplay direct(20, 16);
  RunScript(direct);
  EXPECT_EQ(pages.FrontIndex(), 1);
  EXPECT_TRUE(SamePixels(pages.page(0), direct.page(0)));
  EXPECT_TRUE(SamePixels(pages.page(1), direct.page(1)));
  EXPECT_FALSE(PageIsAll(pages.page(1), 0));
}

TEST(RecordingDisplayDeathTest, ABadSurfaceOrDrawingContextEndsTheProgram) {
  LogWriter log(stdout);
  RecordingDisplay display(log, nullptr);
  const auto failure = testing::ExitedWithCode(kRuntimeFailureStatus);
  EXPECT_EXIT(display.Cls(2), failure, "surface index 2 outside 0..1");
  EXPECT_EXIT(display.Ellipse(0, 0, 0, 4, 4), failure, "invalid drawing context 0");
}

}  // namespace
}  // namespace flakemorph

namespace flakemorph {
namespace {

class LogWriterTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(file_, nullptr); }
  void TearDown() override { std::fclose(file_); }
  std::FILE* file_ = std::tmpfile();
};

// Lines cross the end of a block and one line is longer than a whole block: the output is the
// text in its order, nothing lost or doubled, and nothing reaches the file before a block is
// full or the log is flushed.
TEST_F(LogWriterTest, GathersLinesIntoBlocksAndKeepsThemInOrder) {
  LogWriter log(file_);
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    log.Printf("line %d %.9g\n", i, i / 7.0F);
    char line[64];
    std::snprintf(line, sizeof line, "line %d %.9g\n", i, static_cast<double>(i / 7.0F));
    expected += line;
    if (i == 10) {
      EXPECT_EQ(ReadAll(file_), "") << "written before a block was full";
    }
  }
  const std::string long_line(LogWriter::kBlockSize + 100, 'x');
  log.Printf("%s\n", long_line.c_str());
  log.Put("end\n");
  expected += long_line + "\nend\n";
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(ReadAll(file_), expected);
}

// A shut log drops what it is given; from Open on, lines go through.
TEST_F(LogWriterTest, AShutLogDropsItsLinesUntilOpened) {
  LogWriter log(file_, /*open=*/false);
  log.Printf("frame %d\n", 1);
  log.Put("dropped\n");
  EXPECT_FALSE(log.IsOpen());
  log.Open();
  log.Printf("frame %d\n", 2);
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(ReadAll(file_), "frame 2\n");
}

// A destroyed log writes out what it still held.
TEST_F(LogWriterTest, WritesOutWhatIsLeftWhenDestroyed) {
  { LogWriter(file_).Put("last words\n"); }
  EXPECT_EQ(ReadAll(file_), "last words\n");
}

}  // namespace
}  // namespace flakemorph
