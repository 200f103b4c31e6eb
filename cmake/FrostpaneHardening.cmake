# Debian's hardening for the program a package ships: buffer-overflow checks of
# glibc's string functions, stack protector and stack-clash probes, control-flow
# protection, a read-only relocation table bound at start, and a position-
# independent executable. Added through frostpane_warnings, so every library
# of ours has it. Not in the sanitizer build, whose own instrumentation does
# the checking and may clash with _FORTIFY_SOURCE's wrappers.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

if(NOT FROSTPANE_SANITIZE)
  # Every object of ours is position-independent; the program is linked as PIE.
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  check_pie_supported(LANGUAGES CXX)

  # _FORTIFY_SOURCE works only with the optimizer; a Debug build would warn.
  set(optimized $<NOT:$<CONFIG:Debug>>)
  target_compile_options(frostpane_warnings INTERFACE
    $<${optimized}:-U_FORTIFY_SOURCE> $<${optimized}:-D_FORTIFY_SOURCE=2>)
  foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "FROSTPANE_HAS${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(${supported})
      target_compile_options(frostpane_warnings INTERFACE ${flag})
    endif()
  endforeach()
  target_link_options(frostpane_warnings INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
