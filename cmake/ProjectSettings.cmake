# Every target of the project compiles with warnings on, test helpers and
# benchmarks included.
add_compile_options(-Wall -Wextra -Wpedantic)

# Compile settings shared by every target of the project.
add_library(project_settings INTERFACE)
target_compile_definitions(project_settings INTERFACE
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

# The tree that makes the packages builds the programs only; every other
# tree builds the tests, the benchmarks and their helpers too. Without
# tests the test targets stay defined, out of the default build, and
# CTest is not enabled (see project_leave_out_tests).
option(QUORVEL_BUILD_TESTS "Build the tests and the benchmarks" ON)

# Linking dozens of test programs against Qt is much of a build's time:
# lld links them several times faster than the default linker.
option(QUORVEL_FAST_LINKER "Link with lld when the compiler can use it" ON)
if(QUORVEL_FAST_LINKER)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_LINK_OPTIONS -fuse-ld=lld)
  check_cxx_source_compiles("int main() { return 0; }" QUORVEL_HAVE_LLD)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(QUORVEL_HAVE_LLD)
    add_link_options(-fuse-ld=lld)
  endif()
endif()

# Every test runs through this launcher, which gives it a network of its
# own (see run-test-isolated.sh). A test added with add_test directly puts
# it in front of its command: COMMAND ${PROJECT_TEST_LAUNCHER} <name> ...
set(PROJECT_TEST_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/run-test-isolated.sh)

# project_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>])
# One test executable per test file, run headless by CTest.
function(project_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE project_settings Qt5::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${PROJECT_TEST_LAUNCHER} ${name} $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false")
endfunction()

# project_add_simulator_test(<name> SOURCES ... LIBS ... [TIMEOUT <s>])
# A test that runs ctrlsim, the simulated controller, whose path it finds in
# CTRLSIM_PATH. It exists only in build trees that build the simulator.
function(project_add_simulator_test name)
  if(NOT QUORVEL_BUILD_SIMULATOR)
    return()
  endif()
  project_add_test(${name} ${ARGN})
  target_compile_definitions(${name} PRIVATE CTRLSIM_PATH="$<TARGET_FILE:ctrlsim>")
  add_dependencies(${name} ctrlsim)
endfunction()

# project_leave_out_tests(<folder>): in a tree without tests, takes every
# target made in a tests, bench or testsupport folder under <folder> out of
# the default build: the test programs, their helpers and the benchmarks.
# Called once, after every folder was added.
function(project_leave_out_tests folder)
  if(QUORVEL_BUILD_TESTS)
    return()
  endif()
  get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subfolders})
    get_filename_component(leaf ${sub} NAME)
    if(leaf MATCHES "^(tests|bench|testsupport)$")
      get_property(targets DIRECTORY ${sub} PROPERTY BUILDSYSTEM_TARGETS)
      foreach(target ${targets})
        set_property(TARGET ${target} PROPERTY EXCLUDE_FROM_ALL TRUE)
      endforeach()
    endif()
    project_leave_out_tests(${sub})
  endforeach()
endfunction()
