// Building windows from the real layouts: lookup, window attributes, sizes, padding, floating
// controls, and what broken layouts give.
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>

#include "ui_test_support.h"

using ui::CControlUI;
using ui_test::LayoutWindow;

namespace {

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { ui_test::UseSkin(L"orbs.en"); }
};

// A skin folder of plain files (no archive) holding one layout text.
class LooseSkin {
 public:
  explicit LooseSkin(const std::string& xml) {
    char pattern[] = "/tmp/quorvel-ui-skin-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::ofstream(folder_ + "/broken.xml") << xml;
    ui::CPaintManagerUI::SetResourcePath(std::wstring(folder_.begin(), folder_.end()).c_str());
    ui::CPaintManagerUI::SetResourceZip(L"");
  }
  ~LooseSkin() {
    std::remove((folder_ + "/broken.xml").c_str());
    std::remove(folder_.c_str());
  }

 private:
  std::string folder_;
};

RECT PosOf(LayoutWindow& window, const wchar_t* name) {
  ui::CUiDriver::Layout(window.GetHWND());
  CControlUI* control = window.Find(name);
  return control != nullptr ? control->GetPos() : RECT{-1, -1, -1, -1};
}

}  // namespace

TEST_F(LayoutTest, MainWindowTakesItsSizeCaptionAndSizeBoxFromTheLayout) {
  LayoutWindow window(L"main_wnd.xml");
  ASSERT_NE(window.Open(), nullptr);
  EXPECT_EQ(window.init_count, 1);
  RECT rect{};
  GetWindowRect(window.GetHWND(), &rect);
  EXPECT_EQ(rect.right - rect.left, 1080);
  EXPECT_EQ(rect.bottom - rect.top, 675);
  EXPECT_EQ(window.manager().GetCaptionRect().bottom, 32);
  EXPECT_EQ(window.manager().GetSizeBox().left, 0);
  DestroyWindow(window.GetHWND());
  EXPECT_TRUE(window.final_message);
}

