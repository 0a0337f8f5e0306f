# Every target of the project compiles with warnings on, test helpers and
# benchmarks included.
add_compile_options(-Wall -Wextra -Wpedantic)

# Compile settings shared by every target of the project.
add_library(project_settings INTERFACE)
target_compile_definitions(project_settings INTERFACE
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

# project_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>])
# One test executable per test file, run headless by CTest.
function(project_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE project_settings Qt5::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
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
