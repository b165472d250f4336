# Warnings every target of ours is built with; warnings are errors so the build stays clean.
function(orbiclock_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Werror
    # GCC 12 reports std::string concatenation at -O3 as overlapping copies (GCC bug 105329).
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
endfunction()

# A library of ours: sources found in its folder, headers reached as "astro/Foo.h".
function(orbiclock_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  orbiclock_warnings(${target})
endfunction()

# One GoogleTest executable registered with CTest.
#   orbiclock_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2])
# Tests run with the test's data folder as ORBICLOCK_TEST_DATA and the built application folder as
# ORBICLOCK_APP_DIR, so no test depends on the working directory.
function(orbiclock_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Test support shared with the benchmarks: #include "support/…".
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  target_compile_definitions(${name} PRIVATE
    ORBICLOCK_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
    ORBICLOCK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORBICLOCK_APP_DIR="${ORBICLOCK_APP_DIR}")
  orbiclock_warnings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
    LABELS "${ARG_LABELS}")
endfunction()