TEST_F(LayoutTest, FindControlByNameAndMissingName) {
  LayoutWindow window(L"gallery.xml");
  window.Open();
  for (const wchar_t* name :
       {L"push_button", L"class_code", L"camera_device", L"volume_slider", L"progress_bar",
        L"switch_camera_hotykey", L"plain_label", L"floating_label", L"hidden_control"}) {
    EXPECT_NE(window.Find(name), nullptr) << std::wstring(name).size();
  }
  EXPECT_EQ(window.Find(L"no_such_control"), nullptr);
  EXPECT_EQ(window.Find(L""), nullptr);
  EXPECT_STREQ(window.Find(L"camera_device")->GetClass(), L"Combo");
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, FixedSizesPaddingAndStretching) {
  LayoutWindow window(L"gallery.xml");
  window.Open();
  const RECT caption = PosOf(window, L"caption");
  EXPECT_EQ(caption.top, 0);
  EXPECT_EQ(caption.bottom, 36);
  EXPECT_EQ(caption.right - caption.left, 640);
  // The close button has a fixed width at the caption's right, inside its 10-pixel inset.
  const RECT close = PosOf(window, L"closebtn");
  EXPECT_EQ(close.right, 630);
  EXPECT_EQ(close.right - close.left, 36);
  // The title stretches over the rest of the caption.
  EXPECT_EQ(PosOf(window, L"title").left, 10);
  EXPECT_EQ(PosOf(window, L"title").right, close.left);
  // The body's inset and child padding place the edit field.
  const RECT edit = PosOf(window, L"class_code");
  EXPECT_EQ(edit.left, 20);
  EXPECT_EQ(edit.right, 620);
  EXPECT_EQ(edit.bottom - edit.top, 34);
  const RECT button = PosOf(window, L"push_button");
  const RECT disabled = PosOf(window, L"disabled_button");
  EXPECT_EQ(disabled.left, button.right + 12);
  // The last area stretches down to the body's bottom inset.
  EXPECT_EQ(PosOf(window, L"float_area").bottom, 480 - 12);
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, FloatingControlsSitAtTheirPosInTheParent) {
  LayoutWindow window(L"gallery.xml");
  window.Open();
  const RECT area = PosOf(window, L"float_area");
  const RECT floating = PosOf(window, L"floating_label");
  EXPECT_EQ(floating.left, area.left + 20);
  EXPECT_EQ(floating.top, area.top + 20);
  EXPECT_EQ(floating.right, area.left + 200);
  EXPECT_EQ(floating.bottom, area.top + 44);
  EXPECT_FALSE(window.Find(L"hidden_control")->IsVisible());
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, SetFixedHeightRelaysOutTheWindow) {
  LayoutWindow window(L"gallery.xml");
  window.Open();
  const RECT before = PosOf(window, L"class_code");
  window.Find(L"class_code")->SetFixedHeight(50);
  EXPECT_TRUE(window.manager().IsUpdateNeeded());
  const RECT after = PosOf(window, L"class_code");
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.bottom - after.top, 50);
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, MissingArchiveGivesAnEmptyWindowAndADiagnostic) {
  ui_test::ProblemLog log;
  ui::CPaintManagerUI::SetResourceZip(L"orbs.missing");
  LayoutWindow window(L"main_wnd.xml");
  ASSERT_NE(window.Open(), nullptr);
  EXPECT_EQ(window.manager().GetRoot(), nullptr);
  EXPECT_EQ(window.init_count, 1);
  EXPECT_TRUE(log.Has(L"main_wnd.xml"));
  EXPECT_TRUE(log.Has(L"orbs.missing"));
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, MissingLayoutGivesAnEmptyWindow) {
  ui_test::ProblemLog log;
  LayoutWindow window(L"no_such_layout.xml");
  ASSERT_NE(window.Open(), nullptr);
  EXPECT_EQ(window.manager().GetRoot(), nullptr);
  EXPECT_TRUE(log.Has(L"no_such_layout.xml"));
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, MalformedXmlIsReportedWithItsLine) {
  ui_test::ProblemLog log;
  LooseSkin skin(
      "<Window size=\"100,100\">\n  <VerticalLayout>\n    <Label text=\"a\">\n  "
      "</VerticalLayout>\n</Window>\n");
  LayoutWindow window(L"broken.xml");
  ASSERT_NE(window.Open(), nullptr);
  EXPECT_EQ(window.manager().GetRoot(), nullptr);
  ASSERT_FALSE(log.lines.empty());
  EXPECT_TRUE(log.Has(L"broken.xml:4: malformed XML")) << log.lines[0].size();
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, UnknownElementsAndAttributesAreReportedAndSkipped) {
  ui_test::ProblemLog log;
  LooseSkin skin(
      "<Window size=\"200,100\" colour=\"red\">\n"
      "  <VerticalLayout>\n"
      "    <Gizmo name=\"g\"/>\n"
      "    <Label name=\"kept\" text=\"hello\" sparkle=\"yes\" width=\"wide\"/>\n"
      "    <Label name=\"pic\" bkimage=\"no_such_image.png\"/>\n"
      "  </VerticalLayout>\n"
      "</Window>\n");
  LayoutWindow window(L"broken.xml");
  window.Open();
  EXPECT_TRUE(log.Has(L"broken.xml:1: unknown attribute 'colour' on Window"));
  EXPECT_TRUE(log.Has(L"broken.xml:3: unknown element 'Gizmo'"));
  EXPECT_TRUE(log.Has(L"broken.xml:4: unknown attribute 'sparkle' on Label"));
  EXPECT_TRUE(log.Has(L"broken.xml:4: bad value 'wide' for 'width' on Label"));
  EXPECT_TRUE(log.Has(L"broken.xml:5: missing image"));
  EXPECT_TRUE(log.Has(L"no_such_image.png"));
  // What could be built is there.
  ASSERT_NE(window.Find(L"kept"), nullptr);
  EXPECT_EQ(window.Find(L"kept")->GetText().str(), L"hello");
  EXPECT_EQ(window.Find(L"g"), nullptr);
  // Painting a control whose image is missing draws the rest and does not crash.
  EXPECT_TRUE(ui::CUiDriver::SaveScreenshot(window.GetHWND(), "/tmp/quorvel-ui-broken.png"));
  std::remove("/tmp/quorvel-ui-broken.png");
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, WrongRootElementIsReported) {
  ui_test::ProblemLog log;
  LooseSkin skin("<Dialog/>\n");
  LayoutWindow window(L"broken.xml");
  window.Open();
  EXPECT_EQ(window.manager().GetRoot(), nullptr);
  EXPECT_TRUE(log.Has(L"broken.xml:1: the layout's root element is 'Dialog'"));
  DestroyWindow(window.GetHWND());
}

