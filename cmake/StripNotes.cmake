# Run by CPack on the staged files before packing: drops the compiler's notes from the
# programs, as Debian's own packaging does (CPack's strip keeps them).
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
    execute_process(COMMAND objcopy --remove-section=.comment --remove-section=.note
                            ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
