# Cross-compiles the shipped 32-bit setup.exe. The products it configures register in the 32-bit
# registry view and the 32-bit ODBC of a 64-bit Windows, which only a 32-bit program sees.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
