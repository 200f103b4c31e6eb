# One place for compiler settings shared by every target of the project.
add_library(frostpane_warnings INTERFACE)
target_compile_options(frostpane_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual)
target_compile_definitions(frostpane_warnings INTERFACE
  QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)

if(FROSTPANE_SANITIZE)
  target_compile_options(frostpane_warnings INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(frostpane_warnings INTERFACE -fsanitize=address,undefined)
endif()
