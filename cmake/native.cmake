# Native build: unit tests of the core, benchmarks, fuzzers.
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

find_package(benchmark QUIET)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  add_executable(core_bench ${BENCH_SOURCES})
  target_compile_options(core_bench PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET})
  target_link_libraries(core_bench bravik_core benchmark::benchmark benchmark::benchmark_main)
endif()
