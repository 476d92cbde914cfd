# SPDX-License-Identifier: GPL-3.0-or-later
# The stand-in program that the one-copy and termination tests start as separate processes.
add_executable(instance_helper ${CMAKE_CURRENT_LIST_DIR}/instance_helper.cpp)
target_link_libraries(instance_helper PRIVATE varolin_core)
foreach(test single_instance termination)
  add_dependencies(test_instance_${test} instance_helper)
  target_compile_definitions(test_instance_${test} PRIVATE
    INSTANCE_HELPER="$<TARGET_FILE:instance_helper>")
endforeach()

# The program as main() wires both together.
add_test(NAME instance.program
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/program_test.sh $<TARGET_FILE:varolin>)
set_tests_properties(instance.program PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 60)
