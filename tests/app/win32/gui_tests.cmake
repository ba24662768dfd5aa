# The tray program's window tests (Windows only): in-process against the window library,
# with the program's own resources, run under wine on a virtual X display.
file(GLOB gui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
if(gui_test_sources)
  add_executable(test_app_win32 ${gui_test_sources})
  target_link_libraries(test_app_win32 PRIVATE meridox_gui_lib ecrsim_lib meridox_testsupport
                                               GTest::gtest GTest::gtest_main meridox_warnings)
  meridox_add_gui_resources(test_app_win32)
  target_compile_definitions(test_app_win32 PRIVATE MERIDOX_SOURCE_DIR="${MERIDOX_NATIVE_SOURCE_DIR}"
                                                    MERIDOX_BINARY_DIR="${MERIDOX_NATIVE_BINARY_DIR}")
  add_test(NAME test_app_win32
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-gui-run.sh $<TARGET_FILE:test_app_win32>
                   --gtest_color=no)
  set_tests_properties(test_app_win32 PROPERTIES TIMEOUT 900)
endif()
