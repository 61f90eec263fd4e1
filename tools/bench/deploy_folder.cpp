// deploy_folder SOURCE DEST: one folder of the deployment step, copied as the step copies it.
#include <iostream>
#include <optional>
#include <string>

#include "arguments.h"
#include "common/folders.h"
#include "platform/failure.h"
#include "platform/host/double_control.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: deploy_folder SOURCE DEST\n";
    return 2;
  }
  const std::optional<std::wstring> source = bench::AsciiPath(argv[1]);
  const std::optional<std::wstring> destination = bench::AsciiPath(argv[2]);
  if (!source || !destination) {
    std::cerr << "deploy_folder: paths must be ASCII\n";
    return 2;
  }
  try {
    common::FU_CopyFolder(*source, *destination);
  } catch (const platform::Failure& failure) {
    std::cerr << "deploy_folder: failure " << failure.number() << "\n";
    return 1;
  }
  // FU_MkDir reports its failure in an OK box and goes on; the double only records the box.
  if (!host_double::ShownMessages().empty()) {
    std::cerr << "deploy_folder: the destination folder could not be made\n";
    return 1;
  }
  return 0;
}
