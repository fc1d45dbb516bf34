# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack on the installed tree before it packs: drops the compiler's version note
# (.comment) from the stripped programs, as Debian's own packaging tools do.
file(GLOB _programs LIST_DIRECTORIES false ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*
     ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/libexec/ravelmark/*)
foreach(program ${_programs})
  execute_process(COMMAND ${CPACK_RAVELMARK_OBJCOPY} --remove-section=.comment ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
