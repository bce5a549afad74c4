# The table of values of the plane plot: opening it on a long curve, and
# its CSV file written through the atomic save.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/analysis_window_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_windows)
