// The stand-in host's inspection and control interface, for the tests and the minihost program.
//
// libqvsdkbase implements the host's C API (standins/qorutil/qorutil_api.h) over an in-memory host:
// the process's one host, or, on a thread where a HostSession lives, that session's host.
// Everything here reads or changes the host of the calling thread. Nothing here is called by the
// add-on. A host, like the real one, runs the add-on on one thread: two threads that load at the
// same time each need a session of their own.
#ifndef CVL_STANDINS_QVSDKBASE_HOST_CONTROL_H
#define CVL_STANDINS_QVSDKBASE_HOST_CONTROL_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "standins/qorutil/qorutil_api.h"

// What the library exports. The build defines QVSDKBASE_BUILD while it compiles the library
// itself; everything else that includes this header imports.
#if defined(_WIN32)
#if defined(QVSDKBASE_BUILD)
#define QVSDKBASE_API __declspec(dllexport)
#else
#define QVSDKBASE_API __declspec(dllimport)
#endif
#else
#define QVSDKBASE_API __attribute__((visibility("default")))
#endif

namespace qvsdkbase {

// One call of the C API, in the order made. detail summarises the argument that tells calls of
// one function apart: the key of an append, the text of a message or string, "on"/"off" for
// QorUtilPleaseWait, the zone name for QorUtilDataSetAddZoneX; empty where there is none.
struct Call {
  std::string function;
  std::string detail;
};

// The values of one variable in one zone. Zones that share a variable hold the same array.
struct QVSDKBASE_API ValueArray {
  ValueArray(QvDataType type, int64_t size);  // zero-filled; throws std::bad_alloc
  // An array inside block, a zero-filled allocation that several arrays share; the last of
  // them to go frees it.
  ValueArray(QvDataType type, int64_t size, std::shared_ptr<void> block, void* data);
  ~ValueArray();
  ValueArray(const ValueArray&) = delete;
  ValueArray& operator=(const ValueArray&) = delete;

  QvDataType type;              // QV_DATATYPE_DOUBLE or QV_DATATYPE_INT32
  int64_t size;                 // number of values
  void* data;                   // size doubles or size int32_t values
  size_t mappedBytes = 0;       // length of data's own mapping; 0 when data came from calloc
  std::shared_ptr<void> block;  // the allocation that holds data, when shared with other arrays

  double asDouble(int64_t index) const;  // the value at index, an integer converted
  size_t bytes() const;                  // the bytes of its values: size times 4 or 8
};

struct Zone {
  std::string name;
  int64_t points = 0;
  std::vector<QvDataType> types;      // one per variable, as given in "VarDataType"
  std::vector<QvZoneNum> shareZones;  // one per variable, as given in "VarShareZoneList"; all
                                      // 0 when the zone was given none
  bool shareListGiven = false;        // "VarShareZoneList" was among the zone's arguments
  std::vector<std::shared_ptr<ValueArray>> values;  // one per variable
  // One per variable: QorUtilDataValueGetWritableRawPtr gave out this zone's array of it. A
  // loader asks only for the arrays it fills; the others keep the zeros the zone was made with.
  std::vector<bool> pointerGiven;

  // Where the zone's own arrays lie in its one block: in slots of equal size, which the arrays
  // take in the order a loader asks for their pointers (until then an array lies in any slot not
  // yet taken, all zeros), so that the arrays no loader writes lie together at the block's end,
  // never touched, and share no page with a written one but at the edge. The host's own
  // bookkeeping.
  struct Slots {
    char* base = nullptr;  // slot i is base + i * bytes
    size_t bytes = 0;
    size_t taken = 0;                // slots [0, taken) hold the arrays asked for
    std::vector<size_t> ofVariable;  // per variable: its slot (own arrays only)
    std::vector<size_t> variableIn;  // per slot: the variable whose array lies there
  } slots;
};

struct DataSet {
  std::string title;
  std::string loaderName;
  std::vector<std::string> variables;
  std::vector<Zone> zones;  // zone n is zones[n - 1]
  // What QorUtilDataSetGetNumZones answered while this dataset was the current one, in order. A
  // loader asks before it adds the zones of each file after the first, so a load of n files
  // that succeeded holds n - 1 answers: where each later file's zones begin.
  std::vector<QvZoneNum> zoneCountsAnswered;

