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
# names.
include_guard(GLOBAL)
include(GoogleTest)

option(KALVOR_TEST_PER_PROGRAM "One CTest test per GoogleTest program instead of one per case" OFF)

function(kalvor_add_test pattern)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT;STRICT_FP;NO_DISCOVERY" "EXCLUDE;NAMES" "LIBRARIES;DEFINITIONS;DEPENDS")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
  if(arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${arg_EXCLUDE}")
  endif()
  set(names)
  foreach(src IN LISTS sources)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    if(arg_STRICT_FP)
      target_link_libraries(${name} PRIVATE kalvor_strict_fp)
    endif()
    if(arg_DEFINITIONS)
      target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
    endif()
    if(arg_DEPENDS)
      add_dependencies(${name} ${arg_DEPENDS})
    endif()
    if(arg_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
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
