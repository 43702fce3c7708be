# The search benchmark on one build of the core, for the native build and the
# Windows cross builds alike.
find_package(benchmark REQUIRED)

function(corvana_add_search_benchmark name core)
  add_executable(${name}
    ${PROJECT_SOURCE_DIR}/tests/benchmarks/search_benchmark.cpp
    ${PROJECT_SOURCE_DIR}/tools/silent_window.cpp
  )
  target_link_libraries(${name} PRIVATE ${core} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE CORVANA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()
endfunction()