TEST_F(LayoutTest, NestingBeyondSixtyFourLevelsIsRefusedWithItsLine) {
  ui_test::ProblemLog log;
  // Deep enough to exhaust the stack of a builder that follows it.
  constexpr int kLevels = 100000;
  std::string xml = "<Window size=\"100,100\">\n";
  for (int i = 0; i < kLevels; ++i) xml += "<VerticalLayout name=\"v" + std::to_string(i) + "\">\n";
  for (int i = 0; i < kLevels; ++i) xml += "</VerticalLayout>\n";
  LooseSkin skin(xml + "</Window>\n");
  LayoutWindow window(L"broken.xml");
  ASSERT_NE(window.Open(), nullptr);
  EXPECT_TRUE(log.Has(L"broken.xml:66: controls nested deeper than 64 levels"));
  EXPECT_NE(window.Find(L"v63"), nullptr);
  EXPECT_EQ(window.Find(L"v64"), nullptr);
  ui::CUiDriver::Layout(window.GetHWND());
  DestroyWindow(window.GetHWND());
}

// The layout fuzzer's first find: numbers at the integer limit overflowed the layout's sums.
TEST_F(LayoutTest, GeometryBeyondTheLayoutsRangeIsClampedAndReportedWithItsLine) {
  ui_test::ProblemLog log;
  std::ifstream seed(QUORVEL_SOURCE_DIR "/fuzz/layout/corpus/padding_at_int_limit.xml");
  LooseSkin skin(std::string(std::istreambuf_iterator<char>(seed), {}));
  LayoutWindow window(L"broken.xml");
  ASSERT_NE(window.Open(), nullptr);
  for (const wchar_t* problem :
       {L"broken.xml:2: bad value '2147483647' for 'childpadding'",
        L"broken.xml:2: bad value '0,0,2147483647,0' for 'inset'",
        L"broken.xml:3: bad value '2147483647,0,0,0' for 'padding'",
        L"broken.xml:4: bad value '2147483647' for 'width'",
        L"broken.xml:4: bad value '-2147483648' for 'height'",
        L"broken.xml:5: bad value '2147483647,2147483647,-2147483648,1' for 'pos'",
        L"broken.xml:5: bad value '2147483647,0,0,0' for 'textpadding'"}) {
    EXPECT_TRUE(log.Has(problem)) << std::string(problem, problem + std::wcslen(problem));
  }
  ASSERT_NE(window.Find(L"wide"), nullptr);
  EXPECT_EQ(window.Find(L"wide")->GetAttribute(L"width").str(), L"16384");
  EXPECT_TRUE(ui::CUiDriver::SaveScreenshot(window.GetHWND(), "/tmp/quorvel-ui-clamped.png"));
  std::remove("/tmp/quorvel-ui-clamped.png");
  DestroyWindow(window.GetHWND());
}
