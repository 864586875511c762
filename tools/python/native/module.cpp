// convergeout._native: the add-on's load, given to Python. Loads run without the interpreter
// lock, each in a host of its own; the value arrays the load filled reach numpy without a copy.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
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
#include "tools/python/native/row_blocks.h"

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
  object["title"] = hostText(facts.title);
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

// The bytes of a Python object that offers them in one piece (bytes, bytearray, a memoryview of
// either); TypeError otherwise. The view lives as long as info.
std::string_view bytesOf(const py::buffer& buffer, py::buffer_info& info) {
  info = buffer.request();
  if (info.itemsize != 1 || info.ndim != 1 || (info.size > 1 && info.strides[0] != 1)) {
    throw py::type_error("expected bytes in one piece, such as bytes or a memoryview of them");
  }
  return {static_cast<const char*>(info.ptr), static_cast<size_t>(info.size)};
}

// The layout of blocks' zones: per zone a pair (numbers: the variables from 0 it has values of,
// shared: the zone from 1 whose values each shares, or 0).
py::list zoneLayout(const cvl::python::RowBlocks& blocks) {
  py::list zones;
  for (const auto& variables : blocks.zones()) {
    py::list numbers, shared;
    for (const auto& variable : variables) {
      numbers.append(variable.variable);
      shared.append(variable.shareZone);
    }
    zones.append(py::make_tuple(std::move(numbers), std::move(shared)));
  }
  return zones;
}

// Reads the block [start, end) of buffer, whole lines with kRowPadding bytes of buffer before and
// after them, in place into new arrays: (per zone the list of its arrays, as zoneLayout orders
// them; the rows read whole; the first faulty row's message or None). An array shared by several
// zones is one ndarray object in each. ValueError for a block without that room around it or
// whose last line has no line end.
py::tuple readBlock(const cvl::python::RowBlocks& blocks, const py::buffer& buffer, size_t start,
                    size_t end) {
  py::buffer_info info;
  const std::string_view bytes = bytesOf(buffer, info);
  constexpr size_t kPadding = cvl::python::kRowPadding;
  if (start > end || start < kPadding || end > bytes.size() || bytes.size() - end < kPadding) {
    throw py::value_error("a block of rows needs " + std::to_string(kPadding) +
                          " bytes of its buffer before and after it");
  }
  const std::string_view lines = bytes.substr(start, end - start);
  if (!lines.empty() && lines.back() != '\n') {
    throw py::value_error("a block of rows must end with a line end");
  }
  int64_t count = 0;
  {
    const py::gil_scoped_release unlocked;
    count = std::count(lines.begin(), lines.end(), '\n');
  }
  std::vector<py::array> arrays;
  std::vector<void*> values;
  for (const auto& array : blocks.arrays()) {
    const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(count)};
    arrays.push_back(array.integer ? py::array(py::dtype::of<int32_t>(), shape)
                                   : py::array(py::dtype::of<double>(), shape));
    values.push_back(arrays.back().mutable_data());
  }
  const char* fault = nullptr;
  int64_t read = 0;
  {
    const py::gil_scoped_release unlocked;
    read = blocks.readBlock(lines, count, values, fault);
  }
  if (read < count) {
    for (py::array& array : arrays) {
      array = py::reinterpret_borrow<py::array>(array[py::slice(0, read, 1)]);
    }
  }
  py::list zones;
  for (const auto& variables : blocks.zones()) {
    py::list zoneValues;
    for (const auto& variable : variables) zoneValues.append(arrays[variable.array]);
    zones.append(std::move(zoneValues));
  }
  return py::make_tuple(std::move(zones), read,
                        fault != nullptr ? py::object(py::str(fault)) : py::object(py::none()));
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
        py::object dataSet =
            outcome->loaded ? py::object(dataSetObject(*outcome)) : py::object(py::none());
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
      "read_header_text",
      [](const std::string& fileName, const py::buffer& text, bool lenientHeader) {
        const cvl::python::ReadOptions options = readOptions(lenientHeader, false);
        py::buffer_info info;
        const std::string_view bytes = bytesOf(text, info);
        std::optional<cvl::python::HeaderOutcome> outcome;
        {
          const py::gil_scoped_release unlocked;
          outcome.emplace(cvl::python::readHeaderText(fileName, bytes, options));
        }
        py::object facts = py::none(), blocks = py::none();
        if (outcome->facts) {
          facts = headerObject(*outcome->facts);
          blocks = py::cast(cvl::python::RowBlocks(std::move(*outcome->facts)));
        }
        return py::make_tuple(hostTexts(outcome->messages), std::move(facts),
                              noteObjects(outcome->notes), std::move(blocks));
      },
      py::arg("file_name"), py::arg("text"), py::arg("lenient_header") = false,
      "read_header_text(file_name, text, lenient_header=False) -> (messages, header or None, "
      "notes, RowBlocks or None): the header of the named file from text, its first bytes (at "
      "least six whole lines), as a load reads it; the file is not opened.");

  py::class_<cvl::python::RowBlocks>(module, "RowBlocks",
                                     "The rows of a followed file, a block of whole lines at a "
                                     "time; made by read_header_text.")
      .def_property_readonly("zones", &zoneLayout,
                             "Per zone: (numbers, shared), the variables (from 0) it has values "
                             "of and the zone (from 1) whose values each shares, or 0.")
      .def("read", &readBlock, py::arg("buffer"), py::arg("start"), py::arg("end"),
           "read(buffer, start, end) -> (values per zone, rows, fault or None): the rows of the "
           "whole lines buffer[start:end], read in place as a load reads rows (ROW_PADDING "
           "bytes of buffer before and after them), into new arrays; the rows before the first "
           "faulty one, whose message is fault.");
  module.attr("ROW_PADDING") = cvl::python::kRowPadding;

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
