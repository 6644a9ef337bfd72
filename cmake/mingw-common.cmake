# Shared part of the mingw-w64 toolchain files. Expects MORVANE_MINGW_TRIPLET.
# The posix flavour of the compiler gives the standard library its threads
# and mutexes; its thread library is linked in statically below, so the
# binaries still import system libraries only.
foreach(candidate ${MORVANE_MINGW_TRIPLET}-g++-posix ${MORVANE_MINGW_TRIPLET}-g++)
    find_program(MORVANE_MINGW_CXX ${candidate})
    if(MORVANE_MINGW_CXX)
        break()
    endif()
endforeach()
foreach(candidate ${MORVANE_MINGW_TRIPLET}-gcc-posix ${MORVANE_MINGW_TRIPLET}-gcc)
    find_program(MORVANE_MINGW_CC ${candidate})
    if(MORVANE_MINGW_CC)
        break()
    endif()
endforeach()

set(CMAKE_C_COMPILER ${MORVANE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${MORVANE_MINGW_CXX})
set(CMAKE_RC_COMPILER ${MORVANE_MINGW_TRIPLET}-windres)
set(MORVANE_WIDL ${MORVANE_MINGW_TRIPLET}-widl CACHE STRING "IDL compiler")
set(MORVANE_WINDMC ${MORVANE_MINGW_TRIPLET}-windmc CACHE STRING "Message compiler")

set(CMAKE_FIND_ROOT_PATH /usr/${MORVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows Server 2003 is the target: its API level, its subsystem version,
# and no runtime DLLs beside the system's own.
set(MORVANE_WINDOWS_DEFINES "-D_WIN32_WINNT=0x0502 -DWINVER=0x0502 -DNTDDI_VERSION=0x05020000")
set(CMAKE_C_FLAGS_INIT "${MORVANE_WINDOWS_DEFINES}")
set(CMAKE_CXX_FLAGS_INIT "${MORVANE_WINDOWS_DEFINES}")
set(MORVANE_WINDOWS_LINK "-static-libgcc -static-libstdc++ -static -Wl,--major-subsystem-version,5,--minor-subsystem-version,2,--major-os-version,5,--minor-os-version,2")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${MORVANE_WINDOWS_LINK}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${MORVANE_WINDOWS_LINK}")
