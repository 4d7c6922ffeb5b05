// The panel's images as the shipped module carries them: each image of the
// panel's table is a "PNG" resource of the module under its id, decodes to
// the table's size and cuts into frames that fit the controls showing it;
// its doubled art, under its id plus kDoubleArtOffset, is twice that size.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "graphics/RasterPng.h"
#include "instrument/panel/PanelLayout.h"
#include "platform/DynamicLibrary.h"
#include "ui/ImageCache.h"

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

// The doubled art at exactly twice the size keeps the table's frame count,
// each frame twice the control's size.
TEST_F(PanelImages, EveryImageIsInTheModuleAtItsTableSizeAndAtTwiceIt) {
  for (const panel::ImageSpec& spec : panel::kImages) {
    EXPECT_EQ(spec.height % spec.frames, 0) << spec.name;
    const std::pair<int, int> idsAndScales[] = {{spec.id, 1}, {spec.id + kDoubleArtOffset, 2}};
    for (const auto& [id, scale] : idsAndScales) {
      SCOPED_TRACE(std::string(spec.name) + " at " + std::to_string(scale) + "x");
      const auto image = graphics::LoadPngResource(module_.handle, id);
      ASSERT_TRUE(image);
      EXPECT_EQ(image->Width(), spec.width * scale);
      EXPECT_EQ(image->Height(), spec.height * scale);
    }
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

// The blinds hide the tweak controls only if nothing shows through them,
// at either size.
TEST_F(PanelImages, BackgroundAndBlindsAreOpaque) {
  for (const int opaque : {panel::kBackImage, panel::kBlindLeftImage, panel::kBlindRightImage}) {
    for (const int id : {opaque, opaque + kDoubleArtOffset}) {
      const auto image = graphics::LoadPngResource(module_.handle, id);
      ASSERT_TRUE(image) << id;
      int seeThrough = 0;
      for (int y = 0; y < image->Height(); ++y)
        for (int x = 0; x < image->Width(); ++x) seeThrough += graphics::AlphaOf(image->Row(y)[x]) != 255;
      EXPECT_EQ(seeThrough, 0) << id;
    }
  }
}

}  // namespace
