// Registration through the module's entry point, as the host calls it.
#include <tuple>

#include <gtest/gtest.h>

#include "tests/addon/addon_test_support.h"

namespace {

// The calls of a registration that succeeds, in order.
const std::vector<std::string> kRegistration = cvltest::split(
    "QorUtilLockOn|QorUtilAddOnRegister CONVERGE Output File Loader|QorUtilArgListAlloc|"
    "QorUtilArgListAppendString LoaderName|QorUtilArgListAppendString FileNameExtensions|"
    "QorUtilArgListAppendInt LoaderCallbackVersion|QorUtilArgListAppendFunction LoaderCallback|"
    "QorUtilArgListAppendFunction LoaderSelectedCallback|"
    "QorUtilArgListAppendInt AllowMultiFileSelection|QorUtilArgListAppendInt LoaderAdvancedOptions|"
    "QorUtilImportAddLoaderX CONVERGE Output File Loader|QorUtilArgListDealloc|QorUtilLockOff");

struct RegistrationCase {
  const char* fault;  // as cvltest::injectFault takes it
  long callsMade;     // the leading calls of kRegistration that are made; then the tail
  const char* tail;   // '|'-separated
  bool registered;
};

constexpr const char* kReleased = "QorUtilArgListDealloc|QorUtilLockOff";

const RegistrationCase kCases[] = {
    {"", 13, "", true},
    {"QorUtilArgListAppendString 1", 4, kReleased, false},
    {"QorUtilArgListAppendFunction 2", 8, kReleased, false},
    {"QorUtilArgListAppendInt 3", 10, kReleased, false},
    {"QorUtilImportAddLoaderX 1", 13, "", false},
    {"QorUtilArgListAlloc 1", 3, "QorUtilLockOff", false},
    {"QorUtilArgListAppendInt 2!", 9,
     "QorUtilArgListDealloc|QorUtilDialogErrMsg Unexpected error: std::bad_alloc|QorUtilLockOff",
     false},
};

TEST(Registration, Table) {
  for (const RegistrationCase& c : kCases) {
    SCOPED_TRACE(c.fault);
    qvsdkbase::reset();
    cvltest::injectFault(c.fault);
    cvltest::addOnEntryPoint()();

    std::vector<std::string> expected(kRegistration.begin(), kRegistration.begin() + c.callsMade);
    for (const std::string& call : cvltest::split(c.tail)) expected.push_back(call);
    EXPECT_EQ(cvltest::callsSince(0), expected);
    EXPECT_EQ(qvsdkbase::addOns().size(), 1u);
    EXPECT_EQ(qvsdkbase::loaders().size(), c.registered ? 1u : 0u);
    cvltest::expectHostAtRest();
  }
}

TEST(Registration, Values) {
  qvsdkbase::reset();
  cvltest::addOnEntryPoint()();
  ASSERT_EQ(qvsdkbase::addOns().size(), 1u);
  ASSERT_EQ(qvsdkbase::loaders().size(), 1u);
  const qvsdkbase::AddOn& a = qvsdkbase::addOns()[0];
  EXPECT_EQ(std::tie(a.productCode, a.name, a.version, a.author),
            std::make_tuple(141, "CONVERGE Output File Loader",
                            std::string(CVL_PROJECT_VERSION) + " (" + CVL_BUILD_DATE + ")",
                            "Qorvian Inc."));
  const qvsdkbase::Loader& l = qvsdkbase::loaders()[0];
  EXPECT_EQ(std::tie(l.name, l.fileNameExtensions, l.callbackVersion, l.allowMultiFileSelection,
                     l.advancedOptions),
            std::make_tuple("CONVERGE Output File Loader", "*.out", 2, 1, 0));
}

}  // namespace
