// The two loader callbacks, reached as the host reaches them: through the registration that the
// module's entry point made.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/addon/addon_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

enum class Thrown { Nothing, Std, NonStd };

struct CallbackCase {
  const char* name;
  bool replay;        // loaderCallback with the list below; else loaderSelectedCallback
  const char* files;  // '|'-separated: the selection, or the instruction list; "good" is valid
  const char* faultFunction;
  int64_t nth;
  minihost::FaultKind kind;
  Thrown thrown;         // from the first message shown
  const char* appended;  // texts appended to the new instruction list
  bool loaded;           // the load bracket ran
  bool handedBack;
  const char* messages;  // '|'-separated; <gone> is the missing file's message
};

constexpr auto kFail = minihost::FaultKind::Fail;
constexpr auto kBadAlloc = minihost::FaultKind::BadAlloc;
constexpr const char* k3 = "STANDARDSYNTAX|1.0|FILELIST|3";

const CallbackCase kCases[] = {
    {"no file", false, "", "", 0, kFail, Thrown::Nothing, "", false, false, "No files selected"},
    {"three files", false, "good|good|good", "", 0, kFail, Thrown::Nothing, k3, true, true, ""},
    {"twelve files", false, "good|good|good|good|good|good|good|good|good|good|good|good", "", 0,
     kFail, Thrown::Nothing, "STANDARDSYNTAX|1.0|FILELIST|12", true, true, ""},
    {"no list", false, "good", "QorUtilStringListAlloc", 1, kFail, Thrown::Nothing, "", false,
     false, ""},
    {"append refused", false, "good", "QorUtilStringListAppendString", 2, kFail, Thrown::Nothing,
     "STANDARDSYNTAX|1.0", false, false, ""},
    {"names refused", false, "good|good|good", "QorUtilStringListAppend", 1, kFail, Thrown::Nothing,
     k3, false, false, ""},
    {"no memory for the list", false, "good", "QorUtilStringListAlloc", 1, kBadAlloc,
     Thrown::Nothing, "", false, false, ""},
    {"no memory to build it", false, "good", "QorUtilStringListAppendString", 3, kBadAlloc,
     Thrown::Nothing, "STANDARDSYNTAX|1.0|FILELIST", false, false, ""},
    {"no memory in the load", false, "good|good|good", "QorUtilDataSetAddZoneX", 2, kBadAlloc,
     Thrown::Nothing, k3, true, false, ""},
    {"file missing", false, "good|good|gone", "", 0, kFail, Thrown::Nothing, k3, true, false,
     "<gone>"},
    {"exception", false, "good|good|gone", "", 0, kFail, Thrown::Std, k3, true, false,
     "<gone>|Unexpected error: sink failed"},
    {"non-std exception", false, "good|good|gone", "", 0, kFail, Thrown::NonStd, k3, true, false,
     "<gone>|Unexpected error: unknown exception"},
    {"replay", true, "S|1.0|FILELIST|1|good", "", 0, kFail, Thrown::Nothing, "", true, true, ""},
    {"replay unusable", true, "S|1.0", "", 0, kFail, Thrown::Nothing, "", true, false,
     "Missing FILELIST command."},
    {"replay finish refused", true, "S|1.0|FILELIST|1|good", "QorUtilDataLoadFinishX", 1, kFail,
     Thrown::Nothing, "", true, true, ""},
    {"replay exception", true, "S|1.0|FILELIST|x", "", 0, kFail, Thrown::Std, "", true, false,
     "Invalid FILELIST command.|Unexpected error: sink failed"},
};

TEST(LoaderCallbacks, Table) {
  cvltest::TempDir dir;
  const std::string good = dir.write("good.out", cvltest::kGoodOutFile);
  const std::string gone = (dir.path() / "gone.out").string();
  for (const CallbackCase& c : kCases) {
    SCOPED_TRACE(c.name);
    minihost::reset();
    cvltest::addOnEntryPoint()();
    ASSERT_EQ(minihost::loaders().size(), 1u);
    const minihost::Loader& loader = minihost::loaders()[0];
    std::vector<std::string> files = cvltest::split(c.files);
    for (std::string& f : files) f = f == "good" ? good : f == "gone" ? gone : f;
    if (*c.faultFunction != '\0') minihost::injectFault(c.faultFunction, c.nth, c.kind);
    if (c.thrown != Thrown::Nothing) cvltest::throwFromFirstMessage(c.thrown == Thrown::Std);
    const size_t from = minihost::calls().size();
    QvStringList list = minihost::makeStringList(files);
    if (c.replay) {
      EXPECT_EQ(loader.callback(list), c.handedBack && *c.faultFunction == '\0' ? 1 : 0);
    } else {
      loader.selectedCallback(list);
    }
    minihost::freeStringList(list);

    const std::vector<std::string> made = cvltest::callsSince(from);
    EXPECT_EQ(made.front(), "QorUtilLockStart");
    EXPECT_EQ(made.back(), "QorUtilLockFinish");
    // The texts appended to the new instruction list: those before the driver's first call.
    std::vector<std::string> appended;
    for (const std::string& call : made) {
      if (call == "QorUtilArgListAlloc") break;
      if (call.starts_with("QorUtilStringListAppendString ")) appended.push_back(call.substr(30));
    }
    EXPECT_EQ(appended, cvltest::split(c.appended));
    EXPECT_EQ(cvltest::countCalls("QorUtilDataLoadStart", from), c.loaded ? 1u : 0u);
    EXPECT_EQ(cvltest::countCalls("QorUtilDataLoadFinishX", from), c.loaded ? 1u : 0u);
    // Every list is released, but for one the host refused to make.
    const size_t refused = !c.replay && !files.empty() && *c.appended == '\0' ? 1 : 0;
    EXPECT_EQ(cvltest::countCalls("QorUtilStringListDealloc", from) + refused,
              cvltest::countCalls("QorUtilStringListAlloc", from));
    std::vector<std::string> messages = cvltest::split(c.messages);
    for (std::string& m : messages) m = m == "<gone>" ? "Unable to open datafile: " + gone : m;
    EXPECT_EQ(minihost::messages(), messages);
    if (c.handedBack) {
      std::vector<std::string> stored = cvltest::split(c.appended);
      stored.insert(stored.end(), files.begin(), files.end());
      EXPECT_EQ(loader.instructions, stored);
    } else {
      EXPECT_FALSE(loader.instructions.has_value());
    }
    cvltest::expectHostAtRest();
  }
}

}  // namespace
