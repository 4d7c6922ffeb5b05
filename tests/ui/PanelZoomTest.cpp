// The panel at each of its sizes through the headless editor: what the user
// picks in the options menu, how every control follows, and what is kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "instrument/ParameterIndex.h"
#include "instrument/panel/PanelButtons.h"
#include "instrument/panel/PanelEditor.h"
#include "instrument/panel/PanelLayout.h"
#include "plugin/StateBuffer.h"
#include "tests/config/UserFolders.h"
#include "tests/ui/EditorFixture.h"
#include "tests/vst2/TestHost.h"
#include "ui/PanelZoom.h"

using namespace vst;

namespace {

class PanelZoomTest : public testing::Test {
 protected:
  PanelZoomTest() { editor().Tick(); }

  HeadlessEditor& editor() { return static_cast<HeadlessEditor&>(EditorOf(host.effect)->Window()); }
  void Click(int x, int y) {
    PointerMods mods;
    mods.left = true;
    editor().PointerPressed(x, y, mods);
    editor().PointerReleased(x, y, mods);
  }
  void Drag(int x, int y, int dy) {
    PointerMods mods;
    mods.left = true;
    editor().PointerPressed(x, y, mods);
    editor().PointerDragged(x, y + dy, mods);
    editor().PointerReleased(x, y + dy, mods);
  }
  // The options menu, where the panel shows it at its size, and a tick.
  void ChooseSize(const char* entry) {
    const int zoom = editor().Zoom();
    editor().ScriptAnswers().menuTexts.push_back(entry);
    Click(Zoomed(500, zoom), Zoomed(340, zoom));
    editor().Tick();
    editor().Tick();
  }
  std::vector<std::uint32_t> Pixels() {
    const graphics::RasterMemBitmap& frame = editor().Frame();
    editor().RedrawArea({0, 0, editor().Width(), editor().Height()});
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < frame.Height(); ++y) pixels.insert(pixels.end(), frame.Row(y), frame.Row(y) + frame.Width());
    return pixels;
  }
  double Value(int parameter) { return synth->Parameter(parameter)->value; }

  const bool freshUser = (testfolders::UseFreshUserFolders(), true);
  testhost::Instance host{"", testhost::MakeHeadlessEditor};
  Kestrion* synth = InstrumentOf(host.effect);
};

TEST_F(PanelZoomTest, EveryControlGrowsWithThePanelAndHitsWhereItDraws) {
  const std::vector<std::uint32_t> atFirst = Pixels();
  // What answers a press at each control's centre, at 100 %.
  std::vector<int> hitAtFirst;
  for (int i = 0; i < panel::kControlCount; ++i) {
    const Rect& hit = editor().ControlAt(i + 1)->HitArea();
    hitAtFirst.push_back(editor().HitSearch((hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2));
  }
  for (const char* size : {"125 %", "150 %", "175 %", "200 %"}) {
    SCOPED_TRACE(size);
    ChooseSize(size);
    const int zoom = editor().Zoom();
    ASSERT_EQ(zoom, std::stoi(size));
    EXPECT_EQ(editor().Width(), Zoomed(panel::kPanelWidth, zoom));
    EXPECT_EQ(editor().Frame().Height(), Zoomed(panel::kPanelHeight, zoom));
    ASSERT_EQ(editor().ControlCount(), 1 + panel::kControlCount);
    for (int i = 0; i < panel::kControlCount; ++i) {
      const Rect expected = Zoomed(panel::kControls[i].area, zoom);
      const Rect area = editor().ControlAt(i + 1)->Area();
      // Frames are rounded as a whole: an edge may differ by a pixel.
      EXPECT_NEAR(area.left, expected.left, 1) << i + 1;
      EXPECT_NEAR(area.bottom, expected.bottom, 1) << i + 1;
      const Rect& hit = editor().ControlAt(i + 1)->HitArea();
      EXPECT_EQ(editor().HitSearch((hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2), hitAtFirst[i]) << i + 1;
    }
  }
  // Back at 100 % the panel is the very picture it was.
  ChooseSize("100 %");
  EXPECT_TRUE(Pixels() == atFirst);
}

TEST_F(PanelZoomTest, ADragFeelsTheSameAndWhatTheUserSeesIsKept) {
  Click(28, 370);  // the tweak tab opens the tweak panel
  host.effect->setParameter(host.effect, Param::Cutoff, 0.5f);
  ChooseSize("200 %");
  EXPECT_FALSE(EditorOf(host.effect)->Controls().TweakGroup().front()->IsHidden());
  Drag(Zoomed(870, 200), Zoomed(42, 200), -80);
  EXPECT_NEAR(Value(Param::Cutoff), 0.75, 1e-9);
  ChooseSize("125 %");
  Drag(Zoomed(870, 125), Zoomed(42, 125), 50);
  EXPECT_NEAR(Value(Param::Cutoff), 0.5, 1e-9);
}

TEST_F(PanelZoomTest, TheChoiceIsRememberedForNewInstancesAndKeptInTheState) {
  ChooseSize("175 %");
  EXPECT_NE(testfolders::FileText(testfolders::ConfigurationFile()).find("Panel Size=175"), std::string::npos);
  testhost::Instance another{"", testhost::MakeHeadlessEditor};
  EXPECT_EQ(EditorOf(another.effect)->Zoom(), 175);

  StateBuffer state;
  ASSERT_TRUE(synth->WriteBankState(state));
  ChooseSize("125 %");
  testhost::Instance third;
  Kestrion* restored = InstrumentOf(third.effect);
  ASSERT_TRUE(restored->ReadBankState(state));
  EXPECT_EQ(restored->InstancePanelZoom(), 175);
  // A state cut inside the size is refused whole.
  StateBuffer cut;
  cut.AppendBytes(state.Data(), static_cast<int>(state.Size()) - 2);
  EXPECT_FALSE(restored->ReadBankState(cut));
}

}  // namespace
