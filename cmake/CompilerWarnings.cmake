# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings every target of the project builds under; linked through ravelmark_warnings.
add_library(ravelmark_warnings INTERFACE)
target_compile_options(ravelmark_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
if(RAVELMARK_WERROR)
  target_compile_options(ravelmark_warnings INTERFACE -Werror)
endif()
