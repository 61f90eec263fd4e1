#include "platform/process.h"

#include <windows.h>
// After windows.h, whose declarations it needs.
#include <sddl.h>

#include "platform/failure.h"
#include "platform/instance_guard.h"
#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

// The boundary names the Administrators group: only a process whose token holds it enabled (an
// elevated administrator, SYSTEM) can make or open the namespace. Its prefix is a name of the
// program's own; another boundary of the same prefix is another namespace.
constexpr wchar_t kNamespacePrefix[] = L"tessal-setup";
constexpr wchar_t kNamespacedMutexName[] = L"tessal-setup\\instance";
// In the Global namespace so that a copy started in another session, or by another user, is seen.
constexpr wchar_t kGlobalMutexName[] = L"Global\\tessal-setup-instance";
// Who may open the namespace: administrators and SYSTEM, whatever the creator's defaults are.
constexpr wchar_t kNamespaceSecurity[] = L"D:(A;;GA;;;BA)(A;;GA;;;SY)";

struct BoundaryTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::DeleteBoundaryDescriptor(value); }
};
// The namespace goes when its last handle is closed; closing does not destroy it for others.
struct NamespaceTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::ClosePrivateNamespace(value, 0); }
};
struct LocalMemoryTraits {
  using Value = PSECURITY_DESCRIPTOR;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::LocalFree(value); }
};

ErrorCode LastErrorCode() {
  return ErrorCode{::GetLastError()};
}

class Win32GuardCalls final : public GuardCalls {
 public:
  ErrorCode CreateNamespace() override {
    if (!boundary_ && !MakeBoundary()) {
      return ErrorCode::kNotSupported;
    }
    win32::UniqueHandle<LocalMemoryTraits> descriptor;
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kNamespaceSecurity, SDDL_REVISION_1,
                                                                &made, nullptr)) {
      return LastErrorCode();
    }
    descriptor.reset(made);
    SECURITY_ATTRIBUTES security{sizeof(security), descriptor.get(), FALSE};
    namespace_.reset(::CreatePrivateNamespaceW(&security, boundary_.get(), kNamespacePrefix));
    return namespace_ ? ErrorCode::kSuccess : LastErrorCode();
  }

  ErrorCode OpenNamespace() override {
    namespace_.reset(::OpenPrivateNamespaceW(boundary_.get(), kNamespacePrefix));
    return namespace_ ? ErrorCode::kSuccess : LastErrorCode();
  }

  ErrorCode CreateMutex(GuardPlace place) override {
    const wchar_t* const name =
        place == GuardPlace::kPrivateNamespace ? kNamespacedMutexName : kGlobalMutexName;
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name));
    const ErrorCode error = LastErrorCode();
    if (!mutex_) {
      return error;
    }
    return error == ErrorCode::kAlreadyExists ? error : ErrorCode::kSuccess;
  }

 private:
  // Wine has no boundary descriptors: CreateBoundaryDescriptorW answers none, and the SID must
  // not be added then.
  bool MakeBoundary() {
    win32::UniqueHandle<BoundaryTraits> boundary(::CreateBoundaryDescriptorW(kNamespacePrefix, 0));
    if (!boundary) {
      return false;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    HANDLE descriptor = boundary.get();
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !::AddSIDToBoundaryDescriptor(&descriptor, administrators)) {
      return false;
    }
    // Adding may move the descriptor: the old handle is no longer one to delete.
    static_cast<void>(boundary.release());
    boundary_.reset(descriptor);
    return true;
  }

  win32::UniqueHandle<BoundaryTraits> boundary_;
  win32::UniqueHandle<NamespaceTraits> namespace_;
  win32::UniqueKernelObject mutex_;
};

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      throw LastSystemFailure();
    }
    // A path that fills the buffer completely may have been cut short.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

bool IsPreviousInstanceRunning() {
  // Held for the life of the process: the namespace and its mutex are what a later copy finds.
  static Win32GuardCalls guard;
  static const bool anotherCopy = AnotherCopyHoldsTheGuard(guard);
  return anotherCopy;
}

std::wstring SetupFolder() {
  std::wstring path = ModulePath();
  const std::size_t separator = path.rfind(L'\\');
  if (separator != std::wstring::npos) {
    path.erase(separator);
  }
  return path;
}

}  // namespace platform
