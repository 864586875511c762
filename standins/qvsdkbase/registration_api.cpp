// Add-on and loader registration, and the loaders' stored instruction lists.
#include <algorithm>
#include <array>

#include "standins/qvsdkbase/arg_reader.h"
#include "standins/qvsdkbase/host_state.h"

using qvsdkbase::ArgKind;
using qvsdkbase::copyText;
using qvsdkbase::enterCall;
using qvsdkbase::host;

QvAddOn QorUtilAddOnRegister(int32_t productCode, const char* name, const char* version,
                             const char* author) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilAddOnRegister", copyText(name))) return nullptr;
  auto& h = host();
  h.addOns.push_back(
      qvsdkbase::AddOn{productCode, copyText(name), copyText(version), copyText(author)});
  h.addOnHandles.push_back(std::make_shared<QvAddOn_s>());
  return h.addOnHandles.back().get();
}

namespace {

enum LoaderKey : size_t {
  Name,
  Extensions,
  CallbackVersion,
  Callback,
  SelectedCallback,
  MultiFileSelection,
  AdvancedOptions
};

constexpr std::array<qvsdkbase::ArgSpec, 7> loaderKeys{{
    {"LoaderName", ArgKind::String, true},
    {"FileNameExtensions", ArgKind::String, false},
    {"LoaderCallbackVersion", ArgKind::Int, false},
    {"LoaderCallback", ArgKind::Function, true},
    {"LoaderSelectedCallback", ArgKind::Function, false},
    {"AllowMultiFileSelection", ArgKind::Int, false},
    {"LoaderAdvancedOptions", ArgKind::Int, false},
}};

qvsdkbase::Loader* findLoader(const char* name) {
  if (name == nullptr) return nullptr;
  auto& loaders = host().loaders;
  const auto found = std::find_if(loaders.begin(), loaders.end(),
                                  [&](const qvsdkbase::Loader& l) { return l.name == name; });
  return found == loaders.end() ? nullptr : &*found;
}

}  // namespace

// Refuses an arg list without a name or a callback, with a key it does not know or a value of
// the wrong kind, and a second loader of a name already registered.
QvBoolean QorUtilImportAddLoaderX(QvArgList args) {
  const qvsdkbase::InsideHostCall inside;
  const QvArgList_s* list = qvsdkbase::findArgList(args);
  if (enterCall("QorUtilImportAddLoaderX", qvsdkbase::textArg(list, "LoaderName"))) return 0;
  qvsdkbase::ArgValues values;
  if (list == nullptr || !values.read(*list, loaderKeys)) return 0;
  if (values.function(Callback) == nullptr) return 0;
  if (findLoader(values.text(Name).c_str()) != nullptr) return 0;

  qvsdkbase::Loader loader;
  loader.name = values.text(Name);
  if (values.has(Extensions)) loader.fileNameExtensions = values.text(Extensions);
  if (values.has(CallbackVersion)) loader.callbackVersion = values.integer(CallbackVersion);
  // The C API carries every callback as a plain function address; the loader's own forms are
  // given back as registered.
  loader.callback = reinterpret_cast<QvLoaderCallback>(values.function(Callback));
  if (values.has(SelectedCallback)) {
    loader.selectedCallback =
        reinterpret_cast<QvLoaderSelectedCallback>(values.function(SelectedCallback));
  }
  if (values.has(MultiFileSelection)) {
    loader.allowMultiFileSelection = values.integer(MultiFileSelection);
  }
  if (values.has(AdvancedOptions)) loader.advancedOptions = values.integer(AdvancedOptions);
  host().loaders.push_back(std::move(loader));
  return 1;
}

QvBoolean QorUtilImportSetLoaderInstr(const char* loaderName, QvStringList instructions) {
  const qvsdkbase::InsideHostCall inside;
  if (enterCall("QorUtilImportSetLoaderInstr", copyText(loaderName))) return 0;
  qvsdkbase::Loader* loader = findLoader(loaderName);
  const QvStringList_s* list = qvsdkbase::findStringList(instructions);
  if (loader == nullptr || list == nullptr) return 0;
  loader->instructions = list->entries;
  return 1;
}
