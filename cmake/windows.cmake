# The Win32 program, its help file and the tests of the real window, for the
# mingw-w64 cross builds (cmake/mingw-*.cmake).
enable_language(C RC)

# The source folder is named "." in anything the compiler writes down, so a
# build gives the same program wherever the sources lie.
set(CORVANA_WIN_OPTIONS -fexec-charset=CP932 -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
target_compile_options(corvana_core PRIVATE ${CORVANA_WIN_OPTIONS})

# Everything of the program but WinMain, so the tests can create the real
# window with the real window procedure.
add_library(corvana_app STATIC
  app/commands.cpp
  app/input.cpp
  app/puzzle_io.cpp
  app/shell.cpp
  app/window_hooks_win.cpp
  app/window_proc.cpp
  file/input_data_win.cpp
  file/replace_file_win.cpp
  view/canvas.cpp
  view/draw.cpp
)
target_compile_options(corvana_app PRIVATE ${CORVANA_WIN_OPTIONS})
target_link_libraries(corvana_app PUBLIC corvana_core comdlg32 gdi32 shell32)

set(CORVANA_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/corvana.rc)
set_source_files_properties(${CORVANA_RESOURCES} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/app/corvana.ico;${CMAKE_CURRENT_SOURCE_DIR}/app/corvana.manifest;${CMAKE_CURRENT_SOURCE_DIR}/app/resource.h")

add_executable(Corvana WIN32 app/main.cpp ${CORVANA_RESOURCES})
target_compile_options(Corvana PRIVATE ${CORVANA_WIN_OPTIONS})
target_link_libraries(Corvana PRIVATE corvana_app)
# Stripped and without the link time in its header: the program's bytes
# depend on its sources alone, so two builds of one commit are identical.
target_link_options(Corvana PRIVATE -static -mwindows -s -Wl,--no-insert-timestamp)
set_target_properties(Corvana PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The help file, compiled from our own HTML and placed next to the program.
# The help viewer reads the project and contents files in the code page of
# the help file's language (932); their sources stay UTF-8 like the pages.
find_program(CHMCMD chmcmd)
find_program(ICONV iconv)
if(CHMCMD AND ICONV)
  set(HELP_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/help)
  set(HELP_BUILD ${CMAKE_BINARY_DIR}/help)
  file(GLOB CORVANA_HELP_SOURCES ${HELP_SOURCE}/*)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/cv_help.chm
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${HELP_SOURCE} ${HELP_BUILD}
    COMMAND ${ICONV} -f UTF-8 -t CP932 -o ${HELP_BUILD}/cv_help.hhp ${HELP_SOURCE}/cv_help.hhp
    COMMAND ${ICONV} -f UTF-8 -t CP932 -o ${HELP_BUILD}/cv_help.hhc ${HELP_SOURCE}/cv_help.hhc
    COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_BUILD} ${CHMCMD} --no-html-scan --verbosity 0 cv_help.hhp
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/cmake/chm-clear-times ${HELP_BUILD}/cv_help.chm
    COMMAND ${CMAKE_COMMAND} -E copy ${HELP_BUILD}/cv_help.chm ${CMAKE_BINARY_DIR}/cv_help.chm
    DEPENDS ${CORVANA_HELP_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/chm-clear-times
    COMMENT "Compiling the help file")
  add_custom_target(corvana_help ALL DEPENDS ${CMAKE_BINARY_DIR}/cv_help.chm)
else()
  message(WARNING "chmcmd (Debian package fp-utils) or iconv not found: no cv_help.chm")
endif()

# corvana-solve for Windows, the same tool as the native one. CLI11 is
# header-only; its folder is linked in alone, so that no other header of the
# build machine's /usr/include comes before mingw's own.
if(EXISTS /usr/include/CLI/CLI.hpp)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11)
  file(CREATE_LINK /usr/include/CLI ${CMAKE_BINARY_DIR}/cli11/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  target_include_directories(CLI11::CLI11 INTERFACE ${CMAKE_BINARY_DIR}/cli11)
  add_subdirectory(maker)
  add_subdirectory(tools)
  set_target_properties(corvana-solve PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME ToolReadsFilesAsTheyAre
      COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/win/tool_test.sh
        ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:corvana-solve>
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(ToolReadsFilesAsTheyAre PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
  endif()
else()
  message(WARNING "CLI11 (Debian package libcli11-dev) not found: no corvana-solve.exe")
endif()

# The search benchmark, against a Google Benchmark built for this target
# (scripts/benchmark-windows.sh builds one and names it in benchmark_DIR).
if(CORVANA_BENCHMARKS)
  include(tests/benchmarks/benchmarks.cmake)
  corvana_add_search_benchmark(search_benchmark corvana_core)
  set_target_properties(search_benchmark PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()

# GoogleTest from the Debian source package, built for this target.
if(EXISTS /usr/src/googletest/CMakeLists.txt AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

if(TARGET gtest)
  file(GLOB CORVANA_WIN_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/win/*.cpp)
  add_executable(corvana_win_tests ${CORVANA_WIN_TESTS} ${CORVANA_RESOURCES})
  target_compile_options(corvana_win_tests PRIVATE ${CORVANA_WIN_OPTIONS})
  target_link_libraries(corvana_win_tests PRIVATE corvana_app gtest)
  target_link_options(corvana_win_tests PRIVATE -static)
  set_target_properties(corvana_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_compile_definitions(corvana_win_tests PRIVATE
    CORVANA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    include(GoogleTest)
    gtest_discover_tests(corvana_win_tests
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      TEST_FILTER "-*Popup*:*Clipboard*"
      PROPERTIES TIMEOUT 300)
    # Under Wine a pop-up menu closes at once when another test's window takes
    # the foreground, and the clipboard is the whole display's, so the tests
    # that open a pop-up or use the clipboard run alone.
    gtest_discover_tests(corvana_win_tests
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      TEST_FILTER "*Popup*:*Clipboard*"
      PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
  endif()
endif()

# The random user: a program of its own that starts the real Corvana.exe and
# drives it with seeded random keys, clicks, menus and clipboard texts. It
# needs the display to itself, so it runs alone.
add_executable(corvana_random_user
  tests/win/random_user/random_user.cpp
  tests/win/random_user/session.cpp
  tests/win/random_user/texts.cpp
)
target_include_directories(corvana_random_user PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(corvana_random_user PRIVATE
  CORVANA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")
target_link_options(corvana_random_user PRIVATE -static)
set_target_properties(corvana_random_user PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(corvana_random_user Corvana)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME RandomUser
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/win/random_user/run.sh
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:corvana_random_user>
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(RandomUser PROPERTIES RUN_SERIAL TRUE TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
