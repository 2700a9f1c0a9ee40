# Writes the map of IMAGE to OUTPUT with ROMSCOPE (under EMULATOR, when set):
#   cmake -DEMULATOR=... -DROMSCOPE=... -DIMAGE=... -DOUTPUT=... -P write_map.cmake
# The picture goes to a file of its own first, so that a failed run leaves no
# OUTPUT that looks up to date.
execute_process(COMMAND ${EMULATOR} ${ROMSCOPE} -map ${IMAGE}
                OUTPUT_FILE ${OUTPUT}.part
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "romscope -map ${IMAGE} failed: ${status}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
