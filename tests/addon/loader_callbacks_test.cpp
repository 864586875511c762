// The two loader callbacks and the load driver behind them, reached as the host reaches them:
// through the registration that the module's entry point made.
#include <map>
#include <optional>

#include <gtest/gtest.h>

#include "tests/addon/addon_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

struct CallbackCase {
  const char* name;
  bool replay;           // loaderCallback with the list below; else loaderSelectedCallback
  const char* files;     // '|'-separated: the instruction list, or the selection; "good" is a valid
                         // file, "gone" a missing one
  const char* fault;     // as cvltest::injectFault takes it
  char thrown;           // the first message shown throws: 's' a std::exception, 'i' an int;
                         // 'a' every message throws a std::exception
  const char* appended;  // texts appended to the new instruction list
  const char* course;    // on, start, back, off, finish (see kLongForm) and the messages shown
  bool stored;           // the host holds the instructions for replay afterwards
  size_t zones;          // zones in the host's dataset afterwards
};

constexpr const char* k3 = "STANDARDSYNTAX|1.0|FILELIST|3";
constexpr const char* kLoaded = "on|start|back|off|finish";
constexpr const char* kFailed = "on|start|off|finish";
constexpr const char* kOne = "S|1.0|FILELIST|1|good";  // a replay of one file

const CallbackCase kCases[] = {
    {"no file", false, "", "", 0, "", "No files selected", false, 0},
    {"three files", false, "good|good|good", "", 0, k3, kLoaded, true, 3},
    {"twelve files", false, "good|good|good|good|good|good|good|good|good|good|good|good", "", 0,
     "STANDARDSYNTAX|1.0|FILELIST|12", kLoaded, true, 12},
    {"no list", false, "good", "QorUtilStringListAlloc 1", 0, "", "", false, 0},
    {"append refused", false, "good", "QorUtilStringListAppendString 2", 0, "STANDARDSYNTAX|1.0",
     "", false, 0},
    {"names refused", false, "good|good|good", "QorUtilStringListAppend 1", 0, k3, "", false, 0},
    {"no memory for the list", false, "good", "QorUtilStringListAlloc 1!", 0, "", "", false, 0},
    {"no memory to build it", false, "good", "QorUtilStringListAppendString 3!", 0,
     "STANDARDSYNTAX|1.0|FILELIST", "", false, 0},
    {"no memory in the load", false, "good|good|good", "QorUtilDataSetAddZoneX 2!", 0, k3, kFailed,
     false, 1},
    {"file missing", false, "good|good|gone", "", 0, k3, "on|start|<gone>|off|finish", false, 2},
    {"exception", false, "good|good|gone", "", 's', k3,
     "on|start|<gone>|off|finish|Unexpected error: sink failed", false, 2},
    {"non-std exception", false, "good|good|gone", "", 'i', k3,
     "on|start|<gone>|off|finish|Unexpected error: unknown exception", false, 2},
    {"error dialog failing", false, "good|good|gone", "", 'a', k3,
     "on|start|<gone>|off|finish|Unexpected error: sink failed", false, 2},
    {"replay", true, "S|1.0|FILELIST|2|good|good", "", 0, "", kLoaded, true, 2},
    {"replay without FILELIST", true, "S|1.0|FILES|1|good", "", 0, "",
     "on|start|Missing FILELIST command.|off|finish", false, 0},
    {"replay without arg list", true, kOne, "QorUtilArgListAlloc 1", 0, "", "", false, 0},
    {"replay hand-back refused", true, kOne, "QorUtilImportSetLoaderInstr 1", 0, "", kLoaded, false,
     1},
    {"replay finish refused", true, kOne, "QorUtilDataLoadFinishX 1", 0, "", kLoaded, true, 1},
    {"replay out of memory parsing", true, kOne, "QorUtilStringListGetRawStringPtr 1!", 0, "",
     kFailed, false, 0},
    {"replay exception", true, "S|1.0|FILELIST|x", "", 's', "",
     "on|start|Invalid FILELIST command.|off|finish|Unexpected error: sink failed", false, 0},
};

