#include "platform/instance_guard.h"

#include "platform/failure.h"

namespace platform {
namespace {

using enum ErrorCode;

// A copy that made the namespace may end between our create and our open, taking the namespace
// with it; then it is ours to make. Bounded, for copies that keep coming and going.
constexpr int kNamespaceTries = 4;

ErrorCode TakeNamespace(GuardCalls& calls) {
  ErrorCode error = calls.CreateNamespace();
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
  const ErrorCode namespaceError = TakeNamespace(calls);
  if (namespaceError != kSuccess && namespaceError != kNotSupported) {
    throw SystemFailure(namespaceError);
  }
  const GuardPlace place =
      namespaceError == kSuccess ? GuardPlace::kPrivateNamespace : GuardPlace::kGlobal;
  const ErrorCode mutexError = calls.CreateMutex(place);
  // In Global\ a mutex made by a copy that another user runs cannot be opened with full access.
  if (mutexError == kAlreadyExists ||
      (place == GuardPlace::kGlobal && mutexError == kAccessDenied)) {
    return true;
  }
  if (mutexError != kSuccess) {
    throw SystemFailure(mutexError);
  }
  return false;
}

}  // namespace platform
