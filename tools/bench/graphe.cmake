# Full redraw and incremental drawing of the plot.
add_executable(bench_graphe ${CMAKE_CURRENT_LIST_DIR}/bench_graphe.cpp)
target_link_libraries(bench_graphe PRIVATE telmira_ui)
