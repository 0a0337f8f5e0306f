# Instrumented builds: the sanitizer run of CI and the fuzz targets. Each
# lives in a build folder of its own (see scripts/sanitize.sh, scripts/fuzz.sh).
option(QUORVEL_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QUORVEL_FUZZ "Build the libFuzzer targets of fuzz/ (needs clang; sanitizers included)" OFF)

if(QUORVEL_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QUORVEL_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

if(QUORVEL_SANITIZE OR QUORVEL_FUZZ)
  # Any finding stops the program, so a run with a report cannot pass.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QUORVEL_FUZZ)
  # Coverage for the fuzzer in every library the targets link.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
