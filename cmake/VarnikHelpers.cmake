# Small helpers shared by every folder's CMakeLists.txt.

# varnik_library(name SOURCES ... DEPS ...): a static layer library.
function(varnik_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# varnik_test(name SOURCES ... [LINUX_SOURCES ...] [WINDOWS_SOURCES ...]
#             DEPS ... [LOCK resource]): a GoogleTest executable. Files that
# test one system's services only are named *_linux_test.cc / *_win_test.cc
# and listed under that system. On Linux ctest discovers the cases one by
# one; in the Windows tree each executable is one ctest entry, because every
# entry is a Wine start. Tests get a generous time-out; every loop test also
# carries its own watchdog. Cases of executables that name the same LOCK
# never run at the same time under `ctest -j` (for machine-wide state such
# as the product's processes); on Linux each of their cases also runs in a
# process table of its own where the system allows it, so that test runs of
# other checkouts on the same machine are not seen either
# (scripts/lib/own_process_table.sh).
function(varnik_test name)
  cmake_parse_arguments(ARG "" "LOCK" "SOURCES;LINUX_SOURCES;WINDOWS_SOURCES;DEPS" ${ARGN})
  if(WIN32)
    set(_system_sources ${ARG_WINDOWS_SOURCES})
  else()
    set(_system_sources ${ARG_LINUX_SOURCES})
  endif()
  add_executable(${name} ${ARG_SOURCES} ${_system_sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  set(_properties LABELS ${name})
  if(ARG_LOCK)
    list(APPEND _properties RESOURCE_LOCK ${ARG_LOCK})
    if(NOT WIN32)
      set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
                   ${CMAKE_SOURCE_DIR}/scripts/lib/own_process_table.sh)
    endif()
  endif()
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT 900 FIXTURES_REQUIRED wine_display
                         ${_properties})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 ${_properties})
  endif()
endfunction()

# varnik_subdirectories(): add every child folder that has a CMakeLists.txt,
# so that a new unit's tests, benchmarks or fuzz targets need no edit here.
macro(varnik_subdirectories)
  file(GLOB _children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _children)
  foreach(_child ${_children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt)
      add_subdirectory(${_child})
    endif()
  endforeach()
endmacro()

# varnik_fuzzer(name SOURCES ... DEPS ... CORPUS dir [DICT file]): a libFuzzer
# target (fuzz builds only) and a short ctest run of it over its seed corpus.
# New inputs go to a scratch folder in the build tree, never into the sources.
set(VARNIK_FUZZ_SECONDS 5 CACHE STRING "Seconds each fuzz target runs in the test command")
function(varnik_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;DICT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  file(MAKE_DIRECTORY ${scratch})
  set(dict_arg)
  if(ARG_DICT)
    set(dict_arg -dict=${ARG_DICT})
  endif()
  add_test(NAME ${name}
    COMMAND ${name} -max_total_time=${VARNIK_FUZZ_SECONDS} -rss_limit_mb=2048 -timeout=10
            ${dict_arg} ${scratch} ${ARG_CORPUS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
  set_property(GLOBAL APPEND PROPERTY VARNIK_FUZZERS ${name})
endfunction()
