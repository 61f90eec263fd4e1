// Folder routines of the deployment: make sure a folder exists, copy a folder's plain files.
#pragma once

#include <cstddef>
#include <string>

namespace common {

// True when the folder exists afterwards; a name that exists (a file too) counts as existing.
// Creates one level only. A failure is shown with the folder on the message's second line.
[[nodiscard]] bool FU_MkDir(const std::wstring& folder);

// Copies every plain file directly in source (not hidden, not system, no sub-folders) into
// destination, making destination first and overwriting files of the same name, and says how many
// it copied. A file that cannot be copied, and a source folder that is not there or cannot be
// listed, are failures for the caller: this routine traps nothing, and takes no folder it cannot
// read for an empty one. What that failure does to the run: app/failure_policy.h.
[[nodiscard]] std::size_t FU_CopyFolder(const std::wstring& source,
                                        const std::wstring& destination);

}  // namespace common
