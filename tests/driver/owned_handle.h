// Owners for the Win32 handles that the driver opens, closed on every way out. The owner itself is
// the platform layer's; the driver adds the GDI handles and the window station it alone uses. A
// registry key is the platform's own platform::registry::OpenedKey.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace msgbox_driver {

template <typename Traits>
using Owned = platform::win32::UniqueHandle<Traits>;

struct MemoryDcTraits {
  using Value = HDC;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::DeleteDC(value); }
};

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::DeleteObject(value); }
};

struct WindowStationTraits {
  using Value = HWINSTA;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::CloseWindowStation(value); }
};

struct DesktopTraits {
  using Value = HDESK;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::CloseDesktop(value); }
};

using OwnedKernelObject = platform::win32::UniqueKernelObject;
using OwnedWindowStation = Owned<WindowStationTraits>;
using OwnedDesktop = Owned<DesktopTraits>;
using OwnedFile = platform::win32::UniqueFile;
using OwnedMemoryDc = Owned<MemoryDcTraits>;
using OwnedGdiObject = Owned<GdiObjectTraits>;

}  // namespace msgbox_driver
