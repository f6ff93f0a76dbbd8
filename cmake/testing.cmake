# kalvor_add_test(<glob> LIBRARIES <lib>... [QT] [STRICT_FP] [NO_DISCOVERY]
#                 [EXCLUDE <regex>] [DEFINITIONS <def>...] [DEPENDS <target>...]
#                 [NAMES <variable>])
#
# One test program per source file matching <glob> (relative to the calling
# folder), named after the file without its ending, linked with the given
# libraries (and kalvor_strict_fp with STRICT_FP). GoogleTest programs have
# their tests listed for CTest; QT programs are Qt Test programs run as one
# CTest test each, offscreen, with the build's artifact and state folders.
# NO_DISCOVERY leaves CTest out (the Windows build runs its programs itself);
# KALVOR_TEST_PER_PROGRAM makes each GoogleTest program one CTest test.
# EXCLUDE drops the files whose path matches; NAMES receives the programs'
# names. KALVOR_TEST_SKIP, a regular expression over program names, leaves
# programs out of a build that runs only part of the suite.
#
# kalvor_test_compile_settings(<target> [QT] [STRICT_FP] LIBRARIES <lib>...)
#
# What every test program gets, for a library of test code too: its own code
# optimised at -O1 in optimised builds, or at KALVOR_TEST_OPTIMIZATION where
# set (the code under test keeps the build type's level), and with KALVOR_TEST_PCH the
# precompiled headers of its kind (GoogleTest or Qt Test), compiled once and
# shared by every program of that kind. Every GoogleTest program is built
# with strict floating point (kalvor_strict_fp), the few that do no floating
# point too, so that they all share one set.
include_guard(GLOBAL)
include(GoogleTest)

option(KALVOR_TEST_PER_PROGRAM "One CTest test per GoogleTest program instead of one per case" OFF)
option(KALVOR_TEST_PCH "Precompiled headers shared by the test programs" ON)
set(KALVOR_TEST_SKIP "" CACHE STRING "Regular expression: the test programs this build leaves out")
# A test program's own code is asserts over calls into the project's
# libraries: at -O3 it compiles in half as long again as at -O1, and the
# programs spend their time in the libraries, which keep the build's level.
# A build may set another level for every build type (the sanitizer step
# takes -O0: half the compile time of -O1, where each program runs as one
# process).
set(KALVOR_TEST_OPTIMIZATION "" CACHE STRING
    "Optimisation of the test programs' own code in every build type (empty: -O1 in optimised builds)")
if(KALVOR_TEST_OPTIMIZATION)
  set(_kalvor_test_optimization ${KALVOR_TEST_OPTIMIZATION})
else()
  set(_kalvor_test_optimization $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>)
endif()
# Programs whose own loops are their work (numbers checked one by one
# against a reference of their own) stay at -O1 even then, and so without
# the headers precompiled for the others: unoptimised they would run three
# to six times as long.
set(KALVOR_TEST_BUSY_PROGRAMS solver_quotient_test numberreading_differential_test)

# The headers the test files of each kind start with: only the toolkit's,
# GoogleTest's and the standard library's, so that a change of the project's
# own headers never rebuilds them.
set(KALVOR_TEST_PCH_STD <algorithm> <cmath> <cstdint> <functional> <memory> <optional> <random> <string> <vector>)
set(KALVOR_TEST_PCH_GTEST <gtest/gtest.h> ${KALVOR_TEST_PCH_STD})
set(KALVOR_TEST_PCH_QT <QTest> <QSignalSpy> <QApplication> <QWidget> <QLineEdit> <QLabel> <QPushButton> <QTimer>
    <QMenu> <QAction> <QClipboard> <QFrame> <QHeaderView> <QTableView> <QMessageBox> ${KALVOR_TEST_PCH_STD})

function(kalvor_test_compile_settings target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT;STRICT_FP" "" "LIBRARIES")
  if(NOT arg_QT)
    set(arg_STRICT_FP TRUE)
  endif()
  target_compile_options(${target} PRIVATE
    ${_kalvor_test_optimization})
  if(arg_STRICT_FP)
    target_link_libraries(${target} PRIVATE kalvor_strict_fp)
  endif()
  if(KALVOR_TEST_OPTIMIZATION AND target IN_LIST KALVOR_TEST_BUSY_PROGRAMS)
    target_compile_options(${target} PRIVATE -O1)
    return()
  endif()
  if(NOT KALVOR_TEST_PCH)
    return()
  endif()
  # One holder per kind: a library of one empty file that compiles the
  # headers with the same options as the programs that reuse them (the
  # libraries of its first user bring the include paths, definitions and
  # position-independence). A mismatch would silently compile the headers
  # again in every program: -Winvalid-pch says so in the build log.
  if(arg_QT)
    set(kind qt)
    set(headers ${KALVOR_TEST_PCH_QT})
  else()
    set(kind gtest)
    set(headers ${KALVOR_TEST_PCH_GTEST})
  endif()
  if(arg_STRICT_FP)
    string(APPEND kind _strict)
  endif()
  set(holder kalvor_test_pch_${kind})
  if(NOT TARGET ${holder})
    set(source ${CMAKE_BINARY_DIR}/${holder}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled headers of the test programs only.\n")
    add_library(${holder} STATIC ${source})
    target_link_libraries(${holder} PRIVATE ${arg_LIBRARIES})
    target_compile_options(${holder} PRIVATE
      ${_kalvor_test_optimization})
    if(arg_STRICT_FP)
      target_link_libraries(${holder} PRIVATE kalvor_strict_fp)
    endif()
    target_precompile_headers(${holder} PRIVATE ${headers})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${holder})
  target_compile_options(${target} PRIVATE -Winvalid-pch)
endfunction()

function(kalvor_add_test pattern)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT;STRICT_FP;NO_DISCOVERY" "EXCLUDE;NAMES" "LIBRARIES;DEFINITIONS;DEPENDS")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
  if(arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${arg_EXCLUDE}")
  endif()
  set(names)
  foreach(src IN LISTS sources)
    get_filename_component(name ${src} NAME_WE)
    if(KALVOR_TEST_SKIP AND name MATCHES "${KALVOR_TEST_SKIP}")
      continue()
    endif()
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    set(kind)
    if(arg_QT)
      list(APPEND kind QT)
    endif()
    if(arg_STRICT_FP)
      list(APPEND kind STRICT_FP)
    endif()
    kalvor_test_compile_settings(${name} ${kind} LIBRARIES ${arg_LIBRARIES})
    if(arg_DEFINITIONS)
      target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
    endif()
    if(arg_DEPENDS)
      add_dependencies(${name} ${arg_DEPENDS})
    endif()
    if(arg_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
      # Each test file includes its own moc output, so the file that
      # gathers the others is empty: loading the headers there would be
      # the only cost.
      set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/mocs_compilation.cpp
        PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES
        # Any recovery file a window writes stays in the build folder.
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KALVOR_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts;XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state"
        TIMEOUT 300)
    elseif(NOT arg_NO_DISCOVERY AND KALVOR_TEST_PER_PROGRAM)
      # Under the sanitizers starting a process costs more than most cases
      # take, so there each program runs all its cases in one process.
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    elseif(NOT arg_NO_DISCOVERY)
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
    endif()
    list(APPEND names ${name})
  endforeach()
  if(arg_NAMES)
    set(${arg_NAMES} ${names} PARENT_SCOPE)
  endif()
endfunction()
