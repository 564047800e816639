# The shipped binary must need Qt (of the major version it was built with:
# QT_MAJOR) and the C/C++ runtime only: nothing of the simulated board
# (umockdev, GLib) may reach it, nor OpenGL.
execute_process(COMMAND readelf -d ${BINARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "readelf failed on ${BINARY}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
foreach(entry IN LISTS needed)
    string(REGEX REPLACE "Shared library: \\[([^]]+)\\]" "\\1" library "${entry}")
    if(NOT library MATCHES "^lib(Qt${QT_MAJOR}(Core|Gui|Widgets|Core5Compat)|c|m|stdc\\+\\+|gcc_s)\\.so")
        message(FATAL_ERROR "the shipped binary needs ${library}")
    endif()
endforeach()
execute_process(COMMAND nm -C ${BINARY} OUTPUT_VARIABLE symbols)
if(symbols MATCHES "velkor_sim|umockdev")
    message(FATAL_ERROR "the shipped binary carries simulator code")
endif()
message(STATUS "needed: ${needed}")
