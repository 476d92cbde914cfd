# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzz corpus of the INI profile functions, replayed through the fuzz
# target built with the ordinary compiler.
set(VAROLIN_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR}/fuzz)
add_executable(settings_fuzz_replay ${VAROLIN_FUZZ_DIR}/fuzz_profile.cpp
  ${VAROLIN_FUZZ_DIR}/replay_main.cpp)
target_link_libraries(settings_fuzz_replay PRIVATE varolin_core)
add_test(NAME settings.fuzz_corpus COMMAND settings_fuzz_replay ${VAROLIN_FUZZ_DIR}/corpus)

# The libFuzzer program itself needs clang and is built on request.
option(VAROLIN_BUILD_FUZZER "Build the libFuzzer target of the INI functions (needs clang)" OFF)
if(VAROLIN_BUILD_FUZZER)
  include(ExternalProject)
  ExternalProject_Add(varolin_fuzzer
    SOURCE_DIR ${VAROLIN_FUZZ_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endif()

# A child process for the settings tests: saves in a loop until killed, or
# locates or writes the file as another user.
add_executable(settings_helper ${CMAKE_CURRENT_LIST_DIR}/settings_helper.cpp)
target_link_libraries(settings_helper PRIVATE varolin_core)
foreach(test IN ITEMS test_settings_settings_file test_settings_save_faults test_settings_location
    test_settings_profile)
  add_dependencies(${test} settings_helper)
  target_compile_definitions(${test} PRIVATE
    VAROLIN_SETTINGS_HELPER="$<TARGET_FILE:settings_helper>")
endforeach()

# The save's own calls of fsync and rename pass through the test first, which
# records their order: the program's library finds the test's own.
target_link_options(test_settings_save_faults PRIVATE "LINKER:--export-dynamic-symbol=fsync"
  "LINKER:--export-dynamic-symbol=rename")
