# mingw build: Bravik.exe, its Wine tests, the test driver and peers, UnInstal.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0500 NOMINMAX)
set(WIN_LIBS comctl32 comdlg32 shell32 shlwapi ole32 advapi32 user32 gdi32 kernel32)
set(WIN_LINK -static -static-libgcc -static-libstdc++)

# The Win32 halves of core interfaces (bravik/ui/*_win32.cpp): a library of
# their own that follows the core on every link line.
file(GLOB CORE_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bravik/ui/*_win32.cpp)
add_library(bravik_core_win32 STATIC ${CORE_WIN32_SOURCES})
target_include_directories(bravik_core_win32 PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(bravik_core_win32 PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET})
target_link_libraries(bravik_core PUBLIC bravik_core_win32)

# Everything of Bravik but its entry point, so the Wine tests can link it.
file(GLOB UI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bravik/ui/*.cpp)
list(REMOVE_ITEM UI_SOURCES ${CMAKE_SOURCE_DIR}/bravik/ui/winmain.cpp)
list(FILTER UI_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
add_library(bravik_ui STATIC ${UI_SOURCES})
target_compile_options(bravik_ui PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET} -fno-exceptions -fno-rtti)
target_link_libraries(bravik_ui PUBLIC bravik_core ${WIN_LIBS})

set(BRAVIK_RC ${CMAKE_SOURCE_DIR}/bravik/res/bravik.rc)
file(GLOB BRAVIK_RES_DEPS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bravik/res/*)
set_source_files_properties(${BRAVIK_RC} PROPERTIES OBJECT_DEPENDS "${BRAVIK_RES_DEPS}")

add_executable(Bravik WIN32 ${CMAKE_SOURCE_DIR}/bravik/ui/winmain.cpp ${BRAVIK_RC})
target_compile_options(Bravik PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET} -fno-exceptions -fno-rtti)
target_link_libraries(Bravik bravik_ui ${WIN_LINK})
target_link_options(Bravik PRIVATE -s)

# Test programs run under Wine (64-bit only here, but they build for both).
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*_test.cpp)
  if(WINE_TESTS)
    add_executable(bravik_wine_tests ${WINE_TESTS} ${BRAVIK_RC})
    target_compile_options(bravik_wine_tests PRIVATE ${BRAVIK_WARNINGS} ${BRAVIK_CHARSET})
    target_link_libraries(bravik_wine_tests bravik_ui gtest gtest_main psapi ${WIN_LINK})
  endif()
endif()

# BRAVIK_TOOLS limits the helper programs built (a list of names; empty: all).
set(BRAVIK_TOOLS "" CACHE STRING "helper programs under tools/ to build; empty for all")
option(BRAVIK_WITH_UNINSTAL "build UnInstal" ON)
file(GLOB TOOL_DIRS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/CMakeLists.txt)
foreach(tool_cmake ${TOOL_DIRS})
  get_filename_component(tool_dir ${tool_cmake} DIRECTORY)
  get_filename_component(tool_name ${tool_dir} NAME)
  if(BRAVIK_TOOLS AND NOT tool_name IN_LIST BRAVIK_TOOLS)
    continue()
  endif()
  add_subdirectory(${tool_dir} ${CMAKE_BINARY_DIR}/tools/${tool_name})
endforeach()

if(BRAVIK_WITH_UNINSTAL AND EXISTS ${CMAKE_SOURCE_DIR}/uninstal/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/uninstal ${CMAKE_BINARY_DIR}/uninstal)
endif()
