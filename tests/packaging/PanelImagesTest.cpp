// The panel's images as the shipped module carries them: each image of the
// panel's table is a "PNG" resource of the module under its id, decodes to
// the table's size and cuts into frames that fit the controls showing it.
#include <gtest/gtest.h>

#include <string>

#include "graphics/RasterPng.h"
#include "instrument/panel/PanelLayout.h"
#include "platform/DynamicLibrary.h"

namespace {

// The module's resources are looked up through its handle: on Windows the
// DLL's own resource section. Where resources are compiled in, this test is
// linked with the very objects the module is built from, and the lookup
// finds those.
class PanelImages : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module_ = platform::OpenLibrary(KESTRION_MODULE_PATH, &error);
    ASSERT_TRUE(module_.handle) << error;
  }
  void TearDown() override { platform::CloseLibrary(module_); }

  platform::DynamicLibrary module_;
};

TEST_F(PanelImages, EveryImageIsInTheModuleAtItsTableSize) {
  for (const panel::ImageSpec& spec : panel::kImages) {
    SCOPED_TRACE(spec.name);
    const auto image = graphics::LoadPngResource(module_.handle, spec.id);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), spec.width);
    EXPECT_EQ(image->Height(), spec.height);
    EXPECT_EQ(spec.height % spec.frames, 0);
  }
}

TEST_F(PanelImages, FramesAreTheSizeOfTheControlsThatShowThem) {
  for (const panel::ControlSpec& control : panel::kControls) {
    for (const int id : {control.image, control.onImage}) {
      const panel::ImageSpec* spec = panel::FindImage(id);
      if (!spec) continue;
      SCOPED_TRACE(spec->name);
      EXPECT_EQ(control.area.Width(), spec->width);
      EXPECT_EQ(control.area.Height(), spec->height / spec->frames);
    }
  }
}

// The blinds hide the tweak controls only if nothing shows through them.
TEST_F(PanelImages, BackgroundAndBlindsAreOpaque) {
  for (const int id : {panel::kBackImage, panel::kBlindLeftImage, panel::kBlindRightImage}) {
    const auto image = graphics::LoadPngResource(module_.handle, id);
    ASSERT_TRUE(image) << id;
    int seeThrough = 0;
    for (int y = 0; y < image->Height(); ++y)
      for (int x = 0; x < image->Width(); ++x) seeThrough += graphics::AlphaOf(image->Row(y)[x]) != 255;
    EXPECT_EQ(seeThrough, 0) << id;
  }
}

}  // namespace
