// What the entry point registers: the add-on and its loader, as the host lists them.
#include <gtest/gtest.h>

#include <tuple>

#include "standins/qvsdkbase/host_control.h"

extern "C" void InitQorAddOn113(void);

namespace {

TEST(Registration, AddOnAndLoaderAsTheHostListsThem) {
  qvsdkbase::reset();
  InitQorAddOn113();
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
  EXPECT_EQ(qvsdkbase::lockDepth(), 0);
  EXPECT_EQ(qvsdkbase::violations(), std::vector<std::string>{});
}

}  // namespace
