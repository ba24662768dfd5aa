# Shared build rules: warnings, per-subsystem libraries, test executables.

add_library(meridox_warnings INTERFACE)
target_compile_options(meridox_warnings INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 reports impossible std::string memcpy overlaps at -O3 (a known false positive).
  target_compile_options(meridox_warnings INTERFACE -Wno-restrict)
endif()

# A subsystem library from every .cpp in its folder (and, for the platform layer, the
# per-OS folder), so adding a file needs no CMake edit. An empty folder still yields a
# linkable library.
function(meridox_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXTRA_DIRS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  foreach(extra IN LISTS ARG_EXTRA_DIRS)
    file(GLOB more CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${extra}/*.cpp)
    list(APPEND sources ${more})
  endforeach()
  if(NOT sources)
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${placeholder} "// ${name} has no sources yet.\n")
    set(sources ${placeholder})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE meridox_warnings)
endfunction()

# Where tests find the source tree; under wine the Linux root is drive Z:.
if(CMAKE_CROSSCOMPILING)
  set(MERIDOX_NATIVE_SOURCE_DIR "Z:${PROJECT_SOURCE_DIR}")
  set(MERIDOX_NATIVE_BINARY_DIR "Z:${PROJECT_BINARY_DIR}")
else()
  set(MERIDOX_NATIVE_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
  set(MERIDOX_NATIVE_BINARY_DIR "${PROJECT_BINARY_DIR}")
endif()

# One test executable per folder of tests/, and one ctest entry per executable: under
# wine every process start costs seconds, so per-case entries would multiply that.
function(meridox_test dir)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(name test_${dir})
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} meridox_testsupport GTest::gtest GTest::gmock
                                        GTest::gtest_main meridox_warnings)
  target_compile_definitions(${name} PRIVATE MERIDOX_SOURCE_DIR="${MERIDOX_NATIVE_SOURCE_DIR}"
                                             MERIDOX_BINARY_DIR="${MERIDOX_NATIVE_BINARY_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
