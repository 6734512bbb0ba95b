# Runs the post-link padding step on made-up images: one below the limit must
# come out at exactly 49152 bytes, one past it must fail and be removed.
file(MAKE_DIRECTORY "${WORK}")
set(small "${WORK}/small.exe")
set(large "${WORK}/large.exe")
string(REPEAT "MZ" 5000 small_text)
file(WRITE "${small}" "${small_text}")
string(REPEAT "0123456789abcdef" 3073 large_text)
file(WRITE "${large}" "${large_text}")

execute_process(COMMAND ${CMAKE_COMMAND} -DIMAGE=${small} -DIMAGE_SIZE=49152 -P ${PAD_SCRIPT}
                RESULT_VARIABLE small_result)
file(SIZE "${small}" small_size)
file(READ "${small}" small_head LIMIT 4)
if(NOT small_result EQUAL 0 OR NOT small_size EQUAL 49152 OR NOT small_head STREQUAL "MZMZ")
  message(FATAL_ERROR "small image: result ${small_result}, size ${small_size}, head ${small_head}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -DIMAGE=${large} -DIMAGE_SIZE=49152 -P ${PAD_SCRIPT}
                RESULT_VARIABLE large_result OUTPUT_QUIET ERROR_VARIABLE large_error)
# CMake wraps a message at its blanks, and a long build path moves the breaks.
string(REGEX REPLACE "[ \t\r\n]+" " " large_error "${large_error}")
if(large_result EQUAL 0 OR EXISTS "${large}" OR NOT large_error MATCHES "more than the 49152 bytes")
  message(FATAL_ERROR "oversized image: result ${large_result}, error '${large_error}'")
endif()
message(STATUS "padding: small image padded to 49152 bytes, 49168-byte image refused and removed")
