# The 3D control: graph3d-bench (whole redraws of the built-in surface, as a
# user sees them) and matrikon-bench cases timing each stage on its own.
add_executable(graph3d-bench ${CMAKE_CURRENT_LIST_DIR}/graph3d/Graph3DBenchProgram.cpp)
target_link_libraries(graph3d-bench PRIVATE matrikon_graph3d)

target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/graph3d/Graph3DStages.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_graph3d_core)
