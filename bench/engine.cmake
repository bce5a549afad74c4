# Formula engine benchmarks: our evaluation next to muParser's for the same
# three expressions. muParser is optional and used only here.
target_sources(matrikon-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
target_link_libraries(matrikon-bench PRIVATE matrikon_engine)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(MUPARSER QUIET IMPORTED_TARGET muparser)
endif()
if(MUPARSER_FOUND)
  target_link_libraries(matrikon-bench PRIVATE PkgConfig::MUPARSER)
  target_compile_definitions(matrikon-bench PRIVATE MATRIKON_HAVE_MUPARSER=1)
else()
  message(STATUS "muParser not found: the engine benchmark runs without its comparison")
endif()
