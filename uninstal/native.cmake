# Native build of UnInstal's portable core, its unit tests, and the script
# builder tool (included by cmake/native.cmake).
file(GLOB UNINSTAL_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/uninstal/core/*.cpp)
add_library(uninstal_core STATIC ${UNINSTAL_CORE_SOURCES} ${CMAKE_SOURCE_DIR}/bravik/core/cp932.cpp)
target_include_directories(uninstal_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(uninstal_core PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET})

add_subdirectory(${CMAKE_SOURCE_DIR}/tools/uninstal-script ${CMAKE_BINARY_DIR}/tools/uninstal-script)

file(GLOB UNINSTAL_CORE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/uninstal/*_test.cpp)
add_executable(uninstal_core_tests ${UNINSTAL_CORE_TESTS})
target_compile_options(uninstal_core_tests PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET})
target_link_libraries(uninstal_core_tests uninstal_script_text uninstal_core GTest::gtest GTest::gtest_main
    Threads::Threads)
gtest_discover_tests(uninstal_core_tests DISCOVERY_MODE PRE_TEST)

# The post-link padding of UnInstal.exe: an oversized image must fail the
# step (and be removed), a small one must come out at exactly 0xC000 bytes.
set(UNINSTAL_PAD_DIR ${CMAKE_BINARY_DIR}/uninstal_pad_test)
add_test(NAME uninstal_pad_small_image
    COMMAND ${CMAKE_COMMAND} -DWORK=${UNINSTAL_PAD_DIR} -DPAD_SCRIPT=${CMAKE_SOURCE_DIR}/uninstal/pad_image.cmake
            -P ${CMAKE_SOURCE_DIR}/tests/uninstal/pad_image_test.cmake)
