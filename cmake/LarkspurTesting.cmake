# GoogleTest for both toolchains and one helper to declare a test executable.
enable_testing()

if(CMAKE_CROSSCOMPILING)
  # The Windows build's tests run under Wine; without it ctest could run none of them.
  if(NOT LARKSPUR_WINE)
    message(FATAL_ERROR "wine not found: the Windows build runs its tests under Wine "
                        "(Debian packages wine and wine64, installed by scripts/install-deps.sh)")
  endif()
  # Debian ships only native GoogleTest binaries; build it from source for mingw.
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "/usr/src/googletest not found: the Windows build compiles GoogleTest "
                        "from its source (Debian package googletest, with libgtest-dev)")
  endif()
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -w)
  endforeach()
  set(LARKSPUR_TEST_LABEL wine)
else()
  find_package(GTest REQUIRED)
  set(LARKSPUR_TEST_LABEL native)
endif()

# Where the tests find ../shared: Wine sees the Unix root as drive Z:.
if(CMAKE_CROSSCOMPILING)
  set(LARKSPUR_SHARED_DIR_FOR_TESTS "Z:${LARKSPUR_SHARED_DIR}")
else()
  set(LARKSPUR_SHARED_DIR_FOR_TESTS "${LARKSPUR_SHARED_DIR}")
endif()

# larkspur_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One ctest entry per executable: gtest_discover_tests would run Wine at build time.
function(larkspur_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main
                                        larkspur_test_support)
  target_compile_definitions(${name} PRIVATE
      LARKSPUR_SHARED_DIR="${LARKSPUR_SHARED_DIR_FOR_TESTS}"
      LARKSPUR_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  # Each run leaves GoogleTest's own account (tests run, failed, skipped with the reason) where
  # scripts/test-summary.py counts them; Wine reaches the folder through drive Z:.
  if(CMAKE_CROSSCOMPILING)
    set(results "Z:${CMAKE_BINARY_DIR}/gtest-results")
  else()
    set(results "${CMAKE_BINARY_DIR}/gtest-results")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${LARKSPUR_TEST_LABEL} TIMEOUT 900
      ENVIRONMENT "GTEST_OUTPUT=xml:${results}/${name}.xml")
endfunction()
