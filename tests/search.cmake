# The fast search against the search as first written (tests/reference_search.cpp):
# a second core library and a second corvana-solve built on the reference, the
# test that compares their output, and the benchmarks of both.

# Everything of corvana_core but the fast search.
get_target_property(corvanaCoreSources corvana_core SOURCES)
set(corvanaReferenceSources)
foreach(source IN LISTS corvanaCoreSources)
  if(NOT source MATCHES "solver/(search\\.cpp|engine/)")
    list(APPEND corvanaReferenceSources ${PROJECT_SOURCE_DIR}/${source})
  endif()
endforeach()
add_library(corvana_core_reference STATIC
  ${corvanaReferenceSources}
  ${CMAKE_CURRENT_LIST_DIR}/reference_search.cpp
)
target_include_directories(corvana_core_reference PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(corvana_core_reference PUBLIC Threads::Threads)

add_executable(corvana-solve-reference
  ${PROJECT_SOURCE_DIR}/tools/corvana_solve.cpp
  ${PROJECT_SOURCE_DIR}/file/replace_file_posix.cpp
  ${PROJECT_SOURCE_DIR}/tools/puzzle_convert.cpp
  ${PROJECT_SOURCE_DIR}/tools/puzzle_input.cpp
  ${PROJECT_SOURCE_DIR}/tools/silent_window.cpp
  ${PROJECT_SOURCE_DIR}/tools/solve_options.cpp
)
target_link_libraries(corvana-solve-reference PRIVATE corvana_core_reference CLI11::CLI11)
# The puzzle maker runs on the fast engine only; the reference solves.
target_compile_definitions(corvana-solve-reference PRIVATE CORVANA_SOLVE_WITHOUT_MAKER)

add_executable(search_equivalence_test
  ${CMAKE_CURRENT_LIST_DIR}/search_equivalence_test.cpp
)
target_link_libraries(search_equivalence_test PRIVATE GTest::gtest_main)
target_include_directories(search_equivalence_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(search_equivalence_test PRIVATE
  CORVANA_SOLVE_FAST="$<TARGET_FILE:corvana-solve>"
  CORVANA_SOLVE_REFERENCE="$<TARGET_FILE:corvana-solve-reference>"
  CORVANA_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data"
)
add_dependencies(search_equivalence_test corvana-solve corvana-solve-reference)
gtest_discover_tests(search_equivalence_test DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 600)

add_executable(search_protocol_test
  ${CMAKE_CURRENT_LIST_DIR}/search_protocol_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/clause_search_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_data.cpp
)
target_link_libraries(search_protocol_test PRIVATE corvana_core GTest::gtest_main)
target_compile_definitions(search_protocol_test PRIVATE
  CORVANA_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data"
)
gtest_discover_tests(search_protocol_test DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)

if(CORVANA_BENCHMARKS)
  include(${CMAKE_CURRENT_LIST_DIR}/benchmarks/benchmarks.cmake)
  corvana_add_search_benchmark(search_benchmark corvana_core)
  corvana_add_search_benchmark(search_benchmark_reference corvana_core_reference)
endif()
