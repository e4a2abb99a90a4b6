# Cross-build for 32-bit Windows with clang, against the same MinGW-w64 (i686)
# headers, import libraries and GCC runtime as cmake/mingw-i686.cmake. A second
# compiler keeps the sources free of one compiler's habits.
#
#   cmake -S . -B build-clang -DCMAKE_TOOLCHAIN_FILE=cmake/clang-mingw-i686.cmake \
#         -DCMAKE_BUILD_TYPE=Release -DVORN_BUILD_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VORN_MINGW_TRIPLE i686-w64-mingw32)
set(VORN_MINGW_ROOT /usr/${VORN_MINGW_TRIPLE})

find_program(VORN_CLANG NAMES clang clang-14 REQUIRED)
find_program(VORN_CLANGXX NAMES clang++ clang++-14 REQUIRED)
set(CMAKE_C_COMPILER ${VORN_CLANG})
set(CMAKE_CXX_COMPILER ${VORN_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${VORN_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${VORN_MINGW_TRIPLE})
# clang has no resource compiler for the GNU side; binutils' one takes the same .rc.
set(CMAKE_RC_COMPILER ${VORN_MINGW_TRIPLE}-windres)
set(CMAKE_SYSROOT ${VORN_MINGW_ROOT})

# The GCC runtime of the -posix thread model (the one the GCC build uses):
# libgcc, libgcc_eh and libstdc++ with its headers. clang does not find it by
# itself, since the version folder is named "12-posix" rather than "12".
file(GLOB VORN_GCC_RUNTIME_DIRS LIST_DIRECTORIES true
  /usr/lib/gcc/${VORN_MINGW_TRIPLE}/*-posix)
list(SORT VORN_GCC_RUNTIME_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET VORN_GCC_RUNTIME_DIRS 0 VORN_GCC_RUNTIME)
if(NOT IS_DIRECTORY "${VORN_GCC_RUNTIME}")
  message(FATAL_ERROR "No MinGW-w64 GCC -posix runtime under /usr/lib/gcc/${VORN_MINGW_TRIPLE}")
endif()
set(VORN_LIBSTDCXX_INCLUDES
  "-stdlib++-isystem ${VORN_GCC_RUNTIME}/include/c++"
  "-stdlib++-isystem ${VORN_GCC_RUNTIME}/include/c++/${VORN_MINGW_TRIPLE}"
  "-stdlib++-isystem ${VORN_GCC_RUNTIME}/include/c++/backward")
string(JOIN " " VORN_LIBSTDCXX_INCLUDES ${VORN_LIBSTDCXX_INCLUDES})
set(CMAKE_CXX_FLAGS_INIT "${VORN_LIBSTDCXX_INCLUDES}")

# Binutils' linker for PE; -pthread puts winpthread into the runtime group,
# which the -posix libgcc_eh and libstdc++ need. All of it static: at run time
# only Windows system DLLs.
set(VORN_CLANG_LINK "-fuse-ld=bfd -L${VORN_GCC_RUNTIME} -pthread -static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${VORN_CLANG_LINK}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${VORN_CLANG_LINK}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${VORN_CLANG_LINK}")

set(CMAKE_FIND_ROOT_PATH ${VORN_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(WINE_PROGRAM NAMES wine wine32)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
