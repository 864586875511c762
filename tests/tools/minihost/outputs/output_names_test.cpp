// The names that minihost's outputs give zones: CSV file names and worksheet names.
#include <gtest/gtest.h>

#include "tools/minihost/outputs/csv_writer.h"
#include "tools/minihost/outputs/sheet_names.h"

namespace {

TEST(OutputNames, CsvFileNames) {
  const struct {
    size_t zone;
    size_t zones;
    const char* name;
    const char* file;
  } cases[] = {
      {1, 1, "thermo", "1_thermo.csv"},
      {2, 12, "case Region0", "02_case_Region0.csv"},
      {12, 12, "a/b:c.d-e_f", "12_a_b_c.d-e_f.csv"},
      {7, 100, "", "007_.csv"},
      {1, 1, "\xC3\xA9t\xC3\xA9 x", "1__t__x.csv"},  // a two-byte character is one '_'
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cvl::minihost::csvFileName(c.zone, c.zones, c.name), c.file)
        << "zone " << c.zone << " of " << c.zones << ", \"" << c.name << "\"";
  }
}

TEST(OutputNames, SheetNames) {
  const std::string x30(30, 'x');
  const std::string long40 = "A_rather_long_zone_name_of_forty_chars__";
  const struct {
    std::string wanted;
    const char* suffix;
    std::string name;
  } calls[] = {
      {"Region0", "", "Region0"},
      {"REGION0", "", "REGION0 ~2"},  // names are unique regardless of case
      {"Region0", "", "Region0 ~3"},
      {long40, "", long40.substr(0, 31)},
      {long40, " (2)", long40.substr(0, 27) + " (2)"},
      {long40, "", long40.substr(0, 28) + " ~2"},
      {"a[b]c:d*e?f/g\\h", "", "a_b_c_d_e_f_g_h"},
      {"'quoted'", "", "quoted"},
      {"''", "", "Sheet"},
      {"history", "", "history_"},
      {x30 + "\xC3\xA9", "", x30 + "\xC3\xA9"},  // a character of one UTF-16 unit fits
      {x30 + "\xF0\x9F\x98\x80", "", x30},       // one of two units does not
      {"y" + x30 + "\xF0\x9F\x98\x80", "", "y" + x30},
      {std::string(30, 'z') + "'a", "", std::string(30, 'z') + "_"},  // no apostrophe at the end
      {"bad\xFFname\x01", "", "bad\xEF\xBF\xBDname\xEF\xBF\xBD"},
  };
  cvl::minihost::SheetNames names;
  for (const auto& c : calls) {
    EXPECT_EQ(names.add(c.wanted, c.suffix), c.name) << c.wanted << c.suffix;
  }
}

}  // namespace
