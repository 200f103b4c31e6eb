# The WebAssembly build with Debian's emscripten, included from the top-level
# CMakeLists.txt instead of the desktop's targets:
#   NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build-wasm
# The same core sources as the desktop's, SIMD128 through Highway's WASM
# target, and the core's tests run under node by CTest.

# Nothing here is Qt: no moc.
set(CMAKE_AUTOMOC OFF)

add_library(frostpane_warnings INTERFACE)
target_compile_options(frostpane_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual)

# Highway is used as headers only here (static dispatch). Only its own folder
# is handed to em++: /usr/include also holds the host's C library headers.
find_path(FROSTPANE_HWY_HEADERS hwy/highway.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(frostpane_hwy_copy "${CMAKE_BINARY_DIR}/hwy-headers")
file(COPY "${FROSTPANE_HWY_HEADERS}/hwy" DESTINATION "${frostpane_hwy_copy}")
add_library(frostpane_hwy INTERFACE)
target_include_directories(frostpane_hwy SYSTEM INTERFACE "${frostpane_hwy_copy}")
target_compile_options(frostpane_hwy INTERFACE -msimd128)
# One target, dispatched statically: the module is built for the browser's
# SIMD128 and nothing else.
target_compile_definitions(frostpane_hwy INTERFACE HWY_COMPILE_ONLY_STATIC=1)

# Every object with SIMD128; no eval or new Function anywhere in the glue, so
# a page with a strict Content-Security-Policy can load it.
add_compile_options(-msimd128)
add_link_options(-sDYNAMIC_EXECUTION=0 -sALLOW_MEMORY_GROWTH=1)

add_subdirectory(core)
add_subdirectory(sound)
# The ice generator's plain part: the page's photos get their ice from it.
add_subdirectory(assets/ice)

# Node runs programs as one file: node 20's fetch() cannot read a .wasm path
# beside the script.
function(frostpane_wasm_node_program target)
  target_link_options(${target} PRIVATE -sSINGLE_FILE=1 -sENVIRONMENT=node)
endfunction()

if(FROSTPANE_BUILD_TESTS)
  enable_testing()
  find_program(FROSTPANE_NODE node REQUIRED)
  # GoogleTest from the sources Debian's googletest package ships.
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  add_subdirectory(tests/core)
  add_subdirectory(tests/ice)
endif()

if(FROSTPANE_BUILD_BENCHMARKS)
  add_executable(frostpane_core_speed bench/core_speed.cpp)
  target_link_libraries(frostpane_core_speed PRIVATE frostpane_core frostpane_warnings)
  frostpane_wasm_node_program(frostpane_core_speed)
endif()

# The page: its module, the sound worklet's module, the site around them and
# the browser tests.
add_subdirectory(web)
