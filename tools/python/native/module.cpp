// convergeout._native: the add-on's load, given to Python. Loads run without the interpreter
// lock, each in a host of its own; the value arrays the load filled reach numpy without a copy.
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
  array.attr("flags").attr("writeable") = false;
  return array;
}

py::dict headerObject(const cvl::python::HeaderFacts& facts) {
  py::list columns;
  for (const cvl::python::HeaderColumn& column : facts.columns) {
    columns.append(py::make_tuple(hostText(column.name), column.integer, column.variable,
                                  column.zone, column.shared));
  }
  py::list regions;
  for (const std::optional<std::string>& region : facts.regions) {
    regions.append(region ? py::object(hostText(*region)) : py::object(py::none()));
  }
  py::dict object;
  object["variables"] = hostTexts(facts.variables);
  object["integer"] = py::cast(facts.integer);
  object["zone_names"] = hostTexts(facts.zoneNames);
  object["regions"] = std::move(regions);
  object["columns"] = std::move(columns);
  object["num_values"] = facts.numValues;
  return object;
}

py::list noteObjects(const std::vector<cvl::python::ReadNote>& notes) {
  py::list objects;
  for (const cvl::python::ReadNote& note : notes) {
    py::list header;
    for (const cvl::python::ToleratedLine& line : note.header) {
      header.append(py::make_tuple(line.line, hostText(line.firstToken)));
    }
    py::dict object;
    object["file"] = py::bytes(note.fileName);
    object["header"] = std::move(header);
    object["unfinished_bytes"] = note.unfinishedBytes;
    object["last_line_left_out"] = note.lastLineLeftOut;
    objects.append(std::move(object));
  }
  return objects;
}

// The dataset as plain Python objects: {"title", "variables", "integer": [bool per variable],
// "zones": [{"name", "points", "file": position of its file or None, "numbers": [the variables
// (from 0) the zone has values of], "values": [ndarray per number], "shared": [zone number or 0
// per number]}], "headers": [header object or None per file]}. A zone has values of a variable
// when the loader asked for its array, or shares one it asked for; a variable that zones share
// is one ndarray object in each of them.
py::dict dataSetObject(const cvl::python::LoadOutcome& outcome) {
  const qvsdkbase::DataSet& dataSet = *outcome.result.dataSet;
  std::unordered_map<const qvsdkbase::ValueArray*, py::array> arrays;
  py::list zones;
  for (size_t z = 0; z < dataSet.zones.size(); ++z) {
    const qvsdkbase::Zone& zone = dataSet.zones[z];
    py::list numbers, values, shared;
    for (size_t v = 0; v < zone.values.size(); ++v) {
      if (!dataSet.hasValues(z, v)) continue;
      auto [cached, added] = arrays.try_emplace(zone.values[v].get());
      if (added) cached->second = valueArray(zone.values[v]);
      numbers.append(v);
      values.append(cached->second);
      shared.append(zone.shareZones[v]);
    }
    py::dict zoneObject;
    zoneObject["name"] = hostText(zone.name);
    zoneObject["points"] = zone.points;
    zoneObject["numbers"] = std::move(numbers);
    zoneObject["values"] = std::move(values);
    zoneObject["shared"] = std::move(shared);
    zoneObject["file"] =
        outcome.zoneFiles.empty() ? py::object(py::none()) : py::cast(outcome.zoneFiles[z]);
    zones.append(std::move(zoneObject));
  }
  py::list integer;
  for (size_t v = 0; v < dataSet.variables.size(); ++v) {
    integer.append(!dataSet.zones.empty() && v < dataSet.zones[0].types.size() &&
                   dataSet.zones[0].types[v] == QV_DATATYPE_INT32);
  }
  py::list headers;
  for (const auto& facts : outcome.headers) {
    headers.append(facts ? py::object(headerObject(*facts)) : py::object(py::none()));
  }
  py::dict object;
  object["title"] = hostText(dataSet.title);
  object["variables"] = hostTexts(dataSet.variables);
  object["integer"] = std::move(integer);
  object["zones"] = std::move(zones);
  object["headers"] = std::move(headers);
  return object;
}

cvl::python::ReadOptions readOptions(bool lenientHeader, bool completeTail,
                                     const std::vector<std::string>& leaveOutLastLine = {}) {
  cvl::python::ReadOptions options;
  options.lenientHeader = lenientHeader;
  options.completeTail = completeTail;
  options.leaveOutLastLine.insert(leaveOutLastLine.begin(), leaveOutLastLine.end());
  return options;
}

void checkAddOnFault(const cvl::python::LoadOutcome& outcome) {
  if (!outcome.addOnFault.empty()) {
    throw std::runtime_error("the add-on let an exception out of its selection callback: " +
                             outcome.addOnFault);
  }
}

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
      [](const std::vector<std::string>& fileNames, bool lenientHeader, bool completeTail,
         const std::vector<std::string>& leaveOutLastLine) {
        const cvl::python::ReadOptions options =
            readOptions(lenientHeader, completeTail, leaveOutLastLine);
        std::optional<cvl::python::LoadOutcome> outcome;
        {
          const py::gil_scoped_release unlocked;
          outcome.emplace(cvl::python::loadFiles(fileNames, options));
        }
        checkAddOnFault(*outcome);
        py::object dataSet = outcome->loaded ? py::object(dataSetObject(*outcome))
                                             : py::object(py::none());
        return py::make_tuple(hostTexts(outcome->result.messages), std::move(dataSet),
                              noteObjects(outcome->notes));
      },
      py::arg("file_names"), py::arg("lenient_header") = false, py::arg("complete_tail") = false,
      py::arg("leave_out_last_line") = std::vector<std::string>{},
      "load(file_names, lenient_header=False, complete_tail=False, leave_out_last_line=[]) -> "
      "(messages, dataset or None, notes): one load of the files (bytes names); with "
      "complete_tail, the last whole line of the files in leave_out_last_line is left out too.");

  module.def(
      "read_header",
      [](const std::string& fileName, bool lenientHeader) {
        const cvl::python::ReadOptions options = readOptions(lenientHeader, false);
        std::optional<cvl::python::HeaderOutcome> outcome;
        {
          const py::gil_scoped_release unlocked;
          outcome.emplace(cvl::python::readHeader(fileName, options));
        }
        py::object facts =
            outcome->facts ? py::object(headerObject(*outcome->facts)) : py::object(py::none());
        return py::make_tuple(hostTexts(outcome->messages), std::move(facts),
                              noteObjects(outcome->notes));
      },
      py::arg("file_name"), py::arg("lenient_header") = false,
      "read_header(file_name, lenient_header=False) -> (messages, header or None, notes): the "
      "file's header as a load reads it, without its rows.");

  module.def(
      "split_unit",
      [](const py::str& fullName) {
        const std::string bytes = hostBytes(fullName);
        const cvl::minihost::NameAndUnit parts = cvl::minihost::splitUnit(bytes);
        return py::make_tuple(hostText(parts.name), parts.unit ? py::object(hostText(*parts.unit))
                                                               : py::object(py::none()));
      },
      py::arg("full_name"), "split_unit(full_name) -> (name, unit or None).");
}
