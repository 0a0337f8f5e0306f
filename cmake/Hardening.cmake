# The hardening a Debian package is expected to carry (what dpkg-buildflags
# gives a package build): buffer checks in the C library's string and memory
# functions, stack protection, position-independent executables, and the
# dynamic relocations made read-only before the program runs. Only the plain
# build takes them; the instrumented builds (sanitizers, fuzzing) bring
# their own checks.
include(CheckPIESupported)
check_pie_supported(OUTPUT_VARIABLE pie_output LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
# The fortified functions need the optimiser; a Debug build goes without.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(LINKER:-z,relro LINKER:-z,now)