  // True when zone zones[zone] holds values of variable `variable` (both from 0) that a loader
  // wrote: it asked for the writable pointer of the zone's own array, or the zone shares the
  // variable with a zone for which it asked. False for an array left as the zone was made
  // (zeros), and for positions out of range.
  bool hasValues(size_t zone, size_t variable) const {
    if (zone >= zones.size() || variable >= zones[zone].pointerGiven.size()) return false;
    const Zone& z = zones[zone];
    const QvZoneNum share = z.shareZones[variable];
    if (share < 1 || static_cast<size_t>(share) > zones.size()) return z.pointerGiven[variable];
    const Zone& owner = zones[static_cast<size_t>(share) - 1];
    return variable < owner.pointerGiven.size() && owner.pointerGiven[variable];
  }
};

struct AddOn {
  int32_t productCode = 0;
  std::string name;
  std::string version;
  std::string author;
};

struct Loader {
  std::string name;
  std::string fileNameExtensions;
  int64_t callbackVersion = 0;
  QvLoaderCallback callback = nullptr;
  QvLoaderSelectedCallback selectedCallback = nullptr;
  int64_t allowMultiFileSelection = 0;
  int64_t advancedOptions = 0;
  // The instruction list last handed back with QorUtilImportSetLoaderInstr, for replay.
  std::optional<std::vector<std::string>> instructions;
};

// How an injected fault makes a call fail.
enum class FaultKind {
  Fail,     // the function's failure result: false, a null handle, 0, or nothing
  Result,   // QorUtilArgListAppendArray only: return the given result
  BadAlloc  // throw std::bad_alloc, as an allocation failing inside the host would
};

// A zero-filled block of bytes for the arrays of one zone: one allocation instead of one per
// variable, mapped with huge pages when large. Throws std::bad_alloc.
QVSDKBASE_API std::shared_ptr<void> allocateValueBlock(size_t bytes);

// Everything that loads left in the host, taken out of it by takeLoadResult.
struct LoadResult {
  std::optional<DataSet> dataSet;     // with its value arrays, which now belong to the caller
  std::vector<std::string> messages;  // error-dialog texts, in order
  // The instruction list that the chosen loader handed back with QorUtilImportSetLoaderInstr;
  // nothing when it handed none back.
  std::optional<std::vector<std::string>> instructions;
};

struct Host;

// A host of its own for the loads of the thread that makes it, so that threads load at the same
// time. While the session lives, every C API call and every function of this interface made on
// that thread acts on the session's host: a host that knows the add-ons and loaders registered
// with the thread's host when the session began (the same handles and callbacks, no stored
// instructions) and holds nothing else. Its dataset, messages, lists, call log, faults, lock
// state and violations are its own, and end with it: handles it gave out are then unknown to
// every host. Other threads, and the process's host, see nothing of it. Throws std::bad_alloc.
// REQUIRES: destroyed on the thread that made it, sessions of one thread in the reverse order of
// their making; no add-on or loader is registered with the host it starts from while it begins.
class QVSDKBASE_API HostSession {
 public:
  HostSession();
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

 private:
  Host* host_ = nullptr;
  Host* previous_ = nullptr;
};

// Arms a rendezvous, for tests of loads that run at the same time: the next `parties` calls of
// the named C API function, on any thread and in any host, each wait at the call's start until
// all of them have arrived, or until `timeout` has passed since that call arrived; then the
// rendezvous is disarmed. Replaces a rendezvous still armed.
QVSDKBASE_API void armRendezvous(const std::string& function, int parties,
                                 std::chrono::milliseconds timeout);
// True when every party of the last armed rendezvous arrived before any of them gave up waiting.
QVSDKBASE_API bool rendezvousMet();

// Forgets everything: dataset, add-ons, loaders, call log, messages, lock state, violations,
// faults and the message sink. Handles given out before stay allocated but unknown to the host.
QVSDKBASE_API void reset();

// Makes the nth call (from 1, counted from now) of the named C API function fail as kind says.
// Several faults may be armed at once. A failing call is logged and has no other effect, except
// that a failing QorUtilDataLoadFinishX still ends the load bracket; a Result fault on
// QorUtilArgListAppendArray appends the array and returns result.
QVSDKBASE_API void injectFault(const std::string& function, int64_t nth, FaultKind kind,
                               int32_t result = 0);

// Takes the dataset, the error-dialog texts and the instructions stored for loaders[loader] out of
// the host, and clears every loader's stored instructions, the call log and the lock
// violations. The host keeps its registered add-ons and loaders (their handles and callbacks stay
// valid), its lock state and its armed faults: a long-lived process runs load after load,
// taking each result out, and a result it does not want (a refused load) is simply dropped.
// REQUIRES: no load is running.
QVSDKBASE_API LoadResult takeLoadResult(size_t loader);

// Switches the call log on (as it starts) or off. While it is off, calls() stays as it is:
// a process that runs thousands of loads keeps no record of their calls. Faults and lock
// violations are counted and recorded either way.
QVSDKBASE_API void setCallLog(bool on);

QVSDKBASE_API const std::vector<Call>& calls();
QVSDKBASE_API const std::vector<std::string>& messages();  // error-dialog texts, in order
// Called with each error-dialog text as it is shown, after it is recorded.
QVSDKBASE_API void setMessageSink(std::function<void(const std::string&)> sink);

// The current dataset, or null when none was created; valid until the next host call.
QVSDKBASE_API const DataSet* dataSet();
QVSDKBASE_API const std::vector<AddOn>& addOns();
QVSDKBASE_API const std::vector<Loader>& loaders();

// Lock state: nesting depth of LockOn/LockStart; open load brackets; busy indication.
QVSDKBASE_API int lockDepth();
QVSDKBASE_API int loadDepth();
QVSDKBASE_API bool busy();
// One description per misuse of the host's API, which a real host need not survive: a call made
// without the lock held, an unpaired unlock, or a list handle that the host did not give out
// (null, freed or foreign) passed to a call that reads or fills that list.
QVSDKBASE_API const std::vector<std::string>& violations();

// Arg lists and string lists given out and not yet freed, host-side lists included.
QVSDKBASE_API size_t openArgLists();
QVSDKBASE_API size_t openStringLists();

// True while a C API call runs on this thread: what is allocated then is the host's own.
QVSDKBASE_API bool insideHostCall();

// Host-side string lists (the picked file names, a stored instruction list): made and freed as
// the host itself does, outside the add-on's lock, without a violation or a log entry.
QVSDKBASE_API QvStringList makeStringList(const std::vector<std::string>& entries);
QVSDKBASE_API std::vector<std::string> readStringList(QvStringList list);
QVSDKBASE_API void freeStringList(QvStringList list);

}  // namespace qvsdkbase

#endif  // CVL_STANDINS_QVSDKBASE_HOST_CONTROL_H
