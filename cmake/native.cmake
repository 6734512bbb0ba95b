# Native build: unit tests of the core, fuzzers.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

file(GLOB CORE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*_test.cpp)
add_executable(core_tests ${CORE_TESTS})
target_compile_options(core_tests PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET})
target_link_libraries(core_tests bravik_core GTest::gtest GTest::gtest_main Threads::Threads)
include(GoogleTest)
gtest_discover_tests(core_tests DISCOVERY_MODE PRE_TEST)

if(EXISTS ${CMAKE_SOURCE_DIR}/uninstal/native.cmake)
  include(${CMAKE_SOURCE_DIR}/uninstal/native.cmake)
endif()

