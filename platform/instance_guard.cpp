#include "platform/instance_guard.h"

#include "platform/failure.h"

namespace platform {
namespace {

constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kNotSupported = 50;
constexpr std::uint32_t kAlreadyExists = 183;

// A copy that made the namespace may end between our create and our open, taking the namespace
// with it; then it is ours to make. Bounded, for copies that keep coming and going.
constexpr int kNamespaceTries = 4;

std::uint32_t TakeNamespace(GuardCalls& calls) {
  std::uint32_t error = calls.CreateNamespace();
  for (int tries = 1; error == kAlreadyExists && tries < kNamespaceTries; ++tries) {
    error = calls.OpenNamespace();
    if (error == kFileNotFound || error == kPathNotFound) {
      error = calls.CreateNamespace();
    }
  }
  return error;
}

}  // namespace

bool AnotherCopyHoldsTheGuard(GuardCalls& calls) {
  const std::uint32_t namespaceError = TakeNamespace(calls);
  if (namespaceError != 0 && namespaceError != kNotSupported) {
    throw SystemFailure(namespaceError);
  }
  const GuardPlace place =
      namespaceError == 0 ? GuardPlace::kPrivateNamespace : GuardPlace::kGlobal;
  const std::uint32_t mutexError = calls.CreateMutex(place);
  // In Global\ a mutex made by a copy that another user runs cannot be opened with full access.
  if (mutexError == kAlreadyExists ||
      (place == GuardPlace::kGlobal && mutexError == kAccessDenied)) {
    return true;
  }
  if (mutexError != 0) {
    throw SystemFailure(mutexError);
  }
  return false;
}

}  // namespace platform
