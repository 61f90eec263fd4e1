// The single-instance guard: a mutex that only administrators can make or open, so that a user
// who makes a mutex of any name, anywhere, stops no run. It lives in a private namespace whose
// boundary names the Administrators group; what is decided between the calls that take it is
// kept apart from them, so that every way through can be walked with scripted answers.
#pragma once

#include "platform/error_code.h"

namespace platform {

// Where the guard's mutex is made.
enum class GuardPlace {
  kPrivateNamespace,
  // Global\, which any user may also make names in: only where the system has no private
  // namespaces (Wine), which on Windows it has since Vista.
  kGlobal,
};

// The calls that take the guard. Each answers a Win32 error code: kSuccess for done,
// kAlreadyExists for a namespace or mutex that was there already.
class GuardCalls {
 public:
  virtual ~GuardCalls() = default;
  // CreatePrivateNamespaceW for the guard's boundary, open to administrators and SYSTEM only;
  // kNotSupported where the system cannot make its boundary.
  [[nodiscard]] virtual ErrorCode CreateNamespace() = 0;
  // OpenPrivateNamespaceW of the namespace that another copy made.
  [[nodiscard]] virtual ErrorCode OpenNamespace() = 0;
  // CreateMutexW of the guard's name in that place, held until the program ends.
  [[nodiscard]] virtual ErrorCode CreateMutex(GuardPlace place) = 0;
};

// Takes the guard; true if another copy holds it. Fails (platform::Failure) where the guard can
// be neither taken nor found taken.
[[nodiscard]] bool AnotherCopyHoldsTheGuard(GuardCalls& calls);

}  // namespace platform
