# The shipped Windows programs carry no symbols or debug information; both stay beside each one
# in the build folder, as <name>.debug, named in the program by a GNU debuglink (its file name
# and checksum) so that gdb finds them.
#
#   tolvane_windows_debug_file(<target>)
function(tolvane_windows_debug_file target)
    set(program $<TARGET_FILE:${target}>)
    set(debug $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.debug)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${program} ${debug}
        COMMAND ${CMAKE_OBJCOPY} --strip-debug --strip-unneeded --add-gnu-debuglink=${debug}
                ${program}
        VERBATIM)
endfunction()
