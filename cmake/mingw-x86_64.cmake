# Cross build for 64-bit Windows from the same sources.
set(ORVANEL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
