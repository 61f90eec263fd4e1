// The double's fault table: the one place where any of its calls is made to fail, as SQLite's
// Windows layer routes every system call through one table so that a test can fail any of them.
#include <algorithm>
#include <utility>

#include "platform/host/double_state.h"

namespace host_double {
namespace {

void Add(Call call, std::uint32_t code, std::exception_ptr exception, const Which& which) {
  detail::TheState().faults.push_back({call, code, std::move(exception), std::max(which.nth, 1),
                                       which.path.empty() ? "" : detail::HostPath(which.path)});
}

}  // namespace

void Fail(Call call, std::uint32_t code, const Which& which) {
  Add(call, code, nullptr, which);
}

void Throw(Call call, std::exception_ptr exception, const Which& which) {
  Add(call, 0, std::move(exception), which);
}

}  // namespace host_double

namespace host_double::detail {
namespace {

bool Concerns(const Fault& fault, std::initializer_list<std::wstring_view> paths) {
  return fault.hostPath.empty() || std::any_of(paths.begin(), paths.end(), [&](auto path) {
           return HostPath(path) == fault.hostPath;
         });
}

}  // namespace

std::optional<std::uint32_t> TakeFault(Call call, std::initializer_list<std::wstring_view> paths) {
  auto& faults = TheState().faults;
  auto taken = faults.end();
  for (auto fault = faults.begin(); fault != faults.end(); ++fault) {
    if (fault->call != call || !Concerns(*fault, paths)) {
      continue;
    }
    if (fault->callsToGo > 1) {
      --fault->callsToGo;
    } else if (taken == faults.end()) {
      taken = fault;
    }
  }
  if (taken == faults.end()) {
    return std::nullopt;
  }
  const Fault fault = std::move(*taken);
  faults.erase(taken);
  if (fault.exception) {
    std::rethrow_exception(fault.exception);
  }
  return fault.code;
}

}  // namespace host_double::detail
