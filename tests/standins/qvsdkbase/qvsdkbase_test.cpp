// The stand-in host: zones it refuses, the lock, the memory behind value arrays.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"
#include "tests/support/temp_dir.h"

extern "C" void InitQorAddOn113(void);

namespace {

constexpr QvDataType D = QV_DATATYPE_DOUBLE;
constexpr QvDataType I = QV_DATATYPE_INT32;

// The first zone, well formed, is added; every later one lacks an argument, has one too many or
// one that does not fit, and is refused.
TEST(MiniHost, EveryFaultyZoneIsRefusedAndAddsNothing) {
  qvsdkbase::reset();
  QorUtilLockOn();
  qorvian::StringList names;
  qorvian::ArgList dataSet;
  ASSERT_TRUE(names.append("x") && names.append("n") && dataSet.appendString("DataSetTitle", "T") &&
              dataSet.appendString("LoaderName", "L") &&
              dataSet.appendStringList("VarNames", names) &&
              QorUtilDataSetCreateX(dataSet.getRef()));
  static const QvDataType good[] = {D, I}, badCode[] = {D, 1}, allInt[] = {I, I};
  static const QvZoneNum shareOne[] = {1, 0}, shareTwo[] = {0, 2};
  // Per argument in order: N "Name"; a digit, "IMax" of that many points; T, b, i "VarDataType"
  // of good, badCode or allInt; s, S "VarShareZoneList" of shareOne or shareTwo; J "JMax".
  for (const std::string zone :
       {"N5T", "5T", "NT", "N5", "N0T", "N5b", "N5TS", "N5is", "N6Ts", "N5TJ", "NN5T"}) {
    qorvian::ArgList args;
    const QvArgList l = args.getRef();
    for (const char c : zone) {
      if (c == 'N') QorUtilArgListAppendString(l, "Name", "z");
      if (c >= '0' && c <= '9') QorUtilArgListAppendInt(l, "IMax", c - '0');
      if (c == 'T') QorUtilArgListAppendArray(l, "VarDataType", good);
      if (c == 'b') QorUtilArgListAppendArray(l, "VarDataType", badCode);
      if (c == 'i') QorUtilArgListAppendArray(l, "VarDataType", allInt);
      if (c == 's') QorUtilArgListAppendArray(l, "VarShareZoneList", shareOne);
      if (c == 'S') QorUtilArgListAppendArray(l, "VarShareZoneList", shareTwo);
      if (c == 'J') QorUtilArgListAppendInt(l, "JMax", 1);
    }
    EXPECT_EQ(QorUtilDataSetAddZoneX(l) != 0, zone == "N5T") << zone;
    EXPECT_EQ(QorUtilDataSetGetNumZones(), 1) << zone;
  }
}

// Steps: O LockOn, F LockOff, S LockStart, E LockFinish, X LockStart with a foreign handle,
// M message, B data load start, N finish, R finish with reserved argument 1; after the colon, the
// violation recorded (none when empty).
TEST(MiniHostLock, ViolationsAreRecordedOnlyForUnlockedOrUnpairedCalls) {
  for (const std::string c : {"SOMBNFE:", "M:QorUtilDialogErrMsg", "F:QorUtilLockOff",
                              "SF:QorUtilLockOff", "OE:QorUtilLockFinish", "X:QorUtilLockStart",
                              "ON:QorUtilDataLoadFinishX", "OBR:reserved"}) {
    qvsdkbase::reset();
    QorUtilLockOn();
    const QvAddOn addOn = QorUtilAddOnRegister(1, "a", "v", "w");
    QorUtilLockOff();
    int foreign = 0;
    for (const char step : c.substr(0, c.find(':'))) {
      if (step == 'O') QorUtilLockOn();
      if (step == 'F') QorUtilLockOff();
      if (step == 'S') QorUtilLockStart(addOn);
      if (step == 'E') QorUtilLockFinish(addOn);
      if (step == 'X') QorUtilLockStart(reinterpret_cast<QvAddOn>(&foreign));
      if (step == 'M') QorUtilDialogErrMsg("m");
      if (step == 'B') QorUtilDataLoadStart();
      if (step == 'N') QorUtilDataLoadFinishX(nullptr, 0);
      if (step == 'R') QorUtilDataLoadFinishX(nullptr, 1);
    }
    const auto& violations = qvsdkbase::lockViolations();
    ASSERT_EQ(violations.size(), c.ends_with(':') ? 0u : 1u) << c;
    EXPECT_TRUE(c.ends_with(':') ||
                violations[0].find(c.substr(c.find(':') + 1)) != std::string::npos)
        << c << ": " << violations[0];
  }
}

// The memory behind value arrays: small arrays from the C library, large ones and large zone
// blocks as zeroed pages straight from the system; all zero-filled and writable to the last byte.
// Expects the bytes at the start, middle and end zero, then writes them and reads them back.
void expectZeroedAndWritable(void* data, size_t bytes, const char* what) {
  auto* at = static_cast<unsigned char*>(data);
  const size_t offsets[] = {0, bytes / 2, bytes - 1};
  for (const size_t offset : offsets) EXPECT_EQ(at[offset], 0) << what << " at " << offset;
  for (const size_t offset : offsets) at[offset] = 0x5a;
  for (const size_t offset : offsets) EXPECT_EQ(at[offset], 0x5a) << what << " at " << offset;
}

TEST(ValueMemory, ArraysAndBlocksAreZeroedAndWritableOnEitherSideOfThePageThreshold) {
  const struct {
    QvDataType type;
    int64_t size;
    bool ownPages;  // mapped from the system rather than taken from the C library
  } arrays[] = {
      {QV_DATATYPE_DOUBLE, 0, false},
      {QV_DATATYPE_INT32, 1000, false},
      {QV_DATATYPE_DOUBLE, (int64_t{2} << 20) / 8 - 1, false},
      {QV_DATATYPE_DOUBLE, (int64_t{2} << 20) / 8, true},
      {QV_DATATYPE_INT32, int64_t{3} << 20, true},
  };
  for (const auto& a : arrays) {
    const qvsdkbase::ValueArray array(a.type, a.size);
    const size_t bytes =
        static_cast<size_t>(a.size == 0 ? 1 : a.size) * (a.type == QV_DATATYPE_INT32 ? 4 : 8);
    EXPECT_EQ(array.mappedBytes != 0, a.ownPages) << a.size << " values of type " << a.type;
    expectZeroedAndWritable(array.data, bytes, "array");
  }
  for (const size_t bytes : {size_t{0}, size_t{4096}, size_t{2} << 20, size_t{24} << 20}) {
    const std::shared_ptr<void> block = qvsdkbase::allocateValueBlock(bytes);
    ASSERT_NE(block, nullptr) << bytes;
    expectZeroedAndWritable(block.get(), bytes == 0 ? 1 : bytes, "block");
  }
}

// A long-lived process: load after load through the registered add-on, each result taken out
// of the host, which keeps the registration and, with its call log off, no record of the calls.
TEST(LongLivedHost, ResultsAreTakenOutAndTheRegistrationStays) {
  const cvl::test::TempDir folder;
  const std::string header = "# CONVERGE\n# column 1 2 3\n# a b c\n# (x) (y) (z)\n";
  const std::string good = folder.write("good.out", header + "# (none) R S\n1 2 3\n4 5 6\n");
  const std::string bad = folder.write("bad.out", header + "#\n1 2 3\n4 5\n");
  qvsdkbase::reset();
  InitQorAddOn113();
  qvsdkbase::setCallLog(false);
  const struct {
    std::vector<std::string> files;
    size_t zones;                           // in the dataset taken out; 0: no dataset
    std::vector<QvZoneNum> countsAnswered;  // where each later file's zones begin
    size_t messages;
  } loads[] = {
      {{good}, 2, {}, 0},
      {{good, good, good}, 6, {2, 4}, 0},
      {{bad}, 1, {}, 1},  // refused after its zone was added: the caller drops it
      {{good}, 2, {}, 0},
  };
  for (const auto& load : loads) {
    QvStringList picked = qvsdkbase::makeStringList(load.files);
    qvsdkbase::loaders()[0].selectedCallback(picked);
    qvsdkbase::freeStringList(picked);
    qvsdkbase::LoadResult result = qvsdkbase::takeLoadResult(0);
    const std::string what = load.files.front() + " x" + std::to_string(load.files.size());
    ASSERT_TRUE(result.dataSet.has_value()) << what;
    EXPECT_EQ(result.dataSet->zones.size(), load.zones) << what;
    EXPECT_EQ(result.dataSet->zoneCountsAnswered, load.countsAnswered) << what;
    EXPECT_EQ(result.messages.size(), load.messages) << what;
    EXPECT_EQ(result.instructions.has_value(), load.messages == 0) << what;
    EXPECT_EQ(qvsdkbase::dataSet(), nullptr) << what;
    EXPECT_TRUE(qvsdkbase::messages().empty() && qvsdkbase::calls().empty()) << what;
    ASSERT_EQ(qvsdkbase::loaders().size(), 1u) << what;
    EXPECT_FALSE(qvsdkbase::loaders()[0].instructions.has_value()) << what;
    EXPECT_EQ(qvsdkbase::lockDepth(), 0) << what;
  }
  qvsdkbase::setCallLog(true);
  QorUtilDataSetGetNumZones();
  EXPECT_EQ(qvsdkbase::calls().size(), 1u);
}

}  // namespace
