// The package's host: loads in hosts of their own, at the same time on several threads, and a
// long-lived process that keeps nothing of its loads.
#include "tools/python/native/load_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace cvl::python {

// Shown in a failed comparison.
void PrintTo(const HostLeftovers& left, std::ostream* out) {
  *out << "{argLists " << left.argLists << ", stringLists " << left.stringLists << ", calls "
       << left.calls << ", dataSet " << left.dataSet << "}";
}

}  // namespace cvl::python

namespace {

const std::string kData = CVL_TEST_DATA_DIR;

class LoadSession : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(cvl::python::startAddOn(error, std::string(CVL_PYTHON_ADDON))) << error;
  }
};

TEST_F(LoadSession, TwoLoadsAreInsideTheAddOnAtTheSameMoment) {
  // Each load waits at the dataset's creation for the other: with one host for both, or a lock
  // around the load, the first would wait alone until the rendezvous gave up.
  qvsdkbase::armRendezvous("QorUtilDataSetCreateX", 2, std::chrono::seconds(20));
  const std::vector<std::string> files[] = {{kData + "/realdata/amr.out"},
                                            {kData + "/realdata/source_energy.out"}};
  cvl::python::LoadOutcome outcomes[2];
  std::thread other([&] { outcomes[1] = cvl::python::loadFiles(files[1], {}); });
  outcomes[0] = cvl::python::loadFiles(files[0], {});
  other.join();
  EXPECT_TRUE(qvsdkbase::rendezvousMet());
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(outcomes[i].loaded) << files[i][0];
    EXPECT_EQ(outcomes[i].result.dataSet->zones.size(), i == 0 ? 2u : 4u) << files[i][0];
  }
}

TEST_F(LoadSession, AThousandLoadsLeaveNothingInAnyHost) {
  const size_t argLists = qvsdkbase::openArgLists(), stringLists = qvsdkbase::openStringLists();
  const size_t calls = qvsdkbase::calls().size();
  // A load that succeeds, one the loader refuses, one of a file that cannot be opened.
  const std::vector<std::string> files[] = {{kData + "/realdata/mass_balance.out"},
                                            {kData + "/realdata/mech_check.out"},
                                            {kData + "/no_such_file.out"}};
  for (int i = 0; i < 1000; ++i) {
    const std::vector<std::string>& names = files[i % 3];
    const cvl::python::LoadOutcome outcome = cvl::python::loadFiles(names, {});
    ASSERT_EQ(outcome.loaded, i % 3 == 0) << names[0];
    ASSERT_EQ(outcome.leftovers, cvl::python::HostLeftovers{}) << "load " << i << ": " << names[0];
  }
  EXPECT_EQ(qvsdkbase::openArgLists(), argLists);
  EXPECT_EQ(qvsdkbase::openStringLists(), stringLists);
  EXPECT_EQ(qvsdkbase::calls().size(), calls);
  EXPECT_EQ(qvsdkbase::dataSet(), nullptr);
}

TEST_F(LoadSession, AHeaderReadsAsALoadReadsIt) {
  const cvl::python::HeaderOutcome found =
      cvl::python::readHeader(kData + "/realdata/mass_balance.out", {});
  ASSERT_TRUE(found.facts.has_value());
  const cvl::python::HeaderFacts& facts = *found.facts;
  EXPECT_EQ(facts.zoneNames,
            (std::vector<std::string>{"mass_balance bound_id_6", "mass_balance bound_id_7"}));
  EXPECT_EQ(facts.regions, (std::vector<std::optional<std::string>>{"bound_id_6", "bound_id_7"}));
  EXPECT_EQ(facts.numValues, 9);
  EXPECT_EQ(facts.integer, (std::vector<bool>{false, true, false, false, false, false, false}));
  const cvl::python::HeaderOutcome refused =
      cvl::python::readHeader(kData + "/realdata/mech_check.out", {});
  EXPECT_FALSE(refused.facts.has_value());
  const std::string place = "File \"" + kData + "/realdata/mech_check.out\", line 2: ";
  EXPECT_EQ(refused.messages, (std::vector<std::string>{place + "Invalid comment line",
                                                        place + "Invalid Column Row"}));
}

}  // namespace
