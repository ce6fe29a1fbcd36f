# The product ships stripped, and a crash address in it can still be turned
# into a source line: through the stripped file itself, whose .gnu_debuglink
# leads to the debug file beside it.
execute_process(COMMAND ${OBJDUMP} -h -t ${IMAGE} OUTPUT_VARIABLE sections RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${IMAGE}")
endif()
if(sections MATCHES "\\.debug_[a-z]+")
  message(FATAL_ERROR "${IMAGE} still carries ${CMAKE_MATCH_0}")
endif()
if(NOT sections MATCHES "SYMBOL TABLE:\nno symbols")
  message(FATAL_ERROR "${IMAGE} still carries a symbol table")
endif()
if(NOT sections MATCHES "\\.gnu_debuglink")
  message(FATAL_ERROR "${IMAGE} does not name its debug file")
endif()

# A function whose source is known, looked up in the debug file's symbols.
execute_process(COMMAND ${NM} -C ${IMAGE}.debug OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT symbols MATCHES "([0-9a-f]+) T saverMain\\(")
  message(FATAL_ERROR "${IMAGE}.debug has no symbol saverMain")
endif()
set(address 0x${CMAKE_MATCH_1})
execute_process(COMMAND ${ADDR2LINE} -e ${IMAGE} ${address} OUTPUT_VARIABLE line
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT line MATCHES "shell/saver_main\\.cpp:[1-9][0-9]*$")
  message(FATAL_ERROR "addr2line -e ${IMAGE} ${address} gives '${line}', not a line of shell/saver_main.cpp")
endif()
message(STATUS "${IMAGE}: stripped; ${address} is ${line}")
