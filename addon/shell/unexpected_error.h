// The last line of defence at the add-on's border: no exception may reach the host.
#ifndef CVL_ADDON_SHELL_UNEXPECTED_ERROR_H
#define CVL_ADDON_SHELL_UNEXPECTED_ERROR_H

#include <exception>

namespace cvl {

// Shows "Unexpected error: " followed by the exception's what() ("unknown exception" for one
// not derived from std::exception) in the host's error dialog; error holds the exception that a
// catch block caught. Never throws: when even the report fails, it is dropped.
void reportUnexpectedError(const std::exception_ptr& error) noexcept;

}  // namespace cvl

#endif  // CVL_ADDON_SHELL_UNEXPECTED_ERROR_H
