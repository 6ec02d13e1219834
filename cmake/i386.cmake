# 32-bit x86 build on an x86_64 Debian host with the i386 multiarch libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# On kernels that run no 32-bit programs, tests and tools run under user
# emulation. scripts/build.sh passes the runner that scripts/setup.sh chose
# (empty: native). add_test() prefixes it; tests that start tessaro-host as
# a child read it through TESSARO_HOST_RUNNER.
set(TESSARO_I386_RUNNER "" CACHE STRING "Runs i386 programs (empty: natively)")
if(TESSARO_I386_RUNNER)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TESSARO_I386_RUNNER}")
else()
  unset(CMAKE_CROSSCOMPILING_EMULATOR)
endif()
