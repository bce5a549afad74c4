# The formula surface: compiling a formula and sampling it on the 3D grid.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/surface_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_surface)
