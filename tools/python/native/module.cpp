// convergeout._native: the add-on's load, given to Python. Loads run without the interpreter
// lock; the value arrays the load filled reach numpy without a copy.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tools/minihost/host/value_view.h"
#include "tools/minihost/host/variable_lookup.h"
#include "tools/python/native/load_session.h"

namespace py = pybind11;

namespace {

// A text from the host as a Python str: UTF-8, with any byte that is not UTF-8 kept as a lone
// surrogate (the surrogateescape error handler), so that no text ever fails to decode and each
// encodes back to the same bytes.
py::str hostText(std::string_view text) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

py::list hostTexts(const std::vector<std::string>& texts) {
  py::list list;
  for (const std::string& text : texts) list.append(hostText(text));
  return list;
}

// The host's bytes of a Python str, the inverse of hostText. Throws UnicodeEncodeError for
// text that is not a str of such characters.
std::string hostBytes(const py::handle& text) {
  PyObject* encoded = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
  if (encoded == nullptr) throw py::error_already_set();
  const auto bytes = py::reinterpret_steal<py::bytes>(encoded);
  return std::string(bytes);
}

using SharedValues = std::shared_ptr<const qvsdkbase::ValueArray>;

// A read-only one-dimensional ndarray over the host's value array. Its base is a capsule that
// holds a reference to the array, so the values (and the zone's memory block that holds them)
// live as long as the ndarray or any view of it.
py::array valueArray(const SharedValues& values) {
  auto owner = std::make_unique<SharedValues>(values);
  py::capsule base(owner.get(), [](void* held) { delete static_cast<SharedValues*>(held); });
  owner.release();  // the capsule owns it now
  py::array array = cvl::minihost::ValueView(*values).visit([&](auto typed) {
    using Value = typename decltype(typed)::value_type;  // double or int32_t
    const auto size = static_cast<py::ssize_t>(typed.size());
    return py::array(py::dtype::of<Value>(), {size}, {}, typed.data(), base);
  });
  py::detail::array_proxy(array.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
  return array;
}

// The dataset as plain Python objects: {"title", "variables", "zones": [{"name", "points",
// "values": [ndarray per variable], "shared": [zone number or 0 per variable], "file": position
// of its file or None}]}. A variable that zones share is one ndarray object in each of them.
py::dict dataSetObject(const qvsdkbase::DataSet& dataSet, const std::vector<size_t>& zoneFiles) {
  std::unordered_map<const qvsdkbase::ValueArray*, py::array> arrays;
  py::list zones;
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet.zones[z];
    py::list values;
    for (const auto& array : zone.values) {
      auto [cached, added] = arrays.try_emplace(array.get());
      if (added) cached->second = valueArray(array);
      values.append(cached->second);
    }
    py::dict zoneObject;
    zoneObject["name"] = hostText(zone.name);
    zoneObject["points"] = zone.points;
    zoneObject["values"] = std::move(values);
    zoneObject["shared"] = py::cast(zone.shareZones);
    zoneObject["file"] = zoneFiles.empty() ? py::object(py::none()) : py::cast(zoneFiles[z]);
    zones.append(std::move(zoneObject));
  }
  py::dict object;
  object["title"] = hostText(dataSet.title);
  object["variables"] = hostTexts(dataSet.variables);
  object["zones"] = std::move(zones);
  return object;
}

// Runs one load without the interpreter lock.
cvl::python::LoadOutcome runLoad(const std::vector<std::string>& fileNames) {
  const py::gil_scoped_release unlocked;
  return cvl::python::loadFiles(fileNames);
}

void checkAddOnFault(const cvl::python::LoadOutcome& outcome) {
  if (!outcome.addOnFault.empty()) {
    throw std::runtime_error("the add-on let an exception out of its selection callback: " +
                             outcome.addOnFault);
  }
}

// The variable names of one dataset, held once in the host's bytes for the lookups of its zones.
class VariableIndex {
 public:
  explicit VariableIndex(const py::list& names) {
    names_.reserve(names.size());
    for (const py::handle name : names) names_.push_back(hostBytes(name));
  }

  // The position of the variable that name names, as minihost finds a variable on its command
  // line; KeyError with the candidates when none or several match.
  size_t find(const py::str& name) const {
    std::string error;
    const std::optional<size_t> found = cvl::minihost::findVariable(names_, hostBytes(name), error);
    if (!found) throw py::key_error(hostText(error));
    return *found;
  }

 private:
  std::vector<std::string> names_;
};

}  // namespace

PYBIND11_MODULE(_native, module) {
  module.doc() = "The add-on's load in the stand-in host; use the convergeout package instead.";

  std::string error;
  if (!cvl::python::startAddOn(error)) {
    throw py::import_error("convergeout cannot start its loader: " + error +
                           "; reinstall the package");
  }

  module.def(
      "load",
      [](const std::vector<std::string>& fileNames) {
        const cvl::python::LoadOutcome outcome = runLoad(fileNames);
        checkAddOnFault(outcome);
        py::object dataSet =
            outcome.loaded ? py::object(dataSetObject(*outcome.result.dataSet, outcome.zoneFiles))
                           : py::object(py::none());
        return py::make_tuple(hostTexts(outcome.result.messages), std::move(dataSet));
      },
      py::arg("file_names"),
      "load(file_names) -> (messages, dataset or None): one load of the files (bytes names).");

  module.def(
      "time_selection_callback",
      [](const std::vector<std::string>& fileNames) {
        auto outcome = std::make_unique<cvl::python::LoadOutcome>(runLoad(fileNames));
        checkAddOnFault(*outcome);
        const double seconds = outcome->callbackSeconds;
        const bool loaded = outcome->loaded;
        py::capsule kept(outcome.get(),
                         [](void* held) { delete static_cast<cvl::python::LoadOutcome*>(held); });
        outcome.release();
        return py::make_tuple(seconds, loaded, std::move(kept));
      },
      py::arg("file_names"),
      "time_selection_callback(file_names) -> (seconds, loaded, result): the bare selection "
      "callback's time for benchmarks; the result is freed when dropped.");

  module.def(
      "split_unit",
      [](const py::str& fullName) {
        const std::string bytes = hostBytes(fullName);
        const cvl::minihost::NameAndUnit parts = cvl::minihost::splitUnit(bytes);
        return py::make_tuple(hostText(parts.name), parts.unit ? py::object(hostText(*parts.unit))
                                                               : py::object(py::none()));
      },
      py::arg("full_name"), "split_unit(full_name) -> (name, unit or None).");

  py::class_<VariableIndex>(module, "VariableIndex")
      .def(py::init<const py::list&>(), py::arg("names"))
      .def("find", &VariableIndex::find, py::arg("name"),
           "find(name) -> position of the variable; KeyError listing candidates otherwise.");
}
