#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "ui/x11/X11Scale.h"

using x11::X11SystemZoom;
using x11::XftDpiOf;

namespace {

// Clears the scale variables for the test and puts back what the user had.
class ScaleVariables {
 public:
  ScaleVariables() {
    for (int i = 0; i < 3; ++i) {
      if (const char* value = std::getenv(kNames[i])) saved_[i] = value;
      unsetenv(kNames[i]);
    }
  }
  ~ScaleVariables() {
    for (int i = 0; i < 3; ++i) {
      if (saved_[i])
        setenv(kNames[i], saved_[i]->c_str(), 1);
      else
        unsetenv(kNames[i]);
    }
  }
  // Null unsets.
  int ZoomWith(const char* gdkScale, const char* gdkDpiScale, const char* qtScaleFactor) {
    const char* values[] = {gdkScale, gdkDpiScale, qtScaleFactor};
    for (int i = 0; i < 3; ++i) {
      if (values[i])
        setenv(kNames[i], values[i], 1);
      else
        unsetenv(kNames[i]);
    }
    return X11SystemZoom(nullptr);
  }

 private:
  static constexpr const char* kNames[3] = {"GDK_SCALE", "GDK_DPI_SCALE", "QT_SCALE_FACTOR"};
  std::optional<std::string> saved_[3];
};

}  // namespace

TEST(X11Scale, XftDpiIsReadFromItsOwnLineOnly) {
  EXPECT_EQ(XftDpiOf("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144.0);
  EXPECT_EQ(XftDpiOf("Xft.dpi: 120.5"), 120.5);
  EXPECT_EQ(XftDpiOf("*background:\tgrey\nXft.dpi:\t96\nXft.dpi:\t192\n"), 192.0);
  EXPECT_EQ(XftDpiOf("Xft.dpiX:\t144\nmyXft.dpi:\t144\nXterm*dpi:\t144\n"), 0.0);
  EXPECT_EQ(XftDpiOf("Xft.dpi:\t0\n"), 0.0);
  EXPECT_EQ(XftDpiOf("Xft.dpi:\t-96\n"), 0.0);
  EXPECT_EQ(XftDpiOf("Xft.dpi:\t96 dots\n"), 0.0);
  EXPECT_EQ(XftDpiOf("Xft.dpi:\n"), 0.0);
  EXPECT_EQ(XftDpiOf(""), 0.0);
  EXPECT_EQ(XftDpiOf(nullptr), 0.0);
}

TEST(X11Scale, GdkScaleComesBeforeQtScaleFactorAndUnusableValuesAreSkipped) {
  ScaleVariables variables;
  EXPECT_EQ(variables.ZoomWith(nullptr, nullptr, nullptr), 100);
  EXPECT_EQ(variables.ZoomWith("2", nullptr, "1.25"), 200);
  EXPECT_EQ(variables.ZoomWith("1", "1.5", "2"), 150);
  EXPECT_EQ(variables.ZoomWith("2", "0.875", nullptr), 175);
  EXPECT_EQ(variables.ZoomWith("1.5", nullptr, "1.25"), 125);
  EXPECT_EQ(variables.ZoomWith("two", "1.5", "1.75"), 175);
  EXPECT_EQ(variables.ZoomWith(nullptr, "2", nullptr), 100);
  EXPECT_EQ(variables.ZoomWith(nullptr, nullptr, "1,5"), 100);
  EXPECT_EQ(variables.ZoomWith(nullptr, nullptr, "3"), 200);
}
