# SVG and PDF files of both plots: a curve of ten million points and the 3D
# surface on N × N values, timed with the size of the file they make.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/vector_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_export matrikon_graph3d matrikon_plot2d)
