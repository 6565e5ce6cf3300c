# hook_bench: the per-event cost of the USA and USSR hooks (bench/run.sh),
# built only on demand.  Natively it links the module; the Windows build
# loads the real Nerolit.dll and runs under Wine.
if(WIN32)
  add_executable(hook_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/hook_bench.cpp)
  target_link_libraries(hook_bench PRIVATE nerolit_host)
  target_link_options(hook_bench PRIVATE -static)
else()
  add_executable(hook_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/hook_bench.cpp)
  target_link_libraries(hook_bench PRIVATE nerolit_native Threads::Threads)
endif()
