# Fails when any instruction in the product needs SSE: a register xmm0-7 or
# an SSE-only instruction. The 32-bit saver must run on CPUs without SSE and
# on Windows 95 and NT 4, which never enable its state; the static runtimes
# are part of the image and are checked with it.
set(listing ${WORK_DIR}/x87_check_disassembly.txt)
execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${IMAGE} OUTPUT_FILE ${listing} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump -d failed on ${IMAGE}")
endif()
file(STRINGS ${listing} instructions REGEX "^ *[0-9a-f]+:\t")
list(LENGTH instructions count)
if(count LESS 1000)
  message(FATAL_ERROR "${IMAGE}: only ${count} instructions disassembled")
endif()
set(sse "%[xy]mm[0-9]|\t(ldmxcsr|stmxcsr|[lms]fence|movnti|prefetch[a-z0-9]*|fisttp[a-z]*) ")
list(FILTER instructions INCLUDE REGEX "${sse}")
list(LENGTH instructions found)
if(found GREATER 0)
  list(SUBLIST instructions 0 10 shown)
  list(JOIN shown "\n" shown)
  message(FATAL_ERROR "${IMAGE}: ${found} SSE instructions, the first:\n${shown}")
endif()
message(STATUS "${IMAGE}: ${count} instructions, none of them SSE")
