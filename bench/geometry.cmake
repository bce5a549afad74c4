# The surface's geometry: the isolines of the contour map and the mesh files,
# both on the built-in surface of the 3D control; the STL file is written to
# the system's temporary folder through the program's atomic save.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/geometry_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_geometry matrikon_graph3d_core matrikon_platform)