// The calls that show a load's course, and the short forms the table gives them; any other short
// form is a text shown in the error dialog.
constexpr const char* kCourse =
    "QorUtilPleaseWait|QorUtilDataLoadStart|QorUtilImportSetLoaderInstr|QorUtilDataLoadFinishX|"
    "QorUtilDialogErrMsg";
const std::map<std::string, std::string> kLongForm = {
    {"on", "QorUtilPleaseWait on"},
    {"start", "QorUtilDataLoadStart"},
    {"back", "QorUtilImportSetLoaderInstr CONVERGE Output File Loader"},
    {"off", "QorUtilPleaseWait off"},
    {"finish", "QorUtilDataLoadFinishX"}};

TEST(LoaderCallbacks, Table) {
  cvltest::TempDir dir;
  const std::string good = dir.write("good.out", cvltest::kGoodOutFile);
  const std::string gone = (dir.path() / "gone.out").string();
  for (const CallbackCase& c : kCases) {
    SCOPED_TRACE(c.name);
    qvsdkbase::reset();
    cvltest::addOnEntryPoint()();
    ASSERT_EQ(qvsdkbase::loaders().size(), 1u);
    const qvsdkbase::Loader& loader = qvsdkbase::loaders()[0];
    std::vector<std::string> files = cvltest::split(c.files);
    for (std::string& f : files) f = f == "good" ? good : f == "gone" ? gone : f;
    cvltest::injectFault(c.fault);
    if (c.thrown != 0) cvltest::throwFromMessages(c.thrown != 'i', c.thrown == 'a');
    const size_t from = qvsdkbase::calls().size();
    QvStringList list = qvsdkbase::makeStringList(files);
    if (c.replay) {  // the driver's result: stored, and the host's load finish succeeded
      const bool finishRefused = std::string(c.fault).starts_with("QorUtilDataLoadFinishX");
      EXPECT_EQ(loader.callback(list), c.stored && !finishRefused ? 1 : 0);
    } else {
      loader.selectedCallback(list);
    }
    qvsdkbase::freeStringList(list);

    const std::vector<std::string> made = cvltest::callsSince(from);
    EXPECT_EQ(made.front(), "QorUtilLockStart");
    EXPECT_EQ(made.back(), "QorUtilLockFinish");
    std::vector<std::string> course = cvltest::split(c.course);
    for (std::string& call : course) {
      if (call == "<gone>") call = "Unable to open datafile: " + gone;
      call = kLongForm.contains(call) ? kLongForm.at(call) : "QorUtilDialogErrMsg " + call;
    }
    EXPECT_EQ(cvltest::callsSince(from, kCourse), course);
    // The texts appended to the new instruction list: those before the driver's first call.
    std::vector<std::string> appended;
    for (const std::string& call : made) {
      if (call == "QorUtilArgListAlloc") break;
      if (call.starts_with("QorUtilStringListAppendString ")) appended.push_back(call.substr(30));
    }
    EXPECT_EQ(appended, cvltest::split(c.appended));
    // Every arg list and string list is released, but for one the host refused to make.
    EXPECT_EQ(cvltest::callsSince(from, "QorUtilArgListAlloc|QorUtilStringListAlloc").size(),
              cvltest::callsSince(from, "QorUtilArgListDealloc|QorUtilStringListDealloc").size() +
                  (std::string(c.fault).find("Alloc ") != std::string::npos ? 1 : 0));
    std::vector<std::string> stored = cvltest::split(c.appended);
    stored.insert(stored.end(), files.begin(), files.end());
    EXPECT_EQ(loader.instructions, c.stored ? std::optional(stored) : std::nullopt);
    EXPECT_EQ(qvsdkbase::dataSet() != nullptr ? qvsdkbase::dataSet()->zones.size() : 0u, c.zones);
    cvltest::expectHostAtRest();
  }
}

}  // namespace
