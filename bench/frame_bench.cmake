# Frames of the show rendered offscreen at 640x480, one benchmark per
# segment, each also drawn through client vertex arrays for comparison.
if(TARGET orvel_show)
  add_executable(frame_bench ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp)
  target_link_libraries(frame_bench PRIVATE orvel_show orvel_offscreen benchmark::benchmark)
  target_compile_definitions(frame_bench PRIVATE SHOW_DATA_DIR="${CMAKE_BINARY_DIR}/show")
  if(TARGET demodata)
    add_dependencies(frame_bench demodata)
  endif()
endif()
