#include <gtest/gtest.h>

#include <cmath>

#include "plugin/EffectParameter.h"

TEST(Parameter, ShapeTwoMapsHalfToAQuarterAndBack) {
  EffectParameter p;
  p.DefineContinuous("x", 0, 0, 1, 0.01, 2);
  EXPECT_DOUBLE_EQ(p.SetFromNormalized(0.5), 0.25);
  EXPECT_DOUBLE_EQ(p.ToNormalized(), 0.5);
}

TEST(Parameter, IntegerStepsRoundHalfUp) {
  EffectParameter p;
  p.kind = EffectParameter::kInteger;
  p.DefineContinuous("n", 0, 0, 10, 1, 1);
  EXPECT_EQ(p.SetFromNormalized(0.34), 3);
  EXPECT_EQ(p.SetFromNormalized(0.35), 4);
  EXPECT_EQ(p.SetFromNormalized(1.7), 10);
}

TEST(Parameter, EmptyRangeGrowsByOneStepAndPrecisionFollowsStep) {
  EffectParameter p;
  p.DefineContinuous("x", 0, 0, 0, 1, 1);
  EXPECT_EQ(p.maximum, 1);
  EffectParameter q;
  q.DefineContinuous("y", 0.5, -1, 1, 0.05, 1);
  EXPECT_EQ(q.displayPrecision, 2);
  char text[32];
  q.FormatValue(0.5, false, text, true);
  EXPECT_STREQ(text, "0.50");
  q.FormatValue(-0.5, false, text, true);
  EXPECT_STREQ(text, "-0.50");
  EffectParameter r;
  r.DefineContinuous("z", 0, 0, 1, 0.125, 1);
  EXPECT_EQ(r.displayPrecision, 3);
}

TEST(Parameter, EnumerationDisplaysTruncatedNames) {
  const char* names[] = {"A", "", "C"};
  EffectParameter p;
  CopyText(p.label, "");
  p.DefineEnumeration("e", 0, 3, names);
  char text[32];
  p.FormatValue(2.9, false, text, true);
  EXPECT_STREQ(text, "C");
  p.FormatValue(2.9, false, text, false);
  EXPECT_STREQ(text, "2");
  p.FormatValue(1, false, text, true);
  EXPECT_STREQ(text, "1");  // an empty name falls through to the number
  int v = -1;
  EXPECT_TRUE(p.FindValueName("C", &v));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(p.FindValueName("c", &v));
}

TEST(Parameter, HostileNormalisedValuesStayFinite) {
  EffectParameter p;
  p.DefineContinuous("x", 0, 0, 1, 0.01, 0.5);
  EXPECT_TRUE(std::isfinite(p.SetFromNormalized(-0.5)));
  EXPECT_TRUE(std::isfinite(p.SetFromNormalized(std::nan(""))));
  EXPECT_EQ(p.SetFromNormalized(INFINITY), 1);
}
