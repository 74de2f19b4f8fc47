# Cross build for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix). The POSIX thread variant is the one whose
# libstdc++ has std::mutex and std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ELASPLAN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ELASPLAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ELASPLAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ELASPLAN_MINGW_PREFIX}-windres)

# Headers and libraries come from the target's tree only; build tools from
# the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ELASPLAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ run-time, libgcc and winpthread are linked in, so that the
# executable imports only DLLs that every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Tests run the Windows executables through Wine's loader; Debian keeps it
# out of PATH.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(ELASPLAN_WINE NAMES wine64 wine HINTS /usr/lib/wine)
  if(ELASPLAN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ELASPLAN_WINE})
  endif()
endif()
