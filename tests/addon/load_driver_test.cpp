#include "addon/load_driver.h"

#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addon/registration.h"
#include "tests/addon/addon_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

enum class Thrown { Nothing, Std, NonStd };

struct DriverCase {
  const char* name;
  const char* files;  // '|'-separated; "good" is a valid file, anything else is missing
  const char* keyword;
  const char* faultFunction;  // "" for none
  int64_t nth;
  minihost::FaultKind kind;
  Thrown thrown;  // from the first message shown
  bool result;
  bool message;         // a message was shown
  const char* bracket;  // '|'-separated, as cvltest::loadBracket gives it
};

constexpr const char* kFull =
    "QorUtilPleaseWait on|QorUtilDataLoadStart|QorUtilImportSetLoaderInstr CONVERGE Output File "
    "Loader|QorUtilPleaseWait off|QorUtilDataLoadFinishX";
constexpr const char* kFailed =
    "QorUtilPleaseWait on|QorUtilDataLoadStart|QorUtilPleaseWait off|QorUtilDataLoadFinishX";
constexpr auto kFail = minihost::FaultKind::Fail;
constexpr auto kBadAlloc = minihost::FaultKind::BadAlloc;

const DriverCase kCases[] = {
    {"two files", "good|good", "FILELIST", "", 0, kFail, Thrown::Nothing, true, false, kFull},
    {"no FILELIST", "good", "FILES", "", 0, kFail, Thrown::Nothing, false, true, kFailed},
    {"second file missing", "good|gone", "FILELIST", "", 0, kFail, Thrown::Nothing, false, true,
     kFailed},
    {"no arg list", "good", "FILELIST", "QorUtilArgListAlloc", 1, kFail, Thrown::Nothing, false,
     false, ""},
    {"hand-back refused", "good", "FILELIST", "QorUtilImportSetLoaderInstr", 1, kFail,
     Thrown::Nothing, false, false, kFull},
    {"finish refused", "good", "FILELIST", "QorUtilDataLoadFinishX", 1, kFail, Thrown::Nothing,
     false, false, kFull},
    {"out of memory adding a zone", "good|good", "FILELIST", "QorUtilDataSetAddZoneX", 2, kBadAlloc,
     Thrown::Nothing, false, false, kFailed},
    {"out of memory parsing", "good", "FILELIST", "QorUtilStringListGetRawStringPtr", 1, kBadAlloc,
     Thrown::Nothing, false, false, kFailed},
    {"exception", "gone", "FILELIST", "", 0, kFail, Thrown::Std, false, true, kFailed},
    {"non-std exception", "gone", "FILELIST", "", 0, kFail, Thrown::NonStd, false, true, kFailed},
};

TEST(LoadFromInstructions, Table) {
  cvltest::TempDir dir;
  const std::string good = dir.write("good.out", cvltest::kGoodOutFile);
  for (const DriverCase& c : kCases) {
    SCOPED_TRACE(c.name);
    minihost::reset();
    QorUtilLockOn();
    cvl::registerAddOn();  // the loader that the instructions are handed back to
    std::vector<std::string> entries = {"STANDARDSYNTAX", "1.0", c.keyword};
    const std::vector<std::string> files = cvltest::split(c.files);
    entries.push_back(std::to_string(files.size()));
    for (const std::string& f : files)
      entries.push_back(f == "good" ? good : (dir.path() / f).string());
    QvStringList instructions = minihost::makeStringList(entries);
    if (*c.faultFunction != '\0') minihost::injectFault(c.faultFunction, c.nth, c.kind);
    if (c.thrown != Thrown::Nothing) cvltest::throwFromFirstMessage(c.thrown == Thrown::Std);
    const size_t from = minihost::calls().size();

    bool result = false;
    if (c.thrown == Thrown::Std) {
      EXPECT_THROW(cvl::loadFromInstructions(instructions), std::runtime_error);
    } else if (c.thrown == Thrown::NonStd) {
      EXPECT_THROW(cvl::loadFromInstructions(instructions), int);
    } else {
      result = cvl::loadFromInstructions(instructions);
    }
    const std::vector<std::string> made = cvltest::callsSince(from);
    QorUtilLockOff();
    minihost::freeStringList(instructions);

    EXPECT_EQ(result, c.result);
    EXPECT_EQ(cvltest::loadBracket(from), cvltest::split(c.bracket));
    const bool stored = std::string(c.bracket) == kFull &&
                        std::string(c.faultFunction) != "QorUtilImportSetLoaderInstr";
    EXPECT_EQ(minihost::loaders()[0].instructions.has_value(), stored);
    // The driver's arg list comes first and goes last; every arg list of the load is released.
    const bool allocated = *c.bracket != '\0';
    EXPECT_EQ(made.front(), "QorUtilArgListAlloc");
    EXPECT_EQ(made.back(), allocated ? "QorUtilArgListDealloc" : "QorUtilArgListAlloc");
    EXPECT_EQ(cvltest::countCalls("QorUtilArgListDealloc", from) + (allocated ? 0 : 1),
              cvltest::countCalls("QorUtilArgListAlloc", from));
    EXPECT_EQ(minihost::messages().empty(), !c.message);
    cvltest::expectHostAtRest();
  }
}

}  // namespace
