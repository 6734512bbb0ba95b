# Pads the linked UnInstal image with zero bytes to IMAGE_SIZE, the offset at
# which installers append the uninstall script. An image that is already
# larger would have its tail read as a script: the build fails and the image
# is removed so that no later step picks it up.
file(SIZE "${IMAGE}" size)
if(size GREATER IMAGE_SIZE)
  file(REMOVE "${IMAGE}")
  message(FATAL_ERROR "UnInstal image ${IMAGE} is ${size} bytes, more than the ${IMAGE_SIZE} bytes "
                      "before the script offset; it was removed. Make the program smaller.")
endif()
if(size LESS IMAGE_SIZE)
  find_program(TRUNCATE truncate)
  if(NOT TRUNCATE)
    message(FATAL_ERROR "truncate (coreutils) is needed to pad ${IMAGE}")
  endif()
  execute_process(COMMAND ${TRUNCATE} -s ${IMAGE_SIZE} "${IMAGE}" RESULT_VARIABLE result)
  file(SIZE "${IMAGE}" size)
  if(NOT result EQUAL 0 OR NOT size EQUAL IMAGE_SIZE)
    file(REMOVE "${IMAGE}")
    message(FATAL_ERROR "could not pad ${IMAGE} to ${IMAGE_SIZE} bytes")
  endif()
endif()
