# Fails when any instruction in the product needs more than a Pentium Pro:
# SSE and its successors (a register xmm/ymm/zmm or an SSE-only instruction),
# MMX (its registers and emms: the Pentium Pro has none), the saving of SSE
# state, and the integer extensions that came later. The 32-bit saver must
# run on CPUs without them and on Windows 95 and NT 4, which never enable SSE
# state; the static runtimes are part of the image and are checked with it.
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
set(sse "%[xyz]mm[0-9]|\t(ldmxcsr|stmxcsr|[lms]fence|movnti|prefetch[a-z0-9]*|fisttp[a-z]*) ")
set(mmx "%mm[0-7]|\tf?emms( |$)")
set(state "\t(fxsave|fxrstor|xsave|xrstor)[a-z0-9]* ")
# tzcnt is allowed: MinGW's float formatting uses it, only ever on non-zero
# values, and a CPU without it runs the same bytes as bsf, which gives the
# same result for any non-zero value.
set(later "\t(popcnt|lzcnt|movbe|rdtscp|rdrand|rdseed|andn|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|rorx|sarx|shlx|shrx)[a-z]*( |$)")
list(FILTER instructions INCLUDE REGEX "${sse}|${mmx}|${state}|${later}")
list(LENGTH instructions found)
if(found GREATER 0)
  list(SUBLIST instructions 0 10 shown)
  list(JOIN shown "\n" shown)
  message(FATAL_ERROR "${IMAGE}: ${found} instructions a Pentium Pro lacks, the first:\n${shown}")
endif()
message(STATUS "${IMAGE}: ${count} instructions, all of them a Pentium Pro's")
