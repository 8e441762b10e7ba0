# Shared compiler options: warnings as errors on both toolchains, optional sanitizers.
option(LARKSPUR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LARKSPUR_FUZZ "Build the libFuzzer targets (clang only)" OFF)
option(LARKSPUR_TSAN "Build with ThreadSanitizer (the threaded writer's tests)" OFF)

add_compile_options(-Wall -Wextra -Werror)

if(LARKSPUR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(LARKSPUR_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(LARKSPUR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "LARKSPUR_FUZZ needs clang (libFuzzer): configure with "
                        "-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ (scripts/build.sh fuzz)")
  endif()
  # Everything the fuzz targets link is instrumented for coverage and checked like them.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# zlib serves the tests and benchmarks only: the independent inflater and the peer measured
# against. The native build requires it (Debian package zlib1g-dev); the mingw build has none, and
# there the tests and benches that need it are left out by LARKSPUR_HAVE_ZLIB.
if(CMAKE_CROSSCOMPILING)
  set(LARKSPUR_HAVE_ZLIB OFF)
else()
  find_package(ZLIB REQUIRED)
  set(LARKSPUR_HAVE_ZLIB ON)
endif()

if(WIN32)
  # Windows binaries must not depend on the mingw runtime DLLs (regsvr32 and Wine cannot find them).
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(LARKSPUR_PLATFORM_DIR win32)
else()
  set(LARKSPUR_PLATFORM_DIR posix)
endif()
