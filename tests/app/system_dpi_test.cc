#include "platform/system_dpi.h"

#include <ostream>
#include <string>

#include "gtest/gtest.h"

namespace platform {
namespace {

struct DpiCase {
  const char* name;
  std::string dpi_override;
  std::string resources;
  std::string gdk_scale;
  int32_t expected;
};

void PrintTo(const DpiCase& c, std::ostream* os) { *os << c.name; }

class SystemDpiSourcesTest : public ::testing::TestWithParam<DpiCase> {};

TEST_P(SystemDpiSourcesTest, FirstUsableSourceWins) {
  const DpiCase& c = GetParam();
  EXPECT_EQ(SystemDpiFromSources(c.dpi_override, c.resources, c.gdk_scale), c.expected);
}

const char kDesktopDatabase[] =
    "*customization:\t-color\n"
    "Xcursor.size:\t24\n"
    "Xft.antialias:\t1\n"
    "Xft.dpi:\t120\n"
    "Xft.hinting:\t1\n";

INSTANTIATE_TEST_SUITE_P(
    Sources, SystemDpiSourcesTest,
    ::testing::Values(DpiCase{"NothingGivesDefault", "", "", "", 96},
                      DpiCase{"OverrideBeatsEverything", "132", kDesktopDatabase, "2", 132},
                      DpiCase{"OverrideWithBlanks", " 101 ", "", "", 101},
                      DpiCase{"BadOverrideFallsThrough", "12x", kDesktopDatabase, "", 120},
                      DpiCase{"ZeroOverrideFallsThrough", "0", "", "2", 192},
                      DpiCase{"HugeOverrideFallsThrough", "99999", "", "", 96},
                      DpiCase{"NegativeOverrideFallsThrough", "-120", "", "", 96},
                      DpiCase{"XftFromDatabase", "", kDesktopDatabase, "3", 120},
                      DpiCase{"XftFractionRounds", "", "Xft.dpi:\t143.6\n", "", 144},
                      DpiCase{"XftFractionRoundsDown", "", "Xft.dpi: 96.4", "", 96},
                      DpiCase{"XftGarbageFallsThrough", "", "Xft.dpi:\tlarge\n", "2", 192},
                      DpiCase{"XftEmptyValueFallsThrough", "", "Xft.dpi:\n", "", 96},
                      DpiCase{"SimilarNameIgnored", "", "Xft.dpiX:\t200\nXXft.dpi:\t200\n", "", 96},
                      DpiCase{"GdkScaleTimes96", "", "", "2", 192},
                      DpiCase{"GdkScaleNotWhole", "", "", "1.5", 96},
                      DpiCase{"GdkScaleOutOfRange", "", "", "17", 96}),
    [](const ::testing::TestParamInfo<DpiCase>& info) { return std::string(info.param.name); });

TEST(ParseXftDpiTest, FindsTheLineAmongOthersAndWindowsLineEnds) {
  EXPECT_EQ(ParseXftDpi("a:\t1\r\nXft.dpi:\t144\r\nb:\t2\r\n"), 144);
  EXPECT_EQ(ParseXftDpi("Xft.dpi:\t2001\n"), 0);
  EXPECT_EQ(ParseXftDpi(std::string("Xft.dpi:\t9\0"
                                    "6\n",
                                    13)),
            0);
  EXPECT_EQ(ParseXftDpi(""), 0);
}

}  // namespace
}  // namespace platform
