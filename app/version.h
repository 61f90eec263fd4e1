// The program's version, in one place for the version resource and the log. The resource script
// includes it too, and the resource compiler reads nothing but the preprocessor: hence macros.
#pragma once

// NOLINTBEGIN(cppcoreguidelines-macro-usage)
#define SETUP_VERSION_MAJOR 1
#define SETUP_VERSION_MINOR 1
// As the product names it: the minor number in two digits.
#define SETUP_VERSION_TEXT "1.01"
// NOLINTEND(cppcoreguidelines-macro-usage)
