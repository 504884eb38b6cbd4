#include "core/imagelib/imagelib.h"

namespace core::imagelib {

namespace {
thread_local std::string t_lastError;
}

std::string LastError() { return t_lastError; }
void SetLastError(std::string message) { t_lastError = std::move(message); }

} // namespace core::imagelib
