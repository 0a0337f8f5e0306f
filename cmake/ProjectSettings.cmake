# Compile settings shared by every target of the project.
add_library(project_settings INTERFACE)
target_compile_options(project_settings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(project_settings INTERFACE
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

# project_add_test(<name> SOURCES <files...> LIBS <targets...>)
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
