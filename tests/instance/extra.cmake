# The stand-in program that the one-copy and termination tests start as separate processes.
add_executable(instance_helper ${CMAKE_CURRENT_LIST_DIR}/instance_helper.cpp)
target_link_libraries(instance_helper PRIVATE varolin_core)
foreach(test single_instance termination)
  add_dependencies(test_instance_${test} instance_helper)
  target_compile_definitions(test_instance_${test} PRIVATE
    INSTANCE_HELPER="$<TARGET_FILE:instance_helper>")
endforeach()
