# Window tests (label window): a real QApplication, run under an X server (Xvfb in CI) or,
# without a display, on Qt's offscreen platform.
add_executable(test_window
  window_test_main.cpp
  main_window_test.cpp
  program_window_test.cpp
  port_window_test.cpp
)
target_link_libraries(test_window PRIVATE quelvox_window quelvox_test_support GTest::gtest)
set_target_properties(test_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
gtest_discover_tests(test_window TEST_PREFIX "window." DISCOVERY_TIMEOUT 60 PROPERTIES LABELS window)

# Compile end to end: the compile step's program is the build's own compiler,
# also found on the PATH for the user's work folder.
target_sources(test_window PRIVATE compile_window_test.cpp)
add_dependencies(test_window abelc_compile_step abelc)
target_compile_definitions(test_window PRIVATE
  QUELVOX_ABELC="$<TARGET_FILE:abelc>"
  QUELVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  QUELVOX_TESTDATA_DIR="${QUELVOX_TESTDATA_DIR}"
  QUELVOX_VDOS_EXE="$<TARGET_FILE:abelc_compile_step>")

# Equations, Export ABEL design and PAL maps on Open.
target_sources(test_window PRIVATE logic_window_test.cpp design_compiles.cpp)
target_compile_definitions(test_window PRIVATE QUELVOX_TESTDATA_DIR="${QUELVOX_TESTDATA_DIR}")
