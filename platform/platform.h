// Everything the system needs of Windows. One interface, its implementation chosen at link time:
// platform/win32 on Windows, platform/host (a double on real files) for the tests on Linux.
#pragma once

#include "platform/clock.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/odbc.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/ui.h"
