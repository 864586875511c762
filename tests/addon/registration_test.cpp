// Registration through the module's entry point, as the host calls it.
#include <gmock/gmock.h>
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
  const char* faultFunction;  // "" for none
  int64_t nth;
  minihost::FaultKind kind;
  size_t callsMade;  // the leading calls of kRegistration that are made; then the tail below
  const char* tail;  // '|'-separated
  bool registered;
};

const RegistrationCase kCases[] = {
    {"", 0, minihost::FaultKind::Fail, 13, "", true},
    {"QorUtilArgListAppendString", 1, minihost::FaultKind::Fail, 4,
     "QorUtilArgListDealloc|QorUtilLockOff", false},
    {"QorUtilArgListAppendFunction", 2, minihost::FaultKind::Fail, 8,
     "QorUtilArgListDealloc|QorUtilLockOff", false},
    {"QorUtilArgListAppendInt", 3, minihost::FaultKind::Fail, 10,
     "QorUtilArgListDealloc|QorUtilLockOff", false},
    {"QorUtilImportAddLoaderX", 1, minihost::FaultKind::Fail, 13, "", false},
    {"QorUtilArgListAlloc", 1, minihost::FaultKind::Fail, 3, "QorUtilLockOff", false},
    {"QorUtilArgListAppendInt", 2, minihost::FaultKind::BadAlloc, 9,
     "QorUtilArgListDealloc|QorUtilDialogErrMsg Unexpected error: std::bad_alloc|QorUtilLockOff",
     false},
};

TEST(Registration, Table) {
  for (const RegistrationCase& c : kCases) {
    SCOPED_TRACE(std::string(c.faultFunction) + " #" + std::to_string(c.nth));
    minihost::reset();
    if (*c.faultFunction != '\0') minihost::injectFault(c.faultFunction, c.nth, c.kind);
    cvltest::addOnEntryPoint()();

    std::vector<std::string> expected(kRegistration.begin(),
                                      kRegistration.begin() + static_cast<long>(c.callsMade));
    for (const std::string& call : cvltest::split(c.tail)) expected.push_back(call);
    EXPECT_EQ(cvltest::callsSince(0), expected);
    EXPECT_EQ(minihost::addOns().size(), 1u);
    EXPECT_EQ(minihost::loaders().size(), c.registered ? 1u : 0u);
    cvltest::expectHostAtRest();
  }
}

TEST(Registration, Values) {
  minihost::reset();
  cvltest::addOnEntryPoint()();
  ASSERT_EQ(minihost::addOns().size(), 1u);
  const minihost::AddOn& addOn = minihost::addOns()[0];
  EXPECT_EQ(addOn.productCode, 141);
  EXPECT_EQ(addOn.name, "CONVERGE Output File Loader");
  EXPECT_EQ(addOn.version, std::string(CVL_PROJECT_VERSION) + " (" + CVL_BUILD_DATE + ")");
  EXPECT_EQ(addOn.author, "Qorvian Inc.");
  ASSERT_EQ(minihost::loaders().size(), 1u);
  const minihost::Loader& loader = minihost::loaders()[0];
  EXPECT_EQ(loader.name, "CONVERGE Output File Loader");
  EXPECT_EQ(loader.fileNameExtensions, "*.out");
  EXPECT_EQ(loader.callbackVersion, 2);
  EXPECT_TRUE(loader.callback != nullptr && loader.selectedCallback != nullptr);
  EXPECT_NE(reinterpret_cast<void*>(loader.callback),
            reinterpret_cast<void*>(loader.selectedCallback));
  EXPECT_EQ(loader.allowMultiFileSelection, 1);
  EXPECT_EQ(loader.advancedOptions, 0);
}

}  // namespace
