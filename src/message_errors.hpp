// The message layer reports faults by throwing; the library reports them as
// values.
#pragma once

#include <zor/package/error.hpp>

#include <kj/exception.h>

#include <exception>
#include <expected>
#include <utility>

namespace zor {

// Runs `body` and returns its result; an exception thrown inside it becomes a
// Capnp error. Besides the message layer's own exceptions this covers failed
// allocations and whatever a caller's byte sink throws, so that no exception
// leaves the library.
template <class Body>
auto catching_message_errors(Body&& body) -> decltype(std::forward<Body>(body)()) {
  try {
    return std::forward<Body>(body)();
  } catch (kj::Exception& error) {
    return std::unexpected(PackageError(std::move(error)));
  } catch (const std::exception& error) {
    return std::unexpected(PackageError(
        kj::Exception(kj::Exception::Type::FAILED, __FILE__, __LINE__, kj::heapString(error.what()))));
  }
}

}  // namespace zor
