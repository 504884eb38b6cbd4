// A small result type: a value or an error message. Failures that are part of
// the behaviour (a bad file, too little memory) travel as values, never as
// exceptions.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>
#include <variant>

namespace core {

struct Error {
    std::string message;
};

// printf-style message builder (g++ 12 has no std::format).
inline Error Fail(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
inline Error Fail(const char* fmt, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return Error{buf};
}

template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    T& operator*() & { return std::get<0>(v_); }

    const Error& error() const { return std::get<1>(v_); }
    const std::string& message() const { return std::get<1>(v_).message; }

  private:
    std::variant<T, Error> v_;
};

struct Unit {};
using Status = Result<Unit>;
inline Status Ok() { return Unit{}; }

} // namespace core
