# The Windows tree (cross build with cmake/mingw-w64.cmake): what it takes
# from the system, from the sources of GoogleTest and cpp-httplib, and from a
# Linux build of the same sources (the skin package and the host tools that
# run at build time, built once there instead of twice).

# Unicode Win32 calls, Windows 10 headers, and windows.h without min/max
# macros or the rarely used parts.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX
                        WIN32_LEAN_AND_MEAN)

# zlib as a static archive (the platform module prefers import libraries).
set(ZLIB_USE_STATIC_LIBS ON)

# GoogleTest from Debian's sources, built for the target.
set(VARNIK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VARNIK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(_gtest_target gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${_gtest_target})
    add_library(GTest::${_gtest_target} ALIAS ${_gtest_target})
  endif()
  # Their own sources are not ours to warn about.
  target_compile_options(${_gtest_target} PRIVATE -w)
endforeach()

# cpp-httplib is one header; the target's include path must not see the
# rest of the host's /usr/include, so the header gets a folder of its own.
set(VARNIK_HTTPLIB_HEADER /usr/include/httplib.h CACHE FILEPATH "cpp-httplib's header")
set(_httplib_include ${CMAKE_BINARY_DIR}/third_party/httplib)
file(MAKE_DIRECTORY ${_httplib_include})
configure_file(${VARNIK_HTTPLIB_HEADER} ${_httplib_include}/httplib.h COPYONLY)
add_library(varnik_httplib INTERFACE)
target_include_directories(varnik_httplib SYSTEM INTERFACE ${_httplib_include})
target_link_libraries(varnik_httplib INTERFACE ws2_32 crypt32)

# The Linux build whose skin package and host tools this tree uses.
set(VARNIK_HOST_BUILD_DIR "" CACHE PATH "A configured and built Linux build folder of these sources")
if(NOT VARNIK_HOST_BUILD_DIR OR NOT EXISTS ${VARNIK_HOST_BUILD_DIR}/CMakeCache.txt)
  message(FATAL_ERROR "The Windows tree needs VARNIK_HOST_BUILD_DIR: a Linux build folder of these "
                      "sources (for the skin package and the build-time tools)")
endif()
# varnik_host_tool(target path): a program of the Linux build, runnable here
# as a build step under its usual target name.
function(varnik_host_tool name relative_path)
  add_executable(${name} IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${VARNIK_HOST_BUILD_DIR}/${relative_path})
endfunction()
varnik_host_tool(skin_images tools/skin_images/skin_images)
varnik_host_tool(skin_packer tools/skin_packer/skin_packer)
varnik_host_tool(varnik_resource_writer tools/resource_writer/varnik_resource_writer)
varnik_host_tool(varnik_demo_package_builder tools/demo_package/varnik_demo_package_builder)

# The skin package of the host build: the installer's THEME resource and the
# skin the window tests load. Windows programs under Wine reach host paths
# through drive Z:.
set(VARNIK_SKIN_PACKAGE ${VARNIK_HOST_BUILD_DIR}/resources/skin.zip CACHE INTERNAL
    "The packed skin (THEME resource 136)")
set(VARNIK_WINE_DRIVE "Z:" CACHE INTERNAL "Prefix that turns a host path into a Wine path")

# Every Wine program of a test run shares the build's private X server (see
# cmake/wine-display); it starts before the first test and stops after the
# last.
add_test(NAME wine_display_start
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-display start ${CMAKE_BINARY_DIR}/wine)
add_test(NAME wine_display_stop
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-display stop ${CMAKE_BINARY_DIR}/wine)
set_tests_properties(wine_display_start PROPERTIES FIXTURES_SETUP wine_display TIMEOUT 300)
set_tests_properties(wine_display_stop PROPERTIES FIXTURES_CLEANUP wine_display TIMEOUT 60)
