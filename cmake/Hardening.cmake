# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian 12 builds its packages with, as `DEB_BUILD_MAINT_OPTIONS=hardening=+all
# dpkg-buildflags` gives it: stack protector, fortified libc calls, format checks, read-only
# relocations bound at start, position-independent executables. On every build but the
# sanitizer and fuzzer ones, whose instrumentation it would only disturb.
option(RAVELMARK_HARDEN "Build with the distribution's hardening flags" ON)
if(NOT RAVELMARK_HARDEN OR RAVELMARK_SANITIZE OR RAVELMARK_FUZZ)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
# The fortified calls need the optimiser; glibc warns about them without it.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
