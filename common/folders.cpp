#include "common/folders.h"

#include <exception>
#include <string>

#include "common/error_trap.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace common {

bool FU_MkDir(const std::wstring& folder) {
  try {
    platform::DirectoryListing listing(folder, platform::ListingAttributes::kEveryName);
    if (listing.Next().empty()) {
      platform::MakeFolder(folder);
    }
    return true;
  } catch (const std::exception& caught) {
    platform::ShowMessage(TrapMessage(L"FU_MkDir", caught) + L"\r" + folder,
                          platform::box::kCritical | platform::box::kSystemModal);
    return false;
  }
}

std::size_t FU_CopyFolder(const std::wstring& source, const std::wstring& destination) {
  // A folder that cannot be made has been reported where it failed, and the first copy into it
  // fails about its file: the copy has nothing to add.
  static_cast<void>(FU_MkDir(destination));
  const std::wstring from = source + L"\\";
  const std::wstring to = destination + L"\\";
  platform::DirectoryListing listing(from + L"*.*", platform::ListingAttributes::kPlainFiles);
  std::size_t copied = 0;
  for (std::wstring name = listing.Next(); !name.empty(); name = listing.Next()) {
    platform::CopyFileOverwriting(from + name, to + name);
    ++copied;
  }
  return copied;
}

}  // namespace common
