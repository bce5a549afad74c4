# The analysis of a plotted function: roots and extrema found on the grid of a
# build and refined on the formula.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/analysis_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_analysis)
