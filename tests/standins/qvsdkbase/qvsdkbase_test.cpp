// The stand-in host: zones it refuses, the lock, the memory behind value arrays, and load after
// load in one process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "standins/qvsdkbase/host_control.h"
#include "standins/qvtoolbox/arg_list.h"
#include "standins/qvtoolbox/string_list.h"
#include "tests/support/temp_dir.h"

extern "C" void InitQorAddOn113(void);

namespace {

constexpr QvDataType D = QV_DATATYPE_DOUBLE;
constexpr QvDataType I = QV_DATATYPE_INT32;

// In a dataset of a double and an integer variable, the well-formed zone is added; every later
// one lacks an argument, has one too many or one that does not fit, and is refused.
TEST(MiniHost, EveryFaultyZoneIsRefusedAndAddsNothing) {
  static const QvDataType good[] = {D, I}, badCode[] = {D, 1}, allInt[] = {I, I};
  static const QvZoneNum shareOne[] = {1, 0}, shareTwo[] = {0, 2};
  // An argument: a text, an integer or an array.
  using Arg = std::pair<const char*, std::variant<const char*, int64_t, const int32_t*>>;
  const Arg name{"Name", "z"}, points{"IMax", 5}, types{"VarDataType", good};
  const Arg sharesFirst{"VarShareZoneList", shareOne};
  const struct {
    const char* what;
    bool added;
    std::vector<Arg> args;
  } zones[] = {
      {"well formed", true, {name, points, types}},
      {"no name", false, {points, types}},
      {"no point count", false, {name, types}},
      {"no types", false, {name, points}},
      {"no points", false, {name, {"IMax", 0}, types}},
      {"unknown type code", false, {name, points, {"VarDataType", badCode}}},
      {"shares with a zone not made", false, {name, points, types, {"VarShareZoneList", shareTwo}}},
      {"shares a type that differs", false, {name, points, {"VarDataType", allInt}, sharesFirst}},
      {"shares with a zone of another length", false, {name, {"IMax", 6}, types, sharesFirst}},
      {"an argument too many", false, {name, points, types, {"JMax", 1}}},
      {"name twice", false, {name, name, points, types}},
  };
  qvsdkbase::reset();
  QorUtilLockOn();
  qorvian::StringList names;
  qorvian::ArgList dataSet;
  ASSERT_TRUE(names.append("x") && names.append("n") && dataSet.appendString("DataSetTitle", "T") &&
              dataSet.appendString("LoaderName", "L") &&
              dataSet.appendStringList("VarNames", names) &&
              QorUtilDataSetCreateX(dataSet.getRef()));
  for (const auto& zone : zones) {
    const qorvian::ArgList args;
    const QvArgList l = args.getRef();
    for (const auto& [key, value] : zone.args) {
      if (value.index() == 0) QorUtilArgListAppendString(l, key, std::get<0>(value));
      if (value.index() == 1) QorUtilArgListAppendInt(l, key, std::get<1>(value));
      if (value.index() == 2) QorUtilArgListAppendArray(l, key, std::get<2>(value));
    }
    EXPECT_EQ(QorUtilDataSetAddZoneX(l) != 0, zone.added) << zone.what;
    EXPECT_EQ(QorUtilDataSetGetNumZones(), 1) << zone.what;
  }
}

// A call made without the lock, an unlock that does not match the innermost lock, and a load
// finish without its start or with the reserved argument set are each recorded once; locks and a
// load nested in order record nothing.
TEST(MiniHostLock, ViolationsAreRecordedOnlyForUnlockedOrUnpairedCalls) {
  static int notAnAddOn = 0;
  using Step = void (*)(QvAddOn addOn);
  const Step on = [](QvAddOn) { QorUtilLockOn(); };
  const Step off = [](QvAddOn) { QorUtilLockOff(); };
  const Step start = [](QvAddOn addOn) { QorUtilLockStart(addOn); };
  const Step finish = [](QvAddOn addOn) { QorUtilLockFinish(addOn); };
  const Step foreign = [](QvAddOn) { QorUtilLockStart(reinterpret_cast<QvAddOn>(&notAnAddOn)); };
  const Step message = [](QvAddOn) { QorUtilDialogErrMsg("m"); };
  const Step load = [](QvAddOn) { QorUtilDataLoadStart(); };
  const Step loaded = [](QvAddOn) { QorUtilDataLoadFinishX(nullptr, 0); };
  const Step reserved = [](QvAddOn) { QorUtilDataLoadFinishX(nullptr, 1); };
  const struct {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::string> violations;
  } cases[] = {
      {"nested", {start, on, message, load, loaded, off, finish}, {}},
      {"message", {message}, {"QorUtilDialogErrMsg called without the host lock"}},
      {"off", {off}, {"QorUtilLockOff without a matching QorUtilLockOn"}},
      {"start, off", {start, off}, {"QorUtilLockOff without a matching QorUtilLockOn"}},
      {"on, finish", {on, finish}, {"QorUtilLockFinish without a matching QorUtilLockStart"}},
      {"foreign", {foreign}, {"QorUtilLockStart with a handle that is not a registered add-on"}},
      {"on, loaded", {on, loaded}, {"QorUtilDataLoadFinishX without QorUtilDataLoadStart"}},
      {"reserved", {on, load, reserved}, {"QorUtilDataLoadFinishX with reserved argument 1"}},
  };
  for (const auto& c : cases) {
    qvsdkbase::reset();
    QorUtilLockOn();
    const QvAddOn addOn = QorUtilAddOnRegister(1, "a", "v", "w");
    QorUtilLockOff();
    for (const Step step : c.steps) step(addOn);
    EXPECT_EQ(qvsdkbase::violations(), c.violations) << c.what;
  }
}

// Value arrays and zone blocks of sizes on either side of the size from which they come as pages
// of their own: zero-filled and writable to the last byte, and an array's own mapping holds all
// of its bytes.
TEST(ValueMemory, ArraysAndBlocksAreZeroedAndWritableOnEitherSideOfThePageThreshold) {
  // Expects the bytes at the start, middle and end zero, then writes them and reads them back.
  const auto expectZeroedAndWritable = [](void* data, size_t bytes) {
    auto* at = static_cast<unsigned char*>(data);
    const size_t offsets[] = {0, bytes / 2, bytes - 1};
    for (const size_t offset : offsets) EXPECT_EQ(at[offset], 0) << "at " << offset;
    for (const size_t offset : offsets) at[offset] = 0x5a;
    for (const size_t offset : offsets) EXPECT_EQ(at[offset], 0x5a) << "at " << offset;
  };
  constexpr int64_t kMiB = int64_t{1} << 20;
  const std::pair<QvDataType, int64_t> arrays[] = {
      {D, 0}, {I, 1000}, {D, 2 * kMiB / 8 - 1}, {D, 2 * kMiB / 8}, {I, 3 * kMiB}};
  for (const auto& [type, size] : arrays) {
    SCOPED_TRACE(testing::Message() << size << " values of type " << type);
    const qvsdkbase::ValueArray array(type, size);
    const auto bytes = static_cast<size_t>(size == 0 ? 1 : size) * (type == I ? 4 : 8);
    EXPECT_TRUE(array.mappedBytes == 0 || array.mappedBytes >= bytes) << array.mappedBytes;
    expectZeroedAndWritable(array.data, bytes);
  }
  for (const size_t bytes : {size_t{0}, size_t{4096}, size_t{2} << 20, size_t{24} << 20}) {
    SCOPED_TRACE(testing::Message() << "block of " << bytes << " bytes");
    const std::shared_ptr<void> block = qvsdkbase::allocateValueBlock(bytes);
    ASSERT_NE(block, nullptr);
    expectZeroedAndWritable(block.get(), bytes == 0 ? 1 : bytes);
  }
}

// The arrays a loader asks for lie together at the front of their zone's block, in the order
// asked; those never asked for lie behind them, all zeros; a shared array stays its owner's.
TEST(ValueMemory, ArraysAskedForTakeTheFrontOfTheirZone) {
  static const QvDataType types[] = {D, I, D, D, D};
  static const QvZoneNum shared[] = {1, 0, 0, 0, 0};
  const struct {
    std::vector<QvVarNum> asked;  // in the second zone, in this order
    std::vector<QvVarNum> front;  // the variables whose arrays then lie in slots 0, 1, ...
  } cases[] = {
      {{}, {2, 3, 4, 5}},
      {{5, 2}, {5, 2, 4, 3}},
      {{1, 4, 4, 3}, {4, 3, 2, 5}},  // 1 is zone 1's; 4 asked twice takes one slot
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.asked));
    qvsdkbase::reset();
    QorUtilLockOn();
    qorvian::StringList names;
    qorvian::ArgList dataSet;
    for (const char* name : {"a", "b", "c", "d", "e"}) ASSERT_TRUE(names.append(name));
    ASSERT_TRUE(
        dataSet.appendString("DataSetTitle", "T") && dataSet.appendString("LoaderName", "L") &&
        dataSet.appendStringList("VarNames", names) && QorUtilDataSetCreateX(dataSet.getRef()));
    for (const bool second : {false, true}) {
      qorvian::ArgList zone;
      const QvArgList l = zone.getRef();
      ASSERT_TRUE(zone.appendString("Name", "z") && zone.appendInt("IMax", 1000) &&
                  QorUtilArgListAppendArray(l, "VarDataType", types) == 1 &&
                  (!second || QorUtilArgListAppendArray(l, "VarShareZoneList", shared) == 1) &&
                  QorUtilDataSetAddZoneX(l));
    }
    for (const QvVarNum variable : c.asked) {
      void* values = nullptr;
      QvDataType type = 0;
      QorUtilDataValueGetWritableRawPtr(2, variable, &values, &type);
      ASSERT_NE(values, nullptr);
      static_cast<char*>(values)[0] = 1;
    }
    QorUtilLockOff();
    const qvsdkbase::Zone& zone = qvsdkbase::dataSet()->zones[1];
    for (size_t slot = 0; slot < c.front.size(); ++slot) {
      const QvVarNum variable = c.front[slot];
      const qvsdkbase::ValueArray& array = *zone.values[static_cast<size_t>(variable - 1)];
      EXPECT_EQ(array.data, zone.slots.base + slot * zone.slots.bytes) << "variable " << variable;
      const bool written = std::count(c.asked.begin(), c.asked.end(), variable) > 0;
      EXPECT_EQ(array.asDouble(0) != 0, written) << "variable " << variable;
    }
    EXPECT_EQ(zone.values[0], qvsdkbase::dataSet()->zones[0].values[0]);
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
    size_t zones;                           // in the dataset taken out
    std::vector<QvZoneNum> countsAnswered;  // where each later file's zones begin
    std::vector<std::string> messages;
  } loads[] = {
      {{good}, 2, {}, {}},
      {{good, good, good}, 6, {2, 4}, {}},
      // Refused after its zone was added: the caller drops it.
      {{bad}, 1, {}, {"File \"" + bad + "\", line 7: Invalid or missing double precision value"}},
      {{good}, 2, {}, {}},
  };
  for (const auto& load : loads) {
    SCOPED_TRACE(testing::PrintToString(load.files));
    QvStringList picked = qvsdkbase::makeStringList(load.files);
    qvsdkbase::loaders()[0].selectedCallback(picked);
    qvsdkbase::freeStringList(picked);
    const qvsdkbase::LoadResult result = qvsdkbase::takeLoadResult(0);
    ASSERT_TRUE(result.dataSet.has_value());
    EXPECT_EQ(std::tuple(result.dataSet->zones.size(), result.dataSet->zoneCountsAnswered,
                         result.messages, result.instructions.has_value()),
              std::tuple(load.zones, load.countsAnswered, load.messages, load.messages.empty()));
    // The host holds nothing more of the load, but its registration and lock state.
    EXPECT_TRUE(qvsdkbase::dataSet() == nullptr && qvsdkbase::messages().empty() &&
                qvsdkbase::calls().empty() && qvsdkbase::lockDepth() == 0);
    ASSERT_EQ(qvsdkbase::loaders().size(), 1u);
    EXPECT_FALSE(qvsdkbase::loaders()[0].instructions.has_value());
  }
  qvsdkbase::setCallLog(true);
  QorUtilDataSetGetNumZones();
  EXPECT_EQ(qvsdkbase::calls().size(), 1u);
}

}  // namespace
