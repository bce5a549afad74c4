# Plane plot benchmarks: a whole build (sampling, feeding the chart, drawing it
# offscreen) and the redraw of a very long curve.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/plot2d_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_plot2d)

# plot2d-memory: the whole program's peak memory with long curves kept.
add_executable(plot2d-memory ${CMAKE_CURRENT_LIST_DIR}/plot2d/Plot2DMemoryProgram.cpp)
target_link_libraries(plot2d-memory PRIVATE matrikon_windows)
